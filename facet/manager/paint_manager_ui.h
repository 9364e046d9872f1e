// CPaintManagerUI: one per native window that shows windowless controls. It
// owns the window's control tree, turns the window's messages into control
// events, lays the tree out lazily and paints it double-buffered, runs the
// controls' timers and delivers their notifications. Process-wide it keeps the
// list of live managers (for the message loop's pre-translation), the resource
// settings and the plug-in list; per window also the image and font tables
// with the parent-resource chain they fall back along.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>

#include "facet/core/dpi_scale.h"
#include "facet/core/dui_string.h"
#include "facet/core/std_ptr_array.h"
#include "facet/core/std_string_ptr_map.h"
#include "facet/render/gdi_handles.h"
#include "facet/render/image_info.h"
#include "facet/manager/ui_types.h"

namespace Facet {

class CAccessibleHost;
class CControlUI;
class CZipArchive;

// The export "CreateControl" of a plug-in module: a new control for a markup
// tag name it knows, or null.
typedef CControlUI* (*LPCREATECONTROL)(const wchar_t* pstrType);

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Attaches the manager to its window: takes the window's DC (fonts are
    // measured in it from now on) and joins the list of live managers.
    void Init(HWND hWnd);
    HWND GetPaintWindow() const;
    HDC GetPaintDC() const;
    HWND GetTooltipWindow() const;
    POINT GetMousePos() const;
    SIZE GetClientSize() const;

    // The control tree. The manager owns the root from AttachDialog on; a
    // replaced root is destroyed late (WM_APP+1), since the call may come
    // from one of its own events.
    bool AttachDialog(CControlUI* pControl);
    // Gives the subtree this manager (running Init) and enters its names.
    bool InitControls(CControlUI* pControl, CControlUI* pParent = nullptr);
    // Forgets every reference to a control that is being destroyed.
    void ReapObjects(CControlUI* pControl);
    // The hovered control hears the mouse leave and the pressed one its
    // release, and the manager forgets both: nothing stays lit or pushed
    // when a window closes or its controls are handed elsewhere.
    void EndMouseInput();
    // Detaches the control (and its subtree) now and deletes it on WM_APP+1.
    void AddDelayedCleanup(CControlUI* pControl);
    CControlUI* GetRoot() const;
    // Marks the manager for layout at the next paint (no repaint by itself).
    void NeedUpdate();

    // The DPI the window is drawn at: the window's own from Init on, 96
    // before. Skins, controls and fonts keep their 100 % numbers; layout,
    // painting, fonts and images turn them into pixels through this scale.
    int GetDPI() const;
    const CDpiScale& GetDpiScale() const;
    // Makes the fonts and images again for the DPI and lays the tree out
    // anew; the window's size is its caller's (WM_DPICHANGED suggests one).
    void SetDPI(int dpi);
    void Invalidate(RECT& rcItem);

    // Window-level settings, read from the skin's root element.
    SIZE GetInitSize() const;
    void SetInitSize(int cx, int cy);
    RECT& GetSizeBox();
    void SetSizeBox(RECT& rcSizeBox);
    RECT& GetCaptionRect();
    void SetCaptionRect(RECT& rcCaption);
    SIZE GetRoundCorner() const;
    void SetRoundCorner(int cx, int cy);
    SIZE GetMinInfo() const;
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const;
    void SetMaxInfo(int cx, int cy);
    int GetTransparent() const;
    // Window opacity 0..255 through a layered window.
    void SetTransparent(int nOpacity);
    // Paint over a snapshot of what lay beneath the window.
    void SetBackgroundTransparent(bool bTrans);
    bool IsShowUpdateRect() const;
    // Diagnostic: frame each repainted rectangle in red.
    void SetShowUpdateRect(bool show);

    // Attribute lists applied to every new control of a markup tag. The
    // first list stored for a name stays.
    void AddDefaultAttributeList(const wchar_t* pStrControlName, const wchar_t* pStrControlAttrList);
    // This manager's list, else the parent-resource chain's; null if none.
    const wchar_t* GetDefaultAttributeList(const wchar_t* pStrControlName);
    bool RemoveDefaultAttributeList(const wchar_t* pStrControlName);
    // Tag name -> CDuiString*.
    const CStdStringPtrMap& GetDefaultAttribultes() const;
    void RemoveAllDefaultAttributeList();

