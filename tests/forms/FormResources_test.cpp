// A stored form read from the program's resources: the tree, properties of every
// kind, references resolved after all components exist, handlers, and Loaded.
#include "forms/FormResources.h"

#include <gtest/gtest.h>

#include "forms/ComCtrls.h"
#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "forms/StdCtrls.h"

namespace sj {
namespace {

class TFormSample : public TForm {
    SJ_CLASS(TFormSample, TForm)

public:
    explicit TFormSample(TComponent* owner) : TForm(owner) {
        BindField("PageControl1", PageControl1);
        BindField("TabSheet2", TabSheet2);
        BindField("EditFile", EditFile);
        BindField("EditOutputFolder", EditOutputFolder);
        BindField("RadioButton144", RadioButton144);
        BindField("RadioButton650", RadioButton650);
        BindField("btnStart", btnStart);
        BindField("LabelTop", LabelTop);
        BindField("LabelWeb", LabelWeb);
        PublishMethod("FormCreate", &TFormSample::FormCreate);
        PublishMethod("FormClose", &TFormSample::FormClose);
        PublishMethod("btnStartClick", &TFormSample::btnStartClick);
        PublishMethod("LabelWebClick", &TFormSample::LabelWebClick);
        PublishMethod("PageControl1Change", &TFormSample::PageControl1Change);
        CreateFromResource();
    }

    void FormCreate(TObject*) { createdWithField = EditFile != nullptr; }
    void FormClose(TObject*, TCloseAction&) { ++closes; }
    void btnStartClick(TObject*) { ++starts; }
    void LabelWebClick(TObject*) { ++webClicks; }
    void PageControl1Change(TObject*) { ++pageChanges; }

