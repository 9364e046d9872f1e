// PaintInSystemColors: which system colours each kind of control takes in
// high contrast, and the simple shapes (a frame, the drop-down arrow) that
// stand in for the skin's pictures there.
#include "facet/controls/system_colors_paint.h"

#include "facet/controls/combo_ui.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/controls/list_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/gdi_handles.h"
#include "facet/render/render_engine.h"

namespace Facet {

namespace {

bool Is(CControlUI* control, const wchar_t* face) { return control->GetInterface(face) != nullptr; }

RECT Inset(RECT rc, const RECT& padding) {
    rc.left += padding.left;
    rc.top += padding.top;
    rc.right -= padding.right;
    rc.bottom -= padding.bottom;
    return rc;
}

void DrawText(HDC hDC, CControlUI* control, RECT rc, const wchar_t* text, int color, int font, UINT style) {
    if (!text || !*text) return;
    CRenderEngine::DrawTextW(hDC, control->GetManager(), rc, text, SystemColor(color), font,
                             style | DT_SINGLELINE);
}

// The drop-down arrow the combo's picture showed: a small triangle.
void DrawArrow(HDC hDC, const RECT& box, int size) {
    const int cx = box.right - size * 2, cy = (box.top + box.bottom) / 2;
    const POINT points[] = {{cx - size, cy - size / 2}, {cx + size, cy - size / 2}, {cx, cy + size / 2}};
    CBrushHandle brush(::CreateSolidBrush(::GetSysColor(COLOR_WINDOWTEXT)));
    CSelectObject selectBrush(hDC, brush.Get());
    CSelectObject selectPen(hDC, ::GetStockObject(NULL_PEN));
    ::Polygon(hDC, points, 3);
}

// The caption buttons a window draws itself: the names the window base
// answers (closebtn, minbtn) and the skins' common "minibtn". Their skin
// pictures are glyphs in the skin's colours, which a high-contrast scheme
// may match (a white glyph on a white window), so they are drawn anew.
enum class CaptionGlyph { None, Close, Minimize };

CaptionGlyph GlyphOf(CControlUI* control) {
    const CDuiString name = control->GetName();
    if (name == L"closebtn") return CaptionGlyph::Close;
    if (name == L"minbtn" || name == L"minibtn") return CaptionGlyph::Minimize;
    return CaptionGlyph::None;
}

// The glyph in the button text's colour on the button face, framed, as the
// system draws its own caption buttons in high contrast.
void DrawCaptionButton(HDC hDC, const RECT& rc, const RECT& visible, CaptionGlyph glyph, const CDpiScale& dpi,
                       bool enabled) {
    CRenderEngine::DrawColor(hDC, visible, SystemColor(COLOR_BTNFACE));
    CRenderEngine::DrawRect(hDC, rc, dpi.Scale(1), SystemColor(COLOR_BTNTEXT));
    const int side = (rc.right - rc.left < rc.bottom - rc.top ? rc.right - rc.left : rc.bottom - rc.top) / 3;
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    CPenHandle pen(::CreatePen(PS_SOLID, dpi.Scale(2), ::GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT)));
    CSelectObject selectPen(hDC, pen.Get());
    if (glyph == CaptionGlyph::Close) {
        ::MoveToEx(hDC, cx - side / 2, cy - side / 2, nullptr);
        ::LineTo(hDC, cx + side / 2, cy + side / 2);
        ::MoveToEx(hDC, cx + side / 2, cy - side / 2, nullptr);
        ::LineTo(hDC, cx - side / 2, cy + side / 2);
    } else {
        ::MoveToEx(hDC, cx - side / 2, cy + side / 3, nullptr);
        ::LineTo(hDC, cx + side / 2, cy + side / 3);
    }
}

}  // namespace

DWORD SystemColor(int index) {
    const COLORREF c = ::GetSysColor(index);
    return 0xFF000000u | (static_cast<DWORD>(GetRValue(c)) << 16) | (static_cast<DWORD>(GetGValue(c)) << 8) |
           GetBValue(c);
}

bool PaintInSystemColors(CControlUI* control, HDC hDC, const RECT& rcPaint) {
    RECT rc = control->GetPos();
    RECT visible;
    if (!::IntersectRect(&visible, &rc, &rcPaint)) return true;
    CPaintManagerUI* pm = control->GetManager();
    if (!pm) return false;
    const CDpiScale dpi = pm->GetDpiScale();
    const bool enabled = control->IsEnabled();
    const int text = enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT;

    if (auto* combo = static_cast<CComboUI*>(control->GetInterface(L"Combo"))) {
        CRenderEngine::DrawColor(hDC, visible, SystemColor(COLOR_WINDOW));
        CRenderEngine::DrawRect(hDC, rc, dpi.Scale(1), SystemColor(text));
        const TListInfoUI* info = combo->GetListInfo();
        DrawText(hDC, control, Inset(rc, dpi.Scale(combo->GetTextPadding())), combo->GetText(), text,
                 info->nFont, info->uTextStyle);
        DrawArrow(hDC, rc, dpi.Scale(4));
        return true;
    }
    if (auto* item = static_cast<IListItemUI*>(control->GetInterface(L"ListItem"))) {
        const bool chosen = item->IsSelected();
        CRenderEngine::DrawColor(hDC, visible, SystemColor(chosen ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        IListOwnerUI* owner = item->GetOwner();
        const TListInfoUI* info = owner ? owner->GetListInfo() : nullptr;
        const RECT padding = info ? dpi.Scale(info->rcTextPadding) : RECT{};
        DrawText(hDC, control, Inset(rc, padding), control->GetText(),
                 !enabled ? COLOR_GRAYTEXT : chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT,
                 info ? info->nFont : -1, info ? info->uTextStyle : DT_VCENTER);
        return true;
    }
    if (Is(control, L"IContainer")) {
        // A layout under the texts: its picture goes, the window's colour stays.
        if (*control->GetBkImage() || control->GetBkColor()) {
            CRenderEngine::DrawColor(hDC, visible, SystemColor(COLOR_WINDOW));
        }
        if (control->GetBorderColor()) CRenderEngine::DrawRect(hDC, rc, dpi.Scale(1), SystemColor(COLOR_WINDOWTEXT));
        return true;  // its children paint themselves after it
    }
    if (const CaptionGlyph glyph = GlyphOf(control); glyph != CaptionGlyph::None && control->GetText().IsEmpty()) {
        DrawCaptionButton(hDC, rc, visible, glyph, dpi, enabled);
        return true;
    }
    auto* label = static_cast<CLabelUI*>(control->GetInterface(L"Label"));
    if (!label || control->GetText().IsEmpty()) return false;
    RECT textRect = Inset(rc, dpi.Scale(label->GetTextPadding()));
    if (Is(control, L"Button")) {
        CRenderEngine::DrawColor(hDC, visible, SystemColor(COLOR_BTNFACE));
        CRenderEngine::DrawRect(hDC, rc, dpi.Scale(1), SystemColor(COLOR_BTNTEXT));
        DrawText(hDC, control, textRect, control->GetText(), enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT,
                 label->GetFont(), label->GetTextStyle());
        return true;
    }
    DrawText(hDC, control, textRect, control->GetText(), text, label->GetFont(), label->GetTextStyle());
    return true;
}

}  // namespace Facet