    // Option groups: controls of which one is selected at a time.
    bool AddOptionGroup(const wchar_t* pStrGroupName, CControlUI* pControl);
    CStdPtrArray* GetOptionGroup(const wchar_t* pStrGroupName);
    void RemoveOptionGroup(const wchar_t* pStrGroupName, CControlUI* pControl);
    void RemoveAllOptionGroups();

    // Focus. Null takes it away from every control.
    CControlUI* GetFocus() const;
    void SetFocus(CControlUI* pControl);
    // Focus goes to pControl after the next layout.
    void SetFocusNeeded(CControlUI* pControl);
    bool SetNextTabControl(bool bForward = true);
    // Focus cues: hidden until the keyboard is used in the window, as in
    // Windows' own dialogs; from then on the focused control wears a mark.
    bool IsFocusCuesShown() const;
    void ShowFocusCues();
    // The focused control is being hidden or disabled: the focus goes to the
    // first control that can take it, or to the window itself when none
    // can, and a screen reader hears where it went.
    void MoveFocusFrom(CControlUI* pControl);
    // Tells screen readers about a control (part 0) or a combo box's list
    // (part 1): focus, selection, value, name, state and reorder WinEvents.
    void NotifyAccessibleEvent(DWORD event, CControlUI* pControl, int part = 0);
    // A manager that shows another's controls for a while (a drop-down list)
    // lends them to that one's accessible tree: its events name the elements
    // there, raised on this manager's window. Null ends it.
    void SetAccessibleOwner(CPaintManagerUI* pOwner);
    // WM_GETOBJECT's answer for a window that shows this manager's control
    // (part as above), such as a drop-down's window showing the combo's list.
    LRESULT AccessibleObjectFor(WPARAM wParam, CControlUI* pControl, int part);
    // High contrast: true when the user asked the system for it; then the
    // controls draw with the system's colours and leave out pictures behind
    // text. The query can be replaced (null restores the system's), so the
    // drawing can be tested where the system cannot switch it.
    static bool IsHighContrast();
    static void SetHighContrastQuery(bool (*query)());
    // The focus mark's line widths come from SM_CXFOCUSBORDER (sides) and
    // SM_CYFOCUSBORDER (top and bottom) at the window's DPI; the query can
    // be replaced (null restores the system's), since Wine answers 1 at
    // every DPI.
    static void SetFocusBorderQuery(int (*query)(int metric, UINT dpi));

    // Control timers, each on a native timer of the window.
    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimer(CControlUI* pControl);
    void RemoveAllTimers();

    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const;

    // Listeners, kept in insertion order. Add never checks for duplicates;
    // Remove takes the first equal entry and answers false without one.
    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    // Synchronous, or queued until the start or end of the next message.
    void SendNotify(TNotifyUI& Msg, bool bAsync = false);
    void SendNotify(CControlUI* pControl, const wchar_t* pstrMessage, WPARAM wParam = 0,
                    LPARAM lParam = 0, bool bAsync = false);
    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    // Controls whose DoPostPaint runs after the tree is painted.
    int GetPostPaintCount() const;
    bool AddPostPaint(CControlUI* pControl);
    bool RemovePostPaint(CControlUI* pControl);
    bool SetPostPaintIndex(CControlUI* pControl, int iIndex);
    bool AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    // True at the first translator that answers S_OK.
    bool TranslateAcceleratorW(MSG* pMsg);
    // Notifications then carry the sender's virtual window name.
    void UsedVirtualWnd(bool bUsed);

