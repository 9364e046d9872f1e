// CWindowWnd owns one native window: it registers a window class (its own or
// a superclass of an existing one), creates or subclasses the window, maps the
// native window back to the object and hands every message to HandleMessage.
#pragma once

#include <windows.h>

namespace Facet {

class CWindowWnd {
public:
    CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const;
    operator HWND() const;

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle,
                const RECT rc, HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    HWND CreateDuiWindow(HWND hwndParent, const wchar_t* pstrWindowName, DWORD dwStyle = 0,
                         DWORD dwExStyle = 0);
    HWND Subclass(HWND hWnd);
    void Unsubclass();
    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    UINT ShowModal();
    void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);

    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    void ResizeClient(int cx = -1, int cy = -1);

protected:
    // Not virtual: a window object is deleted through its own class (the main
    // window deletes itself on its final message), never through this base.
    ~CWindowWnd() = default;

    virtual const wchar_t* GetWndClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

    static LRESULT CALLBACK __WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK __ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd;
    WNDPROC m_OldWndProc;
    bool m_bSubclassed;

private:
    // The common end of both procedures once the previous one saw WM_NCDESTROY.
    static LRESULT FinalMessage(CWindowWnd* pThis, HWND hWnd, LRESULT lRes);
};

// Tracing hooks kept for callers; the release build traces nothing.
void DUI__Trace(const wchar_t* pstrFormat, ...);
// The symbolic name of a common window message, else its number as "0x%04X".
const wchar_t* DUI__TraceMsg(UINT uMsg);

}  // namespace Facet
