#include "shell/MainUnit.h"

#include "engine/FileSplitter.h"
#include "engine/PartFormat.h"
#include "forms/FormResources.h"
#include "forms/NonVisualClasses.h"
#include "shell/About.h"
#include "shell/PngPicture.h"
#include "shell/SuppliedFiles.h"
#include "shell/UtilFuncs.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/acDials.h"
#include "skin/paint/acPNG.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

namespace sj {

namespace {

constexpr char FolderBrowserTitle[] = "Please select a folder";
// The Split page has no room under its buttons: its bar lies between Help and Start.
// The Join page's lies under its button, as wide as the page's group box.
constexpr RECT SplitProgressBounds{176, 368, 473, 368 + 18};
constexpr RECT JoinProgressBounds{56, 250, 56 + 537, 250 + 18};
constexpr double BytesPerMegabyte = 1024.0 * 1024.0;
// Parts store their size in 32 bits with the sign bit clear.
constexpr double UserSizeLimit = 2147483648.0;

// The RCDATA name the build gives a supplied PNG: its file name without ".png", in
// upper case.
std::string PngResourceName(std::string_view fileName) {
    std::string name(fileName.substr(0, fileName.rfind('.')));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

// The stored form carries no image data for the two lists: the supplied PNG files
// become their items.
void AddPngResources(TsAlphaImageList& list, std::initializer_list<const char*> fileNames) {
    for (const char* fileName : fileNames)
        list.AddImageData(LoadDataResource(PngResourceName(fileName)));
}

} // namespace

TMainEnvironment& MainEnvironment() {
    static TMainEnvironment environment{[] { return ConfigFileName(); },
                                        [](const std::string& valueName) { return GetShellFolder(valueName); }};
    return environment;
}

std::int64_t UserPartSize(double megabytes) {
    const double bytes = megabytes * BytesPerMegabyte;
    if (!(bytes >= 0))
        throw Exception("The part size must not be negative");
    if (bytes >= UserSizeLimit)
        throw Exception("The part size must be less than 2048 MB");
    return static_cast<std::int64_t>(bytes);
}

TFormMain::TFormMain(TComponent* owner) : TForm(owner) {
    RegisterNonVisualClasses();
    RegisterSkinProviderClasses();
    // The manager read below sets the window-creation hook (popup menus, dialogs).
    InstallDialogHook();
    RegisterImageControlClass();
    RegisterPngPictureFormat();
    RegisterSkinManagerClasses();
    RegisterAlphaImageListClass();
    RegisterSpinEditClasses();
    RegisterSkinButtonClasses();
    BindFields();
    PublishHandlers();
    CreateFromResource();
    CreatePageJobs();
    OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
}

// The jobs end (cancelled, cleaned up) before the controls they know go.
TFormMain::~TFormMain() {
    FSplitJob.reset();
    FJoinJob.reset();
}

void TFormMain::CreatePageJobs() {
    auto makeBar = [this](TTabSheet* page, const RECT& bounds) {
        auto* bar = new TJobProgressBar(this);
        bar->SetBoundsRect(bounds);
        bar->SetParent(page);
        return bar;
    };
    SplitProgress = makeBar(TabSheet1, SplitProgressBounds);
    JoinProgress = makeBar(TabSheet2, JoinProgressBounds);
    // Each page's inputs, and the other page's Start: one job at a time.
    FSplitJob = std::make_unique<TPageJob>(
        *btnStart,
        std::vector<TControl*>{EditFile, EditOutputFolder, btnOutputFolder, btnSelectfile, RadioButton144,
                               RadioButton650, RadioButton100, RadioButton700, RadioButtonUser, sDecimalSpinEditMB,
                               btnStartJoin},
        *SplitProgress);
    FJoinJob = std::make_unique<TPageJob>(
        *btnStartJoin, std::vector<TControl*>{EditFileJoin, EditFileJoinFolder, btnFileJoinFolder, btnFileJoin, btnStart},
        *JoinProgress);
}

TPageJob* TFormMain::RunningJob() const {
    if (FSplitJob && FSplitJob->Running())
        return FSplitJob.get();
    if (FJoinJob && FJoinJob->Running())
        return FJoinJob.get();
    return nullptr;
}

bool TFormMain::JobRunning() const { return RunningJob() != nullptr; }

void TFormMain::WndProc(TMessage& message) {
    // Escape cancels a job whose progress shows, whatever control has the focus.
    if (message.Msg == CM_DIALOGKEY && message.WParam == VK_ESCAPE) {
        if (TPageJob* job = RunningJob(); job != nullptr && job->ProgressShown()) {
            job->Cancel();
            message.Result = 1;
            return;
        }
    }
    TForm::WndProc(message);
}

void TFormMain::FormCloseQuery(TObject*, bool& canClose) {
    TPageJob* job = RunningJob();
    if (job == nullptr)
        return;
    const std::string question = std::string(job == FSplitJob.get() ? "A split" : "A join") +
                                 " job is running. Do you want to cancel it and close the window?";
    job->Hold(true);
    const int answer = Application->MessageBox(question, Application->Title(), MB_YESNO | MB_ICONQUESTION);
    if (answer == IDYES) {
        job->CancelAndWait();
        job->Hold(false);
        return;
    }
    canClose = false;
    job->Hold(false);
}

void TFormMain::BindFields() {
    BindField("PageControl1", PageControl1);
    BindField("TabSheet1", TabSheet1);
    BindField("TabSheet2", TabSheet2);
    BindField("ImageTop", ImageTop);
    BindField("LabelTop", LabelTop);
    BindField("ImageFile", ImageFile);
    BindField("Image3", Image3);
    BindField("GroupBoxFile", GroupBoxFile);
    BindField("LabelSelectFile", LabelSelectFile);
    BindField("EditFile", EditFile);
    BindField("LabelOutput", LabelOutput);
    BindField("EditOutputFolder", EditOutputFolder);
    BindField("btnOutputFolder", btnOutputFolder);
    BindField("btnSelectfile", btnSelectfile);
    BindField("GroupBoxSize", GroupBoxSize);
    BindField("LabelSizeTop", LabelSizeTop);
    BindField("RadioButton144", RadioButton144);
    BindField("RadioButton650", RadioButton650);
    BindField("RadioButton100", RadioButton100);
    BindField("RadioButton700", RadioButton700);
    BindField("RadioButtonUser", RadioButtonUser);
    BindField("sDecimalSpinEditMB", sDecimalSpinEditMB);
    BindField("LabelMB", LabelMB);
    BindField("btnStart", btnStart);
    BindField("btnHelp", btnHelp);
    BindField("ImageJoinTop", ImageJoinTop);
    BindField("LabelTop2", LabelTop2);
    BindField("ImageJoinTop2", ImageJoinTop2);
    BindField("GroupBoxFileJoin", GroupBoxFileJoin);
    BindField("LabelFileJoin1", LabelFileJoin1);
    BindField("EditFileJoin", EditFileJoin);
    BindField("LabelFileJoin2", LabelFileJoin2);
    BindField("EditFileJoinFolder", EditFileJoinFolder);
    BindField("btnFileJoinFolder", btnFileJoinFolder);
    BindField("btnFileJoin", btnFileJoin);
    BindField("btnStartJoin", btnStartJoin);
    BindField("OpenDialog", OpenDialog);
    BindField("sAlphaImageList16", sAlphaImageList16);
    BindField("sAlphaImageList32", sAlphaImageList32);
    BindField("PopupMenuHelp", PopupMenuHelp);
    BindField("menuHelpContent", menuHelpContent);
    BindField("menuHowTo", menuHowTo);
    BindField("menuHomePage", menuHomePage);
    BindField("menuMoreFreeTools", menuMoreFreeTools);
    BindField("menuCheckUpdates", menuCheckUpdates);
    BindField("menuContact", menuContact);
    BindField("menuAbout", menuAbout);
    BindField("sSkinProvider1", sSkinProvider1);
}

void TFormMain::PublishHandlers() {
    PublishMethod("FormCreate", &TFormMain::FormCreate);
    PublishMethod("FormClose", &TFormMain::FormClose);
    PublishMethod("btnSelectfileClick", &TFormMain::btnSelectfileClick);
    PublishMethod("btnOutputFolderClick", &TFormMain::btnOutputFolderClick);
    PublishMethod("btnStartClick", &TFormMain::btnStartClick);
    PublishMethod("btnFileJoinClick", &TFormMain::btnFileJoinClick);
    PublishMethod("btnFileJoinFolderClick", &TFormMain::btnFileJoinFolderClick);
    PublishMethod("btnStartJoinClick", &TFormMain::btnStartJoinClick);
    PublishMethod("btnHelpClick", &TFormMain::btnHelpClick);
    PublishMethod("menuHelpContentClick", &TFormMain::menuHelpContentClick);
    PublishMethod("menuHowToClick", &TFormMain::menuHowToClick);
    PublishMethod("menuHomePageClick", &TFormMain::menuHomePageClick);
    PublishMethod("menuMoreFreeToolsClick", &TFormMain::menuMoreFreeToolsClick);
    PublishMethod("menuCheckUpdatesClick", &TFormMain::menuCheckUpdatesClick);
    PublishMethod("menuContactClick", &TFormMain::menuContactClick);
    PublishMethod("menuAboutClick", &TFormMain::menuAboutClick);
}

void TFormMain::Loaded() {
    TForm::Loaded();
    FillImageLists();
}

void TFormMain::FillImageLists() {
    AddPngResources(*sAlphaImageList16, {IconOpenFilePng, IconFolderPng, IconStartPng, IconHelpPng});
    AddPngResources(*sAlphaImageList32, {TabSplitPng, TabJoinPng});
}

void TFormMain::FormCreate(TObject*) {
    // A failure here (an unreadable configuration, a settings file that cannot be
    // written) is shown, and the window still comes up with what was done so far.
    try {
        LoadProductConfiguration();
        RestoreSettings();
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
}

void TFormMain::LoadProductConfiguration() {
    SetCaption(Application->Title());
    LoadProductStrings(MainEnvironment().ConfigFile(), GlobalVars);
}

void TFormMain::RestoreSettings() {
    const TMainEnvironment& environment = MainEnvironment();
    GlobalVars.DataDir = ResolveDataDir(environment.ShellFolder("AppData"), Application->Title());
    GlobalVars.LastOpenFileDir = environment.ShellFolder("Personal");
    GlobalVars.LastOpenFolderDir = environment.ShellFolder("Personal");

    TFormPlacement placement{Left(), Top(), Width(), Height(), false};
    if (!LoadLastFolders()) {
        const SIZE screen = PrimaryScreenSize();
        placement = CenterOnScreen(placement, screen.cx, screen.cy);
    }
    LoadWindowPlacement(SettingsFormSection, placement);
    SetBounds(placement.Left, placement.Top, placement.Width, placement.Height);
    RestoreSkin();
    SetWindowState(placement.Maximized ? TWindowState::wsMaximized : TWindowState::wsNormal);
}

// The skin chosen last comes back; a name no longer among the skins leaves the stored one.
void TFormMain::RestoreSkin() {
    auto* manager = FindComponentOf<TsSkinManager>("sSkinManager1");
    const std::string name = LoadSkinName(SettingsFormSection);
    if (manager == nullptr || name.empty() || name == manager->SkinName())
        return;
    std::vector<std::string> skins;
    manager->ListSkins(skins);
    if (std::find(skins.begin(), skins.end(), name) != skins.end())
        manager->SetSkinName(name);
}

void TFormMain::FormClose(TObject*, TCloseAction&) {
    try {
        SaveLastFolders();
        SaveWindowPlacement(SettingsFormSection, Handle());
        if (auto* manager = FindComponentOf<TsSkinManager>("sSkinManager1"))
            SaveSkinName(SettingsFormSection, manager->SkinName());
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
}

void TFormMain::PickFile(TEdit& fileEdit, TEdit& folderEdit) {
    OpenDialog->InitialDir = GlobalVars.LastOpenFileDir;
    if (!OpenDialog->Execute(Handle()))
        return;
    TWaitCursorScope wait;
    fileEdit.SetText(OpenDialog->FileName);
    GlobalVars.LastOpenFileDir = WindowsFolderOf(OpenDialog->FileName);
    folderEdit.SetText(GlobalVars.LastOpenFileDir);
}

void TFormMain::PickFolder(TEdit& folderEdit) {
    std::string folder = GlobalVars.LastOpenFolderDir;
    if (!BrowseForFolder(Handle(), folder, FolderBrowserTitle, BrowseFolderFlags))
        return;
    folderEdit.SetText(AddBackslash(folder));
    GlobalVars.LastOpenFolderDir = folderEdit.Text();
}

void TFormMain::btnSelectfileClick(TObject*) {
    PickFile(*EditFile, *EditOutputFolder);
}

void TFormMain::btnOutputFolderClick(TObject*) {
    PickFolder(*EditOutputFolder);
}

std::int64_t TFormMain::SelectedPartSize() const {
    if (RadioButton144->Checked())
        return FloppyPartSize;
    if (RadioButton650->Checked())
        return Cd650PartSize;
    if (RadioButton100->Checked())
        return Size100PartSize;
    if (RadioButton700->Checked())
        return Cd700PartSize;
    if (RadioButtonUser->Checked())
        return UserPartSize(sDecimalSpinEditMB->Value());
    return 0;
}

void TFormMain::btnStartClick(TObject*) {
    // While a split shows its progress this button is "Cancel"; before, a second
    // click (a double click on Start) must not cancel or start anything.
    if (FSplitJob->Running()) {
        if (FSplitJob->ProgressShown())
            FSplitJob->Cancel();
        return;
    }
    if (JobRunning())
        return;
    const std::string source = EditFile->Text();
    const std::string destination = EditOutputFolder->Text();
    const std::int64_t size = SelectedPartSize();
    Application->ProcessMessages();

    auto splitter = std::make_shared<TFileSplitter>();
    splitter->SetSourceFile(source);
    // An empty destination means the source's own folder.
    splitter->DestFile = MakeSplitDestFile(source, destination);
    splitter->PartSize = size;
    FSplitJob->Start(
        [splitter](const TProgressEvent& progress, const TCancelQuery& cancel) {
            splitter->OnProgress = progress;
            splitter->CancelRequested = cancel;
            splitter->Split();
        },
        "Split job is completed!");
}

void TFormMain::btnFileJoinClick(TObject*) {
    PickFile(*EditFileJoin, *EditFileJoinFolder);
}

void TFormMain::btnFileJoinFolderClick(TObject*) {
    PickFolder(*EditFileJoinFolder);
}

void TFormMain::btnStartJoinClick(TObject*) {
    if (FJoinJob->Running()) {
        if (FJoinJob->ProgressShown())
            FJoinJob->Cancel();
        return;
    }
    if (JobRunning())
        return;
    auto jointer = std::make_shared<TFileJointer>();
    jointer->SetPartFile(EditFileJoin->Text());
    // The joiner takes an empty folder as the picked part's own.
    jointer->DestFolder = EditFileJoinFolder->Text();
    FJoinJob->Start(
        [jointer](const TProgressEvent& progress, const TCancelQuery& cancel) {
            jointer->OnProgress = progress;
            jointer->CancelRequested = cancel;
            jointer->Join();
        },
        "Join job is completed!");
}

void TFormMain::btnHelpClick(TObject*) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    PopupMenuHelp->Popup(cursor.x, cursor.y);
}

void TFormMain::menuHelpContentClick(TObject*) {
    OpenWithShell(GlobalVars.HelpContentLink);
}

void TFormMain::menuHowToClick(TObject*) {
    OpenWithShell(GlobalVars.HowToLink);
}

void TFormMain::menuHomePageClick(TObject*) {
    OpenWithShell(GlobalVars.HomePageLink);
}

void TFormMain::menuMoreFreeToolsClick(TObject*) {
    OpenWithShell(GlobalVars.MoreFreeToolsLink);
}

void TFormMain::menuCheckUpdatesClick(TObject*) {
    OpenWithShell(GlobalVars.CheckForUpdatesLink);
}

void TFormMain::menuContactClick(TObject*) {
    OpenWithShell(GlobalVars.SupportLink);
}

void TFormMain::menuAboutClick(TObject*) {
    std::unique_ptr<TFormAbout> about(new TFormAbout(this));
    about->ShowModal();
}

} // namespace sj
