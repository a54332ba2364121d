// The program's main window: the Split page (pick a file, a destination folder and a
// part size, then split), the Join page (pick one part and a destination, then join),
// the help menu with the product's links and the About box. Creating the window reads
// the product configuration and the user's settings; closing it saves the settings.
// Errors of the handlers reach the application's default handler.
#pragma once

#include "forms/Dialogs.h"
#include "forms/Forms.h"
#include "forms/ImageControl.h"
#include "forms/ImgList.h"
#include "forms/Menus.h"
#include "forms/StdCtrls.h"
#include "forms/ComCtrls.h"
#include "shell/JobProgressBar.h"
#include "shell/PageJob.h"
#include "skin/frame/sSkinProvider.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sSpinEdit.h"
#include "skin/paint/acAlphaImageList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sj {

// Where the main window finds the product configuration and the user's shell
// folders; tests point them at temporary folders.
struct TMainEnvironment {
    std::function<std::string()> ConfigFile;
    std::function<std::string(const std::string& valueName)> ShellFolder;
};
TMainEnvironment& MainEnvironment();

// Part sizes of the presets, in bytes.
inline constexpr std::int64_t FloppyPartSize = 1509949; // 1.44 MB, fraction dropped
inline constexpr std::int64_t Cd650PartSize = 681574400;
inline constexpr std::int64_t Size100PartSize = 104857600;
inline constexpr std::int64_t Cd700PartSize = 734003200;

// A user-defined size in bytes (truncated toward zero). Negative sizes and sizes of
// 2048 MB and more, which no part can have, are refused with a message.
std::int64_t UserPartSize(double megabytes);

class TFormMain : public TForm {
    SJ_CLASS(TFormMain, TForm)

public:
    explicit TFormMain(TComponent* owner);
    ~TFormMain() override;

    // The part size the Split page's choice stands for.
    std::int64_t SelectedPartSize() const;
    // Whether a split or join is running (its end not yet told).
    bool JobRunning() const;

    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    // A running job is cancelled (and cleaned up) before the window closes, if the
    // user agrees.
    void FormCloseQuery(TObject* sender, bool& canClose);
    void btnSelectfileClick(TObject* sender);
    void btnOutputFolderClick(TObject* sender);
    void btnStartClick(TObject* sender);
    void btnFileJoinClick(TObject* sender);
    void btnFileJoinFolderClick(TObject* sender);
    void btnStartJoinClick(TObject* sender);
    void btnHelpClick(TObject* sender);
    void menuHelpContentClick(TObject* sender);
    void menuHowToClick(TObject* sender);
    void menuHomePageClick(TObject* sender);
    void menuMoreFreeToolsClick(TObject* sender);
    void menuCheckUpdatesClick(TObject* sender);
    void menuContactClick(TObject* sender);
    void menuAboutClick(TObject* sender);

    TPageControl* PageControl1 = nullptr;
    TTabSheet* TabSheet1 = nullptr;
    TTabSheet* TabSheet2 = nullptr;
    TImage* ImageTop = nullptr;
    TLabel* LabelTop = nullptr;
    TImage* ImageFile = nullptr;
    TImage* Image3 = nullptr;
    TGroupBox* GroupBoxFile = nullptr;
    TLabel* LabelSelectFile = nullptr;
    TEdit* EditFile = nullptr;
    TLabel* LabelOutput = nullptr;
    TEdit* EditOutputFolder = nullptr;
    TsButton* btnOutputFolder = nullptr;
    TsButton* btnSelectfile = nullptr;
    TGroupBox* GroupBoxSize = nullptr;
    TLabel* LabelSizeTop = nullptr;
    TRadioButton* RadioButton144 = nullptr;
    TRadioButton* RadioButton650 = nullptr;
    TRadioButton* RadioButton100 = nullptr;
    TRadioButton* RadioButton700 = nullptr;
    TRadioButton* RadioButtonUser = nullptr;
    TsDecimalSpinEdit* sDecimalSpinEditMB = nullptr;
    TLabel* LabelMB = nullptr;
    TsButton* btnStart = nullptr;
    TsButton* btnHelp = nullptr;
    TImage* ImageJoinTop = nullptr;
    TLabel* LabelTop2 = nullptr;
    TImage* ImageJoinTop2 = nullptr;
    TGroupBox* GroupBoxFileJoin = nullptr;
    TLabel* LabelFileJoin1 = nullptr;
    TEdit* EditFileJoin = nullptr;
    TLabel* LabelFileJoin2 = nullptr;
    TEdit* EditFileJoinFolder = nullptr;
    TsButton* btnFileJoinFolder = nullptr;
    TsButton* btnFileJoin = nullptr;
    TsButton* btnStartJoin = nullptr;
    TOpenDialog* OpenDialog = nullptr;
    TsAlphaImageList* sAlphaImageList16 = nullptr;
    TsAlphaImageList* sAlphaImageList32 = nullptr;
    TPopupMenu* PopupMenuHelp = nullptr;
    TMenuItem* menuHelpContent = nullptr;
    TMenuItem* menuHowTo = nullptr;
    TMenuItem* menuHomePage = nullptr;
    TMenuItem* menuMoreFreeTools = nullptr;
    TMenuItem* menuCheckUpdates = nullptr;
    TMenuItem* menuContact = nullptr;
    TMenuItem* menuAbout = nullptr;
    TsSkinProvider* sSkinProvider1 = nullptr;
    // Made by the window itself: the progress of long jobs, under each page's buttons.
    TJobProgressBar* SplitProgress = nullptr;
    TJobProgressBar* JoinProgress = nullptr;

protected:
    void Loaded() override;
    void WndProc(TMessage& message) override;

private:
    void BindFields();
    void PublishHandlers();
    void FillImageLists();
    void LoadProductConfiguration();
    void RestoreSettings();
    void RestoreSkin();
    void PickFile(TEdit& fileEdit, TEdit& folderEdit);
    void PickFolder(TEdit& folderEdit);
    void CreatePageJobs();
    TPageJob* RunningJob() const;

    std::unique_ptr<TPageJob> FSplitJob;
    std::unique_ptr<TPageJob> FJoinJob;
};

} // namespace sj
