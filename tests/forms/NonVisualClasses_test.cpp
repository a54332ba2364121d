// Stored descriptions of the non-visual components: a help menu with its items,
// the open dialog, a timer and an image list, read back with their handlers.
#include "forms/Dialogs.h"
#include "forms/FormReader.h"
#include "forms/ImgList.h"
#include "forms/Menus.h"
#include "forms/NonVisualClasses.h"
#include "forms/StdCtrls.h"
#include "forms/Timer.h"

#include <gtest/gtest.h>

namespace sj {
namespace {

class TNonVisualRoot : public TComponent {
    SJ_CLASS(TNonVisualRoot, TComponent)

public:
    explicit TNonVisualRoot(TComponent* owner) : TComponent(owner) {
        BindField("PopupMenuHelp", popup);
        BindField("OpenDialog", dialog);
        PublishMethod("menuAboutClick", &TNonVisualRoot::menuAboutClick);
        PublishMethod("TimerTick", &TNonVisualRoot::TimerTick);
    }
    void menuAboutClick(TObject* sender) { clicked = sender; }
    void TimerTick(TObject*) {}

    TPopupMenu* popup = nullptr;
    TOpenDialog* dialog = nullptr;
    TObject* clicked = nullptr;
};

constexpr const char* Description = R"(object Root: TNonVisualRoot
  object Images16: TImageList
    Width = 16
    Height = 16
    BkColor = clNone
  end
  object OpenDialog: TOpenDialog
    Filter = 'All Files|*.*'
    Title = 'Please select the file that you wish to split up into several files:'
    Options = [ofHideReadOnly, ofFileMustExist, ofEnableSizing]
  end
  object PopupMenuHelp: TPopupMenu
    Images = Images16
    OwnerDraw = True
    object menuHelpContent: TMenuItem
      Caption = 'Help Content'
      ShortCut = 112
      ImageIndex = 3
    end
    object menuHowTo: TMenuItem
      Caption = 'How Tos && Tutorial Videos...'
    end
    object N6: TMenuItem
      Caption = '-'
    end
    object menuAbout: TMenuItem
      Caption = 'About...'
      OnClick = menuAboutClick
    end
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 70
    OnTimer = TimerTick
  end
end
)";

TEST(NonVisualClasses, ReadFromAStoredDescription) {
    RegisterNonVisualClasses();
    RegisterNonVisualClasses(); // twice is harmless
    TNonVisualRoot root(nullptr);
    TFormReader(root).ReadText(Description);

    ASSERT_NE(root.popup, nullptr);
    TMenuItem& items = root.popup->Items();
    ASSERT_EQ(items.Count(), 4);
    EXPECT_EQ(items.Items(0)->Caption(), "Help Content");
    EXPECT_EQ(items.Items(0)->ShortCut(), VK_F1);
    EXPECT_EQ(items.Items(0)->ImageIndex(), 3);
    EXPECT_EQ(items.Items(0)->DisplayText(), "Help Content\tF1");
    EXPECT_EQ(StripHotkey(items.Items(1)->Caption()), "How Tos & Tutorial Videos...");
    EXPECT_TRUE(items.Items(2)->IsLine());
    EXPECT_TRUE(root.popup->OwnerDraw());
    ASSERT_NE(root.popup->Images(), nullptr);
    EXPECT_EQ(root.popup->Images()->Name(), "Images16");
    EXPECT_NE(ImageListHandleOf(root.popup->Images()), nullptr) << "controls find the system list";

    items.Items(3)->Click();
    EXPECT_EQ(root.clicked, items.Items(3));

    ASSERT_NE(root.dialog, nullptr);
    EXPECT_EQ(root.dialog->Filter, "All Files|*.*");
    EXPECT_EQ(root.dialog->Options, static_cast<TOpenOptions>(ofHideReadOnly | ofFileMustExist | ofEnableSizing));

    auto* timer = root.FindComponentOf<TTimer>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 70u);
    EXPECT_TRUE(static_cast<bool>(timer->OnTimer()));
    EXPECT_FALSE(timer->Running());
}

TEST(NonVisualClasses, BadValuesAreReadErrors) {
    RegisterNonVisualClasses();
    TNonVisualRoot root(nullptr);
    EXPECT_THROW(TFormReader(root).ReadText("object Root: TNonVisualRoot\n"
                                            "  object M: TMenuItem\n"
                                            "    Break = mbSideways\n"
                                            "  end\n"
                                            "end\n"),
                 EReadError);
}

} // namespace
} // namespace sj
