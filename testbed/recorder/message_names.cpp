#include "testbed/recorder/message_names.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace testbed {

namespace {

struct NamedMessage {
  unsigned message;
  const char* name;
};

#define NAMED(m) \
  { m, #m }

const NamedMessage KNOWN_MESSAGES[] = {
    NAMED(WM_NULL),
    NAMED(WM_CREATE),
    NAMED(WM_DESTROY),
    NAMED(WM_MOVE),
    NAMED(WM_SIZE),
    NAMED(WM_ACTIVATE),
    NAMED(WM_SETFOCUS),
    NAMED(WM_KILLFOCUS),
    NAMED(WM_ENABLE),
    NAMED(WM_SETREDRAW),
    NAMED(WM_SETTEXT),
    NAMED(WM_GETTEXT),
    NAMED(WM_GETTEXTLENGTH),
    NAMED(WM_PAINT),
    NAMED(WM_CLOSE),
    NAMED(WM_QUERYENDSESSION),
    NAMED(WM_QUIT),
    NAMED(WM_ERASEBKGND),
    NAMED(WM_SYSCOLORCHANGE),
    NAMED(WM_ENDSESSION),
    NAMED(WM_SHOWWINDOW),
    NAMED(WM_SETTINGCHANGE),
    NAMED(WM_ACTIVATEAPP),
    NAMED(WM_SETCURSOR),
    NAMED(WM_MOUSEACTIVATE),
    NAMED(WM_GETMINMAXINFO),
    NAMED(WM_WINDOWPOSCHANGING),
    NAMED(WM_WINDOWPOSCHANGED),
    NAMED(WM_COPYDATA),
    NAMED(WM_NOTIFY),
    NAMED(WM_CONTEXTMENU),
    NAMED(WM_GETICON),
    NAMED(WM_SETICON),
    NAMED(WM_NCCREATE),
    NAMED(WM_NCDESTROY),
    NAMED(WM_NCCALCSIZE),
    NAMED(WM_NCHITTEST),
    NAMED(WM_NCPAINT),
    NAMED(WM_NCACTIVATE),
    NAMED(WM_GETDLGCODE),
    NAMED(WM_NCMOUSEMOVE),
    NAMED(WM_NCLBUTTONDOWN),
    NAMED(WM_KEYDOWN),
    NAMED(WM_KEYUP),
    NAMED(WM_CHAR),
    NAMED(WM_DEADCHAR),
    NAMED(WM_SYSKEYDOWN),
    NAMED(WM_SYSKEYUP),
    NAMED(WM_SYSCHAR),
    NAMED(WM_INITDIALOG),
    NAMED(WM_COMMAND),
    NAMED(WM_SYSCOMMAND),
    NAMED(WM_TIMER),
    NAMED(WM_INITMENU),
    NAMED(WM_INITMENUPOPUP),
    NAMED(WM_MENUSELECT),
    NAMED(WM_ENTERIDLE),
    NAMED(WM_UNINITMENUPOPUP),
    NAMED(WM_CTLCOLORDLG),
    NAMED(WM_CTLCOLOREDIT),
    NAMED(WM_CTLCOLORSTATIC),
    NAMED(WM_MOUSEMOVE),
    NAMED(WM_LBUTTONDOWN),
    NAMED(WM_LBUTTONUP),
    NAMED(WM_LBUTTONDBLCLK),
    NAMED(WM_RBUTTONDOWN),
    NAMED(WM_RBUTTONUP),
    NAMED(WM_RBUTTONDBLCLK),
    NAMED(WM_MBUTTONDOWN),
    NAMED(WM_MBUTTONUP),
    NAMED(WM_MBUTTONDBLCLK),
    NAMED(WM_MOUSEWHEEL),
    NAMED(WM_PARENTNOTIFY),
    NAMED(WM_ENTERMENULOOP),
    NAMED(WM_EXITMENULOOP),
    NAMED(WM_CAPTURECHANGED),
    NAMED(WM_IME_SETCONTEXT),
    NAMED(WM_IME_NOTIFY),
    NAMED(WM_MOUSELEAVE),
    NAMED(WM_PRINTCLIENT),
    NAMED(WM_THEMECHANGED),
    NAMED(WM_HOTKEY),
    NAMED(WM_CANCELMODE),
    NAMED(WM_CHILDACTIVATE),
    NAMED(WM_STYLECHANGING),
    NAMED(WM_STYLECHANGED),
    NAMED(WM_DISPLAYCHANGE),
    NAMED(WM_NEXTDLGCTL),
    NAMED(WM_SETFONT),
    NAMED(WM_GETFONT),
    NAMED(WM_QUERYOPEN),
};

#undef NAMED

struct MessageBand {
  unsigned first;
  const char* name;
};

// Searched from the top: the first band at or below the message names it.
const MessageBand BANDS[] = {
    {0xC000, nullptr},  // registered messages: named by the system
    {WM_APP, "WM_APP"},
    {LVM_FIRST, "LVM_FIRST"},
    {WM_USER, "WM_USER"},
};

}  // namespace

std::string MessageName(unsigned message) {
  for (const NamedMessage& known : KNOWN_MESSAGES) {
    if (known.message == message) return known.name;
  }
  char text[128];
  for (const MessageBand& band : BANDS) {
    if (message < band.first) continue;
    if (band.name == nullptr) {
      if (message <= 0xFFFF && GetClipboardFormatNameA(message, text, sizeof text) > 0) return text;
      break;
    }
    snprintf(text, sizeof text, "%s+%u", band.name, message - band.first);
    return text;
  }
  snprintf(text, sizeof text, "0x%04X", message);
  return text;
}

}  // namespace testbed
