// The harness form: its controls, their contents and its stored description.
#include "tests/skin/harness/ScrollHarness.h"

#include <commctrl.h>

#include <cstdio>

#include "forms/FormReader.h"
#include "forms/FormResources.h"
#include "forms/NonVisualClasses.h"
#include "skin/frame/acDials.h"

namespace sj::harness {

namespace {

void InitListControls() {
    static bool done = false;
    if (done)
        return;
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&init);
    done = true;
}

std::string InternalSkinItems() {
    const std::vector<std::uint8_t> bytes = LoadDataResource("SJ_INTERNALSKINS");
    return std::string(bytes.begin(), bytes.end());
}

std::string RuleSet(unsigned rules) {
    std::string set;
    const auto add = [&set](const char* name) { set += set.empty() ? name : std::string(", ") + name; };
    if ((rules & srStdForms) != 0)
        add("srStdForms");
    if ((rules & srStdDialogs) != 0)
        add("srStdDialogs");
    if ((rules & srThirdParty) != 0)
        add("srThirdParty");
    return "[" + set + "]";
}

std::string Control(const char* name, const char* cls, int left, int top, int width, int height) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "  object %s: %s\n    Left = %d\n    Top = %d\n    Width = %d\n    Height = %d\n", name, cls, left,
                  top, width, height);
    return text;
}

} // namespace

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 89);
    SetTabStop(true);
}

void TMemo::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "EDIT");
    params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL | ES_WANTRETURN;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
}

void TListView::CreateParams(TCreateParams& params) {
    InitListControls();
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_LISTVIEWA);
    params.Style |= LVS_REPORT | LVS_SHOWSELALWAYS;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
}

void TTreeView::CreateParams(TCreateParams& params) {
    InitListControls();
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_TREEVIEWA);
    params.Style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void RegisterHarnessClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterNonVisualClasses();
    RegisterSkinProviderClasses();
    InstallDialogHook();
    RegisterSkinManagerClasses();
    RegisterComponentClass<TMemo>();
    RegisterComponentClass<TListView>();
    RegisterComponentClass<TTreeView>();
}

std::string HarnessFormText(const std::string& skinName, unsigned rules) {
    std::string text = "object HarnessForm: TScrollHarnessForm\n"
                       "  Left = 60\n  Top = 40\n  BorderStyle = bsSizeable\n"
                       "  Caption = 'Scroll harness'\n  ClientHeight = 400\n  ClientWidth = 660\n"
                       "  Color = clBtnFace\n  Font.Height = -11\n  Font.Name = 'Tahoma'\n";
    text += "  object sSkinManager1: TsSkinManager\n" + InternalSkinItems() +
            "    SkinDirectory = 'c:\\Skins'\n"
            "    SkinName = '" +
            skinName +
            "'\n"
            "    SkinningRules = " +
            RuleSet(rules) +
            "\n"
            "    ThirdParty.ThirdEdits.Strings = (\n        'TEdit'\n        'TMemo')\n"
            "    ThirdParty.ThirdButtons.Strings = (\n        'TButton')\n"
            "    ThirdParty.ThirdListViews.Strings = (\n        'TListView')\n"
            "    ThirdParty.ThirdTreeViews.Strings = (\n        'TTreeView')\n"
            "  end\n"
            "  object sSkinProvider1: TsSkinProvider\n    SkinData.SkinSection = 'FORM'\n  end\n";
    text += Control("Memo1", "TMemo", 12, 12, 300, 170) + "  end\n";
    text += Control("ListView1", "TListView", 324, 12, 324, 200) + "  end\n";
    text += Control("TreeView1", "TTreeView", 12, 194, 300, 194) + "  end\n";
    text += Control("Button1", "TButton", 324, 224, 120, 25) + "    Caption = 'Dialogs'\n  end\n";
    text += "end\n";
    return text;
}

TScrollHarnessForm::TScrollHarnessForm(TComponent* owner, const std::string& skinName, unsigned rules)
    : TForm(owner) {
    RegisterHarnessClasses();
    BindField("sSkinManager1", Manager);
    BindField("sSkinProvider1", Provider);
    BindField("Memo1", Memo);
    BindField("ListView1", List);
    BindField("TreeView1", Tree);
    BindField("Button1", DialogButton);
    CreateFromText(HarnessFormText(skinName, rules));
}

void TScrollHarnessForm::Fill() {
    // One paint at the end instead of one per row.
    for (TWinControl* control : {static_cast<TWinControl*>(Memo), static_cast<TWinControl*>(List),
                                 static_cast<TWinControl*>(Tree)})
        ::SendMessageA(control->Handle(), WM_SETREDRAW, FALSE, 0);
    FillContents();
    for (TWinControl* control : {static_cast<TWinControl*>(Memo), static_cast<TWinControl*>(List),
                                 static_cast<TWinControl*>(Tree)}) {
        ::SendMessageA(control->Handle(), WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void TScrollHarnessForm::FillContents() {
    std::string lines;
    for (int i = 1; i <= HarnessMemoLines; ++i) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "Line %02d: the quick brown fox jumps over the lazy dog, and then runs far to the right%s", i,
                      i < HarnessMemoLines ? "\r\n" : "");
        lines += line;
    }
    ::SetWindowTextA(Memo->Handle(), lines.c_str());

    HWND list = List->Handle();
    const char* columns[] = {"Name", "Size", "Kind"};
    const int widths[] = {140, 70, 140};
    const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_LEFT};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = const_cast<char*>(columns[c]);
        column.cx = widths[c];
        column.fmt = formats[c];
        ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
    for (int row = 0; row < HarnessListRows; ++row) {
        char name[32];
        std::snprintf(name, sizeof name, "part%03d.bin", row + 1);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = name;
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        char size[32];
        std::snprintf(size, sizeof size, "%d KB", 1440 - row * 7);
        item.iSubItem = 1;
        item.pszText = size;
        ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 2;
        item.pszText = const_cast<char*>(row % 3 == 0 ? "First part of a split file" : "Continuation part");
        ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }

    HWND tree = Tree->Handle();
    for (int r = 0; r < HarnessTreeRoots; ++r) {
        char text[64];
        std::snprintf(text, sizeof text, "Folder %02d with a rather long name to scroll sideways", r + 1);
        TVINSERTSTRUCTA insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = text;
        auto parent = reinterpret_cast<HTREEITEM>(
            ::SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        for (int c = 0; c < 3; ++c) {
            char child[32];
            std::snprintf(child, sizeof child, "File %02d.%d", r + 1, c + 1);
            insert.hParent = parent;
            insert.item.pszText = child;
            ::SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
        }
        ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    }
}

void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (milliseconds > 0)
            ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
}

} // namespace sj::harness