    TPageControl* PageControl1 = nullptr;
    TTabSheet* TabSheet2 = nullptr;
    TEdit* EditFile = nullptr;
    TEdit* EditOutputFolder = nullptr;
    TRadioButton* RadioButton144 = nullptr;
    TRadioButton* RadioButton650 = nullptr;
    TButton* btnStart = nullptr;
    TLabel* LabelTop = nullptr;
    TLabel* LabelWeb = nullptr;
    bool createdWithField = false;
    int closes = 0;
    int starts = 0;
    int webClicks = 0;
    int pageChanges = 0;
};

TEST(FormResources, SampleFormIsBuiltFromItsResource) {
    TFormSample form(nullptr);
    EXPECT_EQ(form.ClassName(), "TFormSample");
    EXPECT_EQ(form.Name(), "FormSample");
    EXPECT_TRUE(form.createdWithField) << "OnCreate runs after the fields are bound";
    EXPECT_EQ(form.Caption(), "Sample's window");
    EXPECT_EQ(form.BorderStyle(), TFormBorderStyle::bsSingle);
    EXPECT_EQ(form.BorderIcons(), static_cast<TBorderIcons>(biSystemMenu | biMinimize));
    EXPECT_EQ(form.ClientWidth(), 420);
    EXPECT_EQ(form.ClientHeight(), 300);
    EXPECT_EQ(form.Font().Name(), "Tahoma");
    EXPECT_EQ(form.Font().Charset(), static_cast<unsigned>(ANSI_CHARSET));

    ASSERT_NE(form.EditFile, nullptr);
    EXPECT_EQ(form.EditFile->Text(), "C:\\Data\\report.doc");
    EXPECT_EQ(form.EditFile->Parent()->Name(), "GroupBoxFile");
    EXPECT_EQ(form.EditFile->TabOrder(), 0) << "stored tab order wins over the order of creation";
    EXPECT_EQ(form.EditOutputFolder->TabOrder(), 1);
    EXPECT_EQ(form.EditFile->Font().Name(), "Tahoma") << "fonts follow the parent";
    EXPECT_EQ(form.ActiveControl(), form.EditFile) << "a reference to a component stored further down";

    EXPECT_TRUE(form.RadioButton144->Checked());
    EXPECT_FALSE(form.RadioButton650->Checked());
    EXPECT_TRUE(form.btnStart->Default());
    EXPECT_EQ(form.PageControl1->PageCount(), 2);
    EXPECT_EQ(form.PageControl1->ActivePage(), form.TabSheet2);
    EXPECT_EQ(form.LabelTop->Caption(),
              "You can split up a file into several parts here and re-join them at a later time into a single file.");
    EXPECT_TRUE(form.LabelTop->WordWrap());
    EXPECT_EQ(form.LabelTop->Width(), 300) << "a label without AutoSize keeps its stored size";
    EXPECT_EQ(form.LabelWeb->Cursor(), crHandPoint);
    EXPECT_EQ(form.LabelWeb->Font().Style(), static_cast<TFontStyles>(fsUnderline));
    EXPECT_EQ(form.LabelWeb->Font().Color(), clBlue);
    EXPECT_FALSE(form.LabelWeb->ParentFont());
    EXPECT_GT(form.LabelWeb->Width(), 0) << "an auto-sized label measures its caption";

    for (int i = 0; i < form.ComponentCount(); ++i)
        EXPECT_FALSE(form.Components(i)->HasState(csLoading)) << form.Components(i)->Name();

    ASSERT_TRUE(form.btnStart->OnClick);
    form.btnStart->Click();
    EXPECT_EQ(form.starts, 1);
    form.LabelWeb->Click();
    EXPECT_EQ(form.webClicks, 1);
    form.Show();
    form.Close();
    EXPECT_EQ(form.closes, 1);
}

TEST(FormResources, UserSwitchesPagesWithTheMouse) {
    TFormSample form(nullptr);
    form.Show();
    HWND tabs = form.PageControl1->Handle();
    RECT first{};
    ASSERT_TRUE(::SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first)));
    LPARAM point = MAKELPARAM((first.left + first.right) / 2, (first.top + first.bottom) / 2);
    ::SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageA(tabs, WM_LBUTTONUP, 0, point);
    EXPECT_EQ(form.PageControl1->ActivePageIndex(), 0);
    EXPECT_EQ(form.pageChanges, 1);
    EXPECT_TRUE(form.PageControl1->Pages(0)->Visible());
    EXPECT_FALSE(form.TabSheet2->Visible());
    EXPECT_TRUE(::IsWindowVisible(form.EditFile->Handle()));
}

TEST(FormResources, BinaryResourcesAndMissingOnes) {
    EXPECT_TRUE(HasDataResource("SAMPLE_BLOB"));
    std::vector<std::uint8_t> bytes = LoadDataResource("SAMPLE_BLOB");
    std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("object FormSample: TFormSample"), std::string::npos);
    EXPECT_FALSE(HasDataResource("NO_SUCH_RESOURCE"));
    EXPECT_THROW(LoadDataResource("NO_SUCH_RESOURCE"), EReadError);

    TForm form(nullptr);
    EXPECT_THROW(ReadComponentResource(form, "NO_SUCH_FORM"), EReadError);
}

TEST(FormResources, TextDescriptionsWithResourceBinaries) {
    RegisterFormClasses();
    // A setter reached through a nested name receives the bytes of the named resource.
    static std::vector<std::uint8_t> received;
    RegisterProperty<TEdit>("Blob.Data", [](TEdit&, const TPropValue& value, TReadContext&) { received = AsBinary(value); });
    TForm form(nullptr);
    ReadComponentText(form, "object F: TForm\n"
                            "  object E: TEdit\n"
                            "    Blob.Data = {@SAMPLE_BLOB}\n"
                            "  end\n"
                            "end\n");
    EXPECT_EQ(received, LoadDataResource("SAMPLE_BLOB"));
    EXPECT_THROW(ReadComponentText(form, "object F: TForm\n  Position = poNowhere\nend\n"), EReadError);
}

} // namespace
} // namespace sj
