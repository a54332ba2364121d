// The controls of a skinned system dialog: which adapter and section each class takes.
#include "skin/frame/acDials.h"

#include "skin/frame/acDialsInternal.h"

#include <commctrl.h>

namespace sj::dials_detail {

TacChildClass ChildClassOf(HWND child) {
    const std::string cls = LowerCase(WindowClassName(child));
    if (cls == "static")
        return TacChildClass::Static;
    if (cls == DialogClass)
        return TacChildClass::NestedDialog;
    if (cls == "edit")
        return TacChildClass::Edit;
    if (cls == "button")
        return TacChildClass::Button;
    if (cls == "listbox")
        return TacChildClass::ListBox;
    if (cls == "combolbox")
        return TacChildClass::ComboList;
    if (cls == "syslistview32")
        return TacChildClass::ListView;
    if (cls == "systreeview32")
        return TacChildClass::TreeView;
    if (cls == "msctls_updown32")
        return TacChildClass::UpDown;
    if (cls == "shbrowseforfolder")
        return TacChildClass::FolderPane;
    if (cls == "combobox" || cls == "comboboxex32")
        return TacChildClass::ComboBox;
    if (cls == "toolbarwindow32")
        return TacChildClass::ToolBar;
    // An owner-drawn tab control draws its tabs itself.
    if (cls == "systabcontrol32")
        return (::GetWindowLongA(child, GWL_STYLE) & TCS_OWNERDRAWFIXED) != 0 ? TacChildClass::None
                                                                              : TacChildClass::TabControl;
    if (cls == "msctls_trackbar32")
        return TacChildClass::TrackBar;
    if (cls == "syslink" || cls == "link window")
        return TacChildClass::Link;
    if (cls == "scrollbar")
        return (::GetWindowLongA(child, GWL_STYLE) & SBS_SIZEGRIP) != 0 ? TacChildClass::SizeGrip
                                                                        : TacChildClass::None;
    return TacChildClass::None;
}

namespace {

std::unique_ptr<TacMainWnd> ButtonAdapter(HWND child, TsSkinManager& manager) {
    const LONG type = ::GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
    switch (type) {
    case BS_GROUPBOX:
        return std::make_unique<TacGroupBoxWnd>(child, "GROUPBOX", &manager);
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return std::make_unique<TacCheckBoxWnd>(child, "CHECKBOX", &manager);
    case BS_OWNERDRAW:
        return nullptr; // its owner paints it
    default:
        return std::make_unique<TacBtnWnd>(child, "BUTTON", &manager);
    }
}

template <class TAdapter>
std::unique_ptr<TacMainWnd> InDialogMode(HWND child, const char* section, TsSkinManager& manager) {
    auto adapter = std::make_unique<TAdapter>(child, section, &manager);
    adapter->DialogMode = true;
    return adapter;
}

} // namespace

std::unique_ptr<TacMainWnd> MakeChildAdapter(HWND child, TsSkinManager& manager) {
    switch (ChildClassOf(child)) {
    case TacChildClass::Static:
        return AttachStaticAdapter(child, &manager);
    case TacChildClass::NestedDialog:
    case TacChildClass::FolderPane:
        return std::make_unique<TacTransPanelWnd>(child, "CHECKBOX", &manager);
    case TacChildClass::Edit:
        if (!::IsWindowVisible(child))
            return nullptr;
        return InDialogMode<TacEditWnd>(child, "EDIT", manager);
    case TacChildClass::Button:
        return ButtonAdapter(child, manager);
    case TacChildClass::ListBox:
        return InDialogMode<TacEditWnd>(child, "EDIT", manager);
    case TacChildClass::ComboList:
        return InDialogMode<TacEditWnd>(child, "COMBOBOX", manager);
    case TacChildClass::ListView:
        return InDialogMode<TacListViewWnd>(child, "EDIT", manager);
    case TacChildClass::TreeView:
        return InDialogMode<TacTreeViewWnd>(child, "EDIT", manager);
    case TacChildClass::UpDown:
        return std::make_unique<TacSpinWnd>(child, "SPEEDBUTTON_SMALL", &manager);
    case TacChildClass::ComboBox:
        return InDialogMode<TacDialogComboWnd>(child, "COMBOBOX", manager);
    case TacChildClass::ToolBar:
        return std::make_unique<TacDialogToolBarWnd>(child, DialogToolBarSection(child), &manager);
    case TacChildClass::TabControl:
        return std::make_unique<TacDialogTabWnd>(child, "PAGECONTROL", &manager);
    case TacChildClass::TrackBar:
        return std::make_unique<TacDialogTrackWnd>(child, "TRACKBAR", &manager);
    case TacChildClass::Link:
        return std::make_unique<TacDialogLinkWnd>(child, "CHECKBOX", &manager);
    case TacChildClass::SizeGrip:
        return std::make_unique<TacDialogGripWnd>(child, "CHECKBOX", &manager);
    case TacChildClass::None:
        return nullptr;
    }
    return nullptr;
}

} // namespace sj::dials_detail
