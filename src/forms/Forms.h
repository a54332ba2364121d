// Forms, the application object and the screen.
//
// TCustomForm is a top-level window owned by the application's hidden window; it
// keeps its active control, handles dialog keys (Tab and arrows move the focus,
// Enter and Esc go to the default and cancel buttons), closes through OnClose with
// a close action, runs modally with a modal result, and is never freed inside its
// own handlers: Release defers the free to the application window.
// TApplication owns the forms and the hidden application window (the owner of the
// forms and of the taskbar button); hooks see that window's messages first, and the
// main form's minimise and restore pass through it. Its default exception handler
// shows the message in an error message box captioned with the title.
// TScreen knows the forms, the screen and work-area size and the cursor that
// overrides every control's (the wait cursor).
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Controls.h"
#include "forms/Icon.h"
#include "forms/Menus.h"

namespace sj {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum class TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = IDOK;
inline constexpr TModalResult mrCancel = IDCANCEL;
inline constexpr TModalResult mrAbort = IDABORT;
inline constexpr TModalResult mrRetry = IDRETRY;
inline constexpr TModalResult mrIgnore = IDIGNORE;
inline constexpr TModalResult mrYes = IDYES;
inline constexpr TModalResult mrNo = IDNO;
inline constexpr TModalResult mrClose = 8;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TCustomForm : public TWinControl {
    SJ_CLASS(TCustomForm, TWinControl)

public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value) { position_ = value; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState value);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle value);
    TIcon& Icon() { return icon_; }
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool value);
    BYTE AlphaBlendValue() const { return alphaBlendValue_; }
    void SetAlphaBlendValue(BYTE value);
    // The menu bar, or null. Its items' commands, measuring and drawing reach them
    // through the form's window.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    RECT ClientRect() const override;

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    bool SetFocusedControl(TWinControl* control) override;
    bool Active() const { return active_; }

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    bool Modal() const { return modal_; }
    // Shows the form and runs messages until ModalResult is set (or the
    // application ends: mrCancel); other windows are disabled meanwhile.
    TModalResult ShowModal();
    void Close();
    bool CloseQuery();
    // Frees the form once the current message is done (never inside its handlers).
    void Release();
    void BringToFront();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void DestroyWnd() override;
    void WndProc(TMessage& message) override;
    void PaintWindow(HDC dc) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Builds the form from a stored description: the resource named after the
    // class (upper case), or given text; then OnCreate. Derived constructors call
    // one of them after publishing their handlers and binding their fields.
    void CreateFromResource();
    void CreateFromResource(const std::string& resourceName);
    void CreateFromText(std::string_view description);
    virtual void DoCreate();
    virtual void DoClose(TCloseAction& action);

    TCanvas& Canvas() { return canvas_; }

private:
    friend class TApplication;
    void ApplyPosition();
    void ApplyAlphaBlend();
    void VisibleChanged();
    void DialogKey(TMessage& message);
    void Activated(bool active);
    void CloseModal();
    bool RouteMenuMessage(TMessage& message);

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = TPosition::poDesigned;
    TWindowState windowState_ = TWindowState::wsNormal;
    TFormStyle formStyle_ = TFormStyle::fsNormal;
    TIcon icon_;
    bool alphaBlend_ = false;
    BYTE alphaBlendValue_ = 255;
    bool keyPreview_ = false;
    TWinControl* activeControl_ = nullptr;
    TMainMenu* menu_ = nullptr;
    bool active_ = false;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool positioned_ = false;
    int storedClientWidth_ = -1;
    int storedClientHeight_ = -1;
    TCanvas canvas_;
};

class TForm : public TCustomForm {
    SJ_CLASS(TForm, TCustomForm)

public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

using TWindowHook = std::function<bool(TMessage& message)>;
using TExceptionEvent = std::function<void(TObject* sender, const std::exception_ptr& error)>;

class TApplication : public TComponent {
    SJ_CLASS(TApplication, TComponent)

public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    HWND Handle() const { return handle_; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value);
    TIcon& Icon() { return icon_; }
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* form) { mainForm_ = form; }

    // Creates a form owned by the application; the first becomes the main form.
    template <class T> T* CreateForm(T*& reference) {
        T* form = new T(this);
        reference = form;
        if (mainForm_ == nullptr)
            mainForm_ = form;
        return form;
    }

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    // Handles every message waiting now, then returns.
    void ProcessMessages();
    // Waits for and handles one message.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Forgets an earlier Terminate (tests run several loops in one process).
    void ResetTerminated() { terminated_ = false; }
    void Minimize();
    void Restore();
    bool Minimized() const { return minimized_; }

    // Hooks on the application window's messages, newest first; a hook returning
    // true has handled the message.
    int HookMainWindow(TWindowHook hook);
    void UnhookMainWindow(int hookId);

    void HandleException(std::exception_ptr error);
    // The message box: title as caption, error icon, OK button; "." appended when
    // the message's last character sorts after ".".
    void ShowException(const std::string& message);
    static std::string ExceptionMessage(const std::exception_ptr& error);
    // A message box owned by the active window, through the replaceable
    // message-box function of the dialogs unit (tests answer it there).
    int MessageBox(const std::string& text, const std::string& caption, UINT flags);
    TExceptionEvent OnException;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

private:
    friend class TCustomForm;
    static LRESULT CALLBACK AppWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void WndProc(TMessage& message);
    bool ProcessMessage(MSG& msg);
    bool IsKeyMsg(MSG& msg);
    void QueueRelease(TCustomForm* form);
    void CancelRelease(TCustomForm* form);
    void FreeReleasedForms();
    void FormDestroyed(TCustomForm* form);

    HWND handle_ = nullptr;
    std::string title_;
    TIcon icon_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool minimized_ = false;
    std::vector<HWND> hiddenOnMinimize_;
    std::vector<std::pair<int, TWindowHook>> hooks_;
    int nextHookId_ = 1;
    std::vector<TCustomForm*> releaseQueue_;
};

class TScreen : public TComponent {
    SJ_CLASS(TScreen, TComponent)

public:
    explicit TScreen(TComponent* owner);

    TCursor Cursor() const { return cursor_; }
    // A cursor other than crDefault shows over every window of the application.
    void SetCursor(TCursor value);
    HCURSOR Cursors(TCursor cursor) const;
    // Registers an application cursor (the skin layer's hand and drag cursors).
    void SetCursors(TCursor cursor, HCURSOR handle);

    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const { return forms_.at(static_cast<size_t>(index)); }
    TCustomForm* ActiveForm() const;
    int Width() const;
    int Height() const;
    RECT WorkAreaRect() const;
    int WorkAreaWidth() const;
    int WorkAreaHeight() const;

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* form) { forms_.push_back(form); }
    void RemoveForm(TCustomForm* form);

    TCursor cursor_ = crDefault;
    std::map<TCursor, HCURSOR> custom_;
    std::vector<TCustomForm*> forms_;
};

// The process-wide objects, made when the program starts.
extern TApplication* Application;

// Frees the application with its forms, then the screen. A program calls it when its
// message loop has ended, so its windows go while the whole process is still there;
// otherwise it runs when the statics are destroyed. Safe to call more than once.
void DoneApplication();
extern TScreen* Screen;

// The form a control sits on, or none.
TCustomForm* GetParentForm(TControl* control);

} // namespace sj
