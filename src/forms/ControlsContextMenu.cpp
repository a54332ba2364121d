// Pop-up menus of controls: the menu a right click or the menu key opens.
#include "forms/Controls.h"

#include "forms/Menus.h"

namespace sj {

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (menu == popupMenu_)
        return;
    if (popupMenu_ != nullptr)
        popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (popupMenu_ != nullptr)
        popupMenu_->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == popupMenu_)
        popupMenu_ = nullptr;
}

// WM_CONTEXTMENU: the menu of the graphic child under the point, else the control's
// own. The menu key sends the point (-1, -1): the menu then opens at the control's
// client origin. A control without a menu leaves the message to the system, which
// hands it on to the parent.
bool TWinControl::ShowContextMenu(TMessage& message) {
    const POINT screen{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
    const bool fromKeyboard = screen.x == -1 && screen.y == -1;
    TControl* owner = this;
    if (!fromKeyboard) {
        if (TControl* child = ControlAtPos(ScreenToClient(screen), false); child != nullptr && child->PopupMenu())
            owner = child;
    }
    TPopupMenu* menu = owner->PopupMenu();
    if (menu == nullptr || !menu->AutoPopup())
        return false;
    const POINT at = fromKeyboard ? ClientToScreen(POINT{0, 0}) : screen;
    menu->SetPopupComponent(owner);
    menu->Popup(at.x, at.y);
    message.Result = 1;
    return true;
}

} // namespace sj
