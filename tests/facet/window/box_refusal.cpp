// RefuseMessageBoxes: a CBT hook on the calling thread that refuses the
// creation of every dialog window ("#32770", what MessageBoxW makes).
#include "box_refusal.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace Facet {
namespace WindowTest {
namespace {

LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        wchar_t name[32] = L"";
        ::GetClassNameW(reinterpret_cast<HWND>(wParam), name, 32);
        if (std::wcscmp(name, L"#32770") == 0) {
            const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
            const wchar_t* caption = create->lpcs->lpszName ? create->lpcs->lpszName : L"";
            std::fwprintf(stderr, L"a message box \"%ls\" was refused: nobody would answer it here\n", caption);
            std::fflush(stderr);
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void RefuseMessageBoxes() {
    static HHOOK hook = ::SetWindowsHookExW(WH_CBT, RefuseDialogs, nullptr, ::GetCurrentThreadId());
    (void)hook;
}

}  // namespace WindowTest
}  // namespace Facet