    // Look-ups. By name through the name map (exact case); by point the
    // topmost visible control that takes the mouse there.
    CControlUI* FindControl(POINT pt);
    CControlUI* FindControl(const wchar_t* pstrName);
    // From pParent's subtree, the root's when pParent is null.
    CControlUI* FindSubControlByPoint(CControlUI* pParent, POINT pt);
    // The first control whose name equals pstrName ignoring case.
    CControlUI* FindSubControlByName(CControlUI* pParent, const wchar_t* pstrName);
    // The iIndex-th control (from 0) of class pstrClass, "*" for any class.
    CControlUI* FindSubControlByClass(CControlUI* pParent, const wchar_t* pstrClass, int iIndex = 0);
    CStdPtrArray* FindSubControlsByClass(CControlUI* pParent, const wchar_t* pstrClass);
    CStdPtrArray* GetSubControlsByClass();

    // The window's messages: true when handled (lRes is the answer), false
    // for default processing. Does nothing before Init.
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    // Pre-translation of a queued message: tab navigation, shortcuts.
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    // Runs the responsible manager's translators and pre-translation.
    static bool TranslateMessage(const MSG* pMsg);
    // GetMessageW until WM_QUIT.
    static void MessageLoop();

    // Resource settings, process-wide. Written during start-up and the first
    // window's creation, on the UI thread.
    static HINSTANCE GetInstance();
    // The folder of the application module's file, ending in '\'; empty when
    // no instance is set.
    static CDuiString GetInstancePath();
    static CDuiString GetCurrentPath();
    // The module holding skins and images: the resource module when one is
    // set, else the instance.
    static HINSTANCE GetResourceDll();
    static const CDuiString& GetResourcePath();
    // The archive name relative to the resource path, "membuffer" for an
    // archive held in memory, or empty when skins are plain files.
    static const CDuiString& GetResourceZip();
    static bool IsCachedResourceZip();
    // The archive kept open for all loads; null when none is cached or the
    // cached archive did not open.
    static CZipArchive* GetResourceZipHandle();
    static void SetInstance(HINSTANCE hInst);
    static void SetCurrentPath(const wchar_t* pStrPath);
    static void SetResourceDll(HINSTANCE hInst);
    // Stores the path, with '\' appended unless it is empty or already ends
    // in '\' or '/'.
    static void SetResourcePath(const wchar_t* pStrPath);
    static void SetResourceZip(const wchar_t* pStrZip, bool bCachedResourceZip = false);
    // The block must outlive every load from it; the window base keeps it for
    // the life of the process.
    static void SetResourceZip(const void* pVoid, unsigned int len);
    // Closes the cached archive.
    static void Term();

    // Plug-in control factories (LPCREATECONTROL), in load order.
    static bool LoadPlugin(const wchar_t* pstrModuleName);
    static CStdPtrArray* GetPlugins();
    // ReloadAllImages on every live manager.
    static void ReloadSkin();

    // Colour adjustment shared by all windows: hue 0..360, saturation and
    // lightness 0..200 (180, 100, 100 change nothing). The flag is unused.
    static void SetHSL(bool bUseHSL, short H, short S, short L);
    static void GetHSL(short* H, short* S, short* L);

