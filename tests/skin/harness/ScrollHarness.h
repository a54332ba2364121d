// A window that uses what the program's own windows do not: a multi-line edit that
// scrolls both ways, a list view in report view with a header and many rows, a tree
// view that scrolls, with its own skin manager whose rules skin forms without a
// provider and system dialogs as well. The harness tests drive it through messages;
// the harness program shows it for a look (and a screenshot). Windows only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "forms/Forms.h"
#include "forms/StdCtrls.h"
#include "skin/data/sSkinManager.h"
#include "skin/frame/sSkinProvider.h"

namespace sj::harness {

// Framework controls over the system's multi-line edit, list view and tree view, named
// as the manager's class lists name them.
class TMemo : public TWinControl {
    SJ_CLASS(TMemo, TWinControl)

public:
    explicit TMemo(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
};

class TListView : public TWinControl {
    SJ_CLASS(TListView, TWinControl)

public:
    explicit TListView(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
};

class TTreeView : public TWinControl {
    SJ_CLASS(TTreeView, TWinControl)

public:
    explicit TTreeView(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
};

inline constexpr int HarnessListRows = 60;
inline constexpr int HarnessTreeRoots = 12;
inline constexpr int HarnessMemoLines = 80;

class TScrollHarnessForm : public TForm {
    SJ_CLASS(TScrollHarnessForm, TForm)

public:
    // rules: the manager's skinning rules.
    TScrollHarnessForm(TComponent* owner, const std::string& skinName, unsigned rules);

    TsSkinManager* Manager = nullptr;
    TsSkinProvider* Provider = nullptr;
    TMemo* Memo = nullptr;
    TListView* List = nullptr;
    TTreeView* Tree = nullptr;
    TButton* DialogButton = nullptr;

    // Fills the memo, the list and the tree (once their windows exist).
    void Fill();

private:
    void FillContents();
};

// Registers the harness classes with the form reader; idempotent.
void RegisterHarnessClasses();

// The stored description of the harness form.
std::string HarnessFormText(const std::string& skinName, unsigned rules);

// Processes pending messages (and waits up to `milliseconds` for more).
void Pump(DWORD milliseconds = 0);

} // namespace sj::harness
