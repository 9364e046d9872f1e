// The trace hooks: DUI__Trace is silent; DUI__TraceMsg names common messages
// for diagnostics written by hand.
#include <cwchar>

#include "facet/window/window_wnd.h"

namespace Facet {

void DUI__Trace(const wchar_t* /*pstrFormat*/, ...) {}

const wchar_t* DUI__TraceMsg(UINT uMsg) {
#define MSGDEF_WIDEN2(x) L##x
#define MSGDEF_WIDEN(x) MSGDEF_WIDEN2(x)
#define MSGDEF(x) \
    case x:       \
        return MSGDEF_WIDEN(#x)
    switch (uMsg) {
        MSGDEF(WM_SETCURSOR);
        MSGDEF(WM_NCHITTEST);
        MSGDEF(WM_NCPAINT);
        MSGDEF(WM_PAINT);
        MSGDEF(WM_ERASEBKGND);
        MSGDEF(WM_NCMOUSEMOVE);
        MSGDEF(WM_MOUSEMOVE);
        MSGDEF(WM_MOUSELEAVE);
        MSGDEF(WM_MOUSEHOVER);
        MSGDEF(WM_NOTIFY);
        MSGDEF(WM_COMMAND);
        MSGDEF(WM_MEASUREITEM);
        MSGDEF(WM_DRAWITEM);
        MSGDEF(WM_LBUTTONDOWN);
        MSGDEF(WM_LBUTTONUP);
        MSGDEF(WM_LBUTTONDBLCLK);
        MSGDEF(WM_RBUTTONDOWN);
        MSGDEF(WM_RBUTTONUP);
        MSGDEF(WM_RBUTTONDBLCLK);
        MSGDEF(WM_SETFOCUS);
        MSGDEF(WM_KILLFOCUS);
        MSGDEF(WM_MOVE);
        MSGDEF(WM_SIZE);
        MSGDEF(WM_SIZING);
        MSGDEF(WM_MOVING);
        MSGDEF(WM_GETMINMAXINFO);
        MSGDEF(WM_CAPTURECHANGED);
        MSGDEF(WM_WINDOWPOSCHANGED);
        MSGDEF(WM_WINDOWPOSCHANGING);
        MSGDEF(WM_NCCALCSIZE);
        MSGDEF(WM_NCCREATE);
        MSGDEF(WM_NCDESTROY);
        MSGDEF(WM_TIMER);
        MSGDEF(WM_KEYDOWN);
        MSGDEF(WM_KEYUP);
        MSGDEF(WM_CHAR);
        MSGDEF(WM_SYSKEYDOWN);
        MSGDEF(WM_SYSKEYUP);
        MSGDEF(WM_SYSCOMMAND);
        MSGDEF(WM_SYSCHAR);
        MSGDEF(WM_VSCROLL);
        MSGDEF(WM_HSCROLL);
        MSGDEF(WM_CHILDACTIVATE);
        MSGDEF(WM_SHOWWINDOW);
        MSGDEF(WM_SETTEXT);
        MSGDEF(WM_GETTEXT);
        MSGDEF(WM_ACTIVATE);
        MSGDEF(WM_ACTIVATEAPP);
        MSGDEF(WM_NCACTIVATE);
        MSGDEF(WM_CREATE);
        MSGDEF(WM_DESTROY);
        MSGDEF(WM_CLOSE);
    }
#undef MSGDEF
#undef MSGDEF_WIDEN
#undef MSGDEF_WIDEN2
    // One buffer for the UI thread: the text is read before the next call.
    static wchar_t szMsg[10];
    std::swprintf(szMsg, sizeof(szMsg) / sizeof(szMsg[0]), L"0x%04X", uMsg);
    return szMsg;
}

}  // namespace Facet