    // Default colours, 0xAARRGGBB. Each getter answers the value of the last
    // manager of the parent-resource chain.
    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD dwColor);
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD dwColor);
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD dwColor);
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD dwColor);
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD dwColor);

    // Fonts. A custom font's index is its position in this manager's list.
    // size is the character height in pixels.
    TFontInfo* GetDefaultFontInfo();
    void SetDefaultFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                        bool bItalic);
    DWORD GetCustomFontCount() const;
    HFONT AddFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    // Null when index lies outside 0..GetCustomFontCount().
    HFONT AddFontAt(int index, const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                    bool bItalic);
    // The default font when index lies outside the list.
    HFONT GetFont(int index);
    // The first equal font of this manager, then of each parent; null if none.
    HFONT GetFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    bool FindFont(HFONT hFont);
    bool FindFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    // Position in this manager's own list, -1 when absent.
    int GetFontIndex(HFONT hFont);
    int GetFontIndex(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    bool RemoveFont(HFONT hFont);
    bool RemoveFontAt(int index);
    void RemoveAllFonts();
    // Measured on demand; the default font's record when index is out of range.
    TFontInfo* GetFontInfo(int index);
    // Searched along the parent chain; the default font's record if not found.
    TFontInfo* GetFontInfo(HFONT hFont);

    // Images, by the name they were added under, decoded at the window's
    // scale: a source rectangle in a description is in 100 % pixels and is
    // scaled like the controls when drawn.
    const TImageInfo* GetImage(const wchar_t* bitmap);
    // This manager's own table, loading the image on first use.
    const TImageInfo* GetImageEx(const wchar_t* bitmap, const wchar_t* type = nullptr,
                                 DWORD mask = 0);
    // With a type, the name must begin with a decimal number: the resource
    // id. An image already in the table stays; its record is returned.
    const TImageInfo* AddImage(const wchar_t* bitmap, const wchar_t* type = nullptr, DWORD mask = 0);
    // Takes ownership of hBitmap on success. Null when the bitmap is null, a
    // side is not positive or the name is taken: the caller keeps the bitmap.
    const TImageInfo* AddImage(const wchar_t* bitmap, HBITMAP hBitmap, int iWidth, int iHeight,
                               bool bAlpha);
    bool RemoveImage(const wchar_t* bitmap);
    void RemoveAllImages();
    void ReloadAllImages();

    // Image, font and default-attribute look-ups fall back along this chain.
    // False when this manager already occurs in pm's chain; null removes it.
    bool UseParentResource(CPaintManagerUI* pm);
    CPaintManagerUI* GetParentResource() const;

private:
    struct TimerRecord;
    struct WindowDestroyer {
        void operator()(HWND hwnd) const;
    };

    // Creates what all managers share: the update-rectangle pen, the common
    // controls. Once per process.
    static void InitProcessResources();
    // GetKeyState's modifier and button bits as an event's keyState.
    static WORD KeyStateNow();
    TEventUI MakeEvent(int type, CControlUI* sender, POINT pt) const;
    void DeliverEvent(CControlUI* pControl, TEventUI& event);
    // Delivers the notification: the sender's NotifyHandlers, then each
    // notifier. Clears msg.sender when the sender is destroyed on the way.
    void DispatchNotify(TNotifyUI& msg);
    void DrainAsyncNotify();
    void DeleteDelayedCleanup();

    // The window moved to a screen of another DPI: new scale, and the window
    // takes the rectangle the system suggests.
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void RescaleFonts();

    bool OnPaint();
    void LayoutIfNeeded();
    void ReleaseOffscreen();
    void PaintTree(HDC hDC, const RECT& rcPaint);
    void CopyBackground(HDC hdcScreen, const RECT& rcClient, const RECT& rcPaint);
    static void DrawUpdateRect(HDC hDC, const RECT& rcUpdate);
    void OnPrintClient(HDC hDC, LPARAM lParam);

    void StartMouseTracking();
    void OnMouseMove(POINT pt);
    bool OnMouseHover(POINT pt);
    void OnMouseLeave();
    void OnButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnButtonUp(WPARAM wParam, LPARAM lParam);
    void OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam);
    void OnKey(UINT uMsg, WPARAM wParam);
    void OnTimer(WPARAM wParam);
    void HideTooltip();
    void ShowTooltip(CControlUI* pControl);
    // A hit belongs to this manager, not to a nested one.
    bool IsOwnControl(CControlUI* pControl) const;
    CControlUI* FindShortcutControl(wchar_t ch);
    void DeleteTimerRecord(int index);
    // The focus mark over the focused control, in its own text colour.
    void PaintFocusMark(HDC hDC, const RECT& rcPaint);
    // WM_SETFOCUS, WM_KILLFOCUS and the UI-state messages: the mark shows
    // only while the window has the focus, as the user's cues say.
    bool OnFocusMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    // Screen readers hear the focused control once the focus changes of
    // this message are done: the system announces the window itself when it
    // takes the focus, later than the window learns of it, and the control's
    // event must come last to be the one a reader follows.
    void AnnounceFocusLater();
    void OnSystemColorsChanged(UINT uMsg);
    // WM_GETOBJECT and the accessible default action posted to the window.
    bool OnAccessibleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    CAccessibleHost& AccessibleHost();

    static void CloseResourceZip();
    static HFONT CreateFontFromStock(const wchar_t* pStrFontName, int nSize, bool bBold,
                                     bool bUnderline, bool bItalic);
    void InitDefaultFont();
    // Fills the record's text metrics in the paint DC, or in a memory DC while
    // the manager has no window.
    void MeasureFont(TFontInfo* pFontInfo) const;
    TFontInfo* FindFontInfo(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                            bool bItalic);
    TFontInfo* FindFontInfo(HFONT hFont);
    TFontInfo* GetCustomFont(int index) const;
    const CPaintManagerUI* GetTopResource() const;
    // Repaints the window after a change that affects everything drawn.
    void InvalidateWindow() const;

    HWND m_hWndPaint = nullptr;
    CDpiScale m_dpiScale;
    int m_nOpacity = 255;
    CWindowDC m_hDcPaint;
    std::unique_ptr<CMemoryDC> m_hDcOffscreen;
    std::unique_ptr<CMemoryDC> m_hDcBackground;
    CBitmapHandle m_hbmpOffscreen;
    CBitmapHandle m_hbmpBackground;
    std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer> m_hwndTooltip;
    TOOLINFOW m_ToolTip = {};
    // The text the tool description points at while the tip shows.
    CDuiString m_sToolTipText;
    bool m_bShowUpdateRect = false;

    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;

    POINT m_ptLastMousePos = {-1, -1};
    SIZE m_szMinWindow = {0, 0};
    SIZE m_szMaxWindow = {0, 0};
    SIZE m_szInitWindowSize = {0, 0};
    RECT m_rcSizeBox = {0, 0, 0, 0};
    SIZE m_szRoundCorner = {0, 0};
    RECT m_rcCaption = {0, 0, 0, 0};
    UINT m_uTimerID = 0x1000;
    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bOffscreenPaint = true;
    bool m_bAlphaBackground = false;
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    bool m_bUsedVirtualWnd = false;
    bool m_bFocusCues = false;
    bool m_bFocusAnnouncePosted = false;
    CPaintManagerUI* m_pAccessibleOwner = nullptr;
    // Shared with the accessible objects handed out; disconnected first as
    // the manager goes, since a screen reader may hold them longer.
    std::shared_ptr<CAccessibleHost> m_pAccessible;

    CStdPtrArray m_aNotifiers;           // INotifyUI*
    CStdPtrArray m_aTimers;              // TimerRecord*, owned
    CStdPtrArray m_aPreMessageFilters;   // IMessageFilterUI*
    CStdPtrArray m_aMessageFilters;      // IMessageFilterUI*
    CStdPtrArray m_aPostPaintControls;   // CControlUI*
    CStdPtrArray m_aDelayedCleanup;      // CControlUI*, owned
    CStdPtrArray m_aAsyncNotify;         // TNotifyUI*, owned
    CStdPtrArray m_aFoundControls;       // CControlUI*
    CStdStringPtrMap m_mNameHash;        // name -> CControlUI*
    CStdStringPtrMap m_mOptionGroup;     // group -> CStdPtrArray* of CControlUI*, owned
    CPaintManagerUI* m_pParentResourcePM = nullptr;

    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultLinkFontColor = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColor = 0xFFBAE4FF;

    TFontInfo m_DefaultFontInfo;
    CStdPtrArray m_aCustomFonts;   // TFontInfo*, owned
    CStdStringPtrMap m_mImageHash;  // name -> TImageInfo*, owned
    CStdStringPtrMap m_DefaultAttrHash;  // tag name -> CDuiString*, owned
    CStdPtrArray m_aTranslateAccelerator;  // ITranslateAccelerator*

    static CStdPtrArray m_aPreMessages;  // every live manager, in Init order
    static short m_H;
    static short m_S;
    static short m_L;

    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CDuiString m_pStrResourcePath;
    static CDuiString m_pStrResourceZip;
    static std::unique_ptr<CZipArchive> m_hResourceZip;
    static bool m_bCachedResourceZip;
    static CDuiString m_pStrDefaultFontName;
    static CStdPtrArray m_aPlugins;
};

}  // namespace Facet
