#include "shell/About.h"

#include "forms/NonVisualClasses.h"
#include "shell/PngPicture.h"
#include "shell/UtilFuncs.h"

namespace sj {

std::string FillTemplate(const std::string& text, const std::vector<std::string>& values) {
    std::string result;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '%' || i + 1 == text.size()) {
            result += c;
            continue;
        }
        const char kind = text[i + 1];
        if (kind == '%') {
            result += '%';
            ++i;
        } else if (kind == 's' || kind == 'd') {
            if (next < values.size())
                result += values[next++];
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

std::function<int()>& CurrentYearFunc() {
    static std::function<int()> year = [] {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        return static_cast<int>(now.wYear);
    };
    return year;
}

TFormAbout::TFormAbout(TComponent* owner) : TForm(owner) {
    RegisterNonVisualClasses();
    RegisterSkinProviderClasses();
    RegisterImageControlClass();
    RegisterPngPictureFormat();
    BindField("ImageIcon", ImageIcon);
    BindField("LabelAppName", LabelAppName);
    BindField("LabelVersion", LabelVersion);
    BindField("LabelCopyRight", LabelCopyRight);
    BindField("LabelWarning", LabelWarning);
    BindField("LabelWeb", LabelWeb);
    BindField("ButtonOK", ButtonOK);
    BindField("sSkinProvider1", sSkinProvider1);
    PublishMethod("FormCreate", &TFormAbout::FormCreate);
    PublishMethod("ButtonOKClick", &TFormAbout::ButtonOKClick);
    PublishMethod("LabelWebClick", &TFormAbout::LabelWebClick);
    CreateFromResource();
}

void TFormAbout::FormCreate(TObject*) {
    const std::string& title = Application->Title();
    SetCaption(FillTemplate(Caption(), {title}));
    if (!Application->Icon().Empty())
        ImageIcon->Picture().Icon().Assign(Application->Icon());
    const int year = CurrentYearFunc()();
    LabelAppName->SetCaption(title);
    LabelWeb->SetCaption(GlobalVars.HomePageLink);
    LabelVersion->SetCaption(FillTemplate(LabelVersion->Caption(), {GlobalVars.Version}));
    LabelCopyRight->SetCaption(
        FillTemplate(LabelCopyRight->Caption(), {std::to_string(year), GlobalVars.RightsHolder}));
}

void TFormAbout::ButtonOKClick(TObject*) {
    SetModalResult(mrOk);
}

void TFormAbout::LabelWebClick(TObject*) {
    OpenWithShell(GlobalVars.HomePageLink);
}

} // namespace sj
