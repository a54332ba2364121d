// The message record that travels through a control's WindowProc, and the
// framework's private message numbers: CM_* notifications between controls and
// CN_* messages a parent reflects to the child they concern (CN_BASE plus the
// original number). Both ranges sit inside the WM_APP area and stay clear of the
// numbers the skinning layer uses (0xA100, 0xA400, 0xB000, 0xBC4D, 0xBCB3, 0xBCB4).
#pragma once

#include <windows.h>

namespace sj {

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

inline constexpr UINT CM_BASE = WM_APP + 0x1000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 2;
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 3;
inline constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 4;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 5;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 6;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 7;
inline constexpr UINT CM_MOUSEENTER = CM_BASE + 8;
inline constexpr UINT CM_MOUSELEAVE = CM_BASE + 9;
// LParam: the control that now has the focus.
inline constexpr UINT CM_FOCUSCHANGED = CM_BASE + 10;
// WParam: virtual key, LParam: shift state. Result 1 = the key was used.
inline constexpr UINT CM_DIALOGKEY = CM_BASE + 11;
inline constexpr UINT CM_DIALOGCHAR = CM_BASE + 12;
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 13;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 14;
inline constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr UINT CM_RELEASE = CM_BASE + 16;
// WParam: the control, LParam: 1 inserted, 0 removed.
inline constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 17;
inline constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 18;
inline constexpr UINT CM_BORDERCHANGED = CM_BASE + 19;
// A form's menu bar changed (posted once per batch of changes); the form puts the
// rebuilt bar on its window.
inline constexpr UINT CM_MENUCHANGED = CM_BASE + 20;
inline constexpr UINT CM_LAST = CM_BASE + 0xFF;

inline constexpr UINT CN_BASE = WM_APP + 0x1400;
inline constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
inline constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
inline constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
inline constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
inline constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
inline constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
inline constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
inline constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
inline constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
inline constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
inline constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
inline constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
inline constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
inline constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
inline constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
inline constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
inline constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
inline constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
inline constexpr UINT CN_LAST = CN_BASE + 0x3FF;

constexpr bool IsFrameworkMessage(UINT msg) {
    return (msg >= CM_BASE && msg <= CM_LAST) || (msg >= CN_BASE && msg <= CN_LAST);
}

static_assert(!IsFrameworkMessage(0xA100) && !IsFrameworkMessage(0xA400) && !IsFrameworkMessage(0xB000) &&
                  !IsFrameworkMessage(0xBC4D) && !IsFrameworkMessage(0xBCB3) && !IsFrameworkMessage(0xBCB4),
              "private message numbers must not meet the skinning layer's");

} // namespace sj
