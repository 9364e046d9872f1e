// COptionUI: selection and group membership, and the selected faces and text
// colour painted over what the button would show.
#include "facet/controls/option_ui.h"

#include <cwchar>

#include "facet/controls/attribute_text.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"

namespace Facet {

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() { LeaveGroup(); }

const wchar_t* COptionUI::GetClass() const { return L"OptionUI"; }

LPVOID COptionUI::GetInterface(const wchar_t* pstrName) {
    if (pstrName && std::wcscmp(pstrName, L"Option") == 0) return this;
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
    // Taking the manager away (null) keeps the entry: that is the builder
    // lending its manager, and attaching follows.
    // Moving to another manager (a combo's items lent to its drop-down and
    // handed back) takes the group entry along, whether or not the move is
    // an initialisation.
    const bool moved = pManager && m_pGroupManager && pManager != m_pGroupManager;
    if (moved) LeaveGroup();
    CButtonUI::SetManager(pManager, pParent, bInit);
    // The manager refuses a second entry, so an option that joined while
    // the builder applied its attributes is not listed twice.
    if (bInit || moved) JoinGroup();
}

void COptionUI::JoinGroup() {
    if (m_sGroupName.IsEmpty() || !m_pManager) return;
    m_pManager->AddOptionGroup(m_sGroupName, this);
    m_pGroupManager = m_pManager;
}

void COptionUI::LeaveGroup() {
    if (!m_sGroupName.IsEmpty() && m_pGroupManager) {
        m_pGroupManager->RemoveOptionGroup(m_sGroupName, this);
    }
    m_pGroupManager = nullptr;
}

bool COptionUI::Activate() {
    // A "click" handler may destroy the option.
    CControlWatch watch(this);
    if (!CButtonUI::Activate()) return false;
    if (!watch) return true;
    // A group member is never deselected by its own click.
    Selected(m_sGroupName.IsEmpty() ? !m_bSelected : true);
    return true;
}

void COptionUI::SetEnabled(bool bEnable) {
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? static_cast<UINT>(StateSelected) : 0u;
}

bool COptionUI::IsSelected() const { return m_bSelected; }

void COptionUI::Selected(bool bSelected) {
    if (m_bSelected == bSelected) return;
    m_bSelected = bSelected;
    if (m_bSelected) {
        m_uButtonState |= StateSelected;
    } else {
        m_uButtonState &= ~StateSelected;
    }
    CControlWatch watch(this);
    if (m_pManager) {
        if (m_sGroupName.IsEmpty()) {
            m_pManager->SendNotify(this, L"selectchanged");
        } else if (m_bSelected) {
            // The others go quietly: the group hears of the change once,
            // from the option now selected.
            if (CStdPtrArray* group = m_pManager->GetOptionGroup(m_sGroupName)) {
                for (int i = 0; i < group->GetSize(); ++i) {
                    // Anyone may add a control to a group; only options
                    // have a selection to drop.
                    auto* member = static_cast<CControlUI*>((*group)[i]);
                    auto* other = static_cast<COptionUI*>(member->GetInterface(L"Option"));
                    if (other && other != this) other->Selected(false);
                }
            }
            m_pManager->SendNotify(this, L"selectchanged");
        }
    }
    if (watch) Invalidate();
}

const wchar_t* COptionUI::GetGroup() const { return m_sGroupName; }

void COptionUI::SetGroup(const wchar_t* pStrGroupName) {
    const wchar_t* name = pStrGroupName ? pStrGroupName : L"";
    if (m_sGroupName == name) return;
    LeaveGroup();
    m_sGroupName = name;
    JoinGroup();
}

const wchar_t* COptionUI::GetSelectedImage() const { return m_sSelectedImage; }
void COptionUI::SetSelectedImage(const wchar_t* s) { AssignImage(m_sSelectedImage, s); }
const wchar_t* COptionUI::GetSelectedHotImage() const { return m_sSelectedHotImage; }
void COptionUI::SetSelectedHotImage(const wchar_t* s) { AssignImage(m_sSelectedHotImage, s); }
const wchar_t* COptionUI::GetForeImage() const { return m_sOptionForeImage; }
void COptionUI::SetForeImage(const wchar_t* s) { AssignImage(m_sOptionForeImage, s); }

DWORD COptionUI::GetSelectBkColor() const { return m_dwSelectedBkColor; }
void COptionUI::SetSelectedBkColor(DWORD dwBkColor) { m_dwSelectedBkColor = dwBkColor; }
void COptionUI::SetSelectedTextColor(DWORD dwTextColor) { m_dwSelectedTextColor = dwTextColor; }

DWORD COptionUI::GetSelectedTextColor() {
    // Without a manager there is no default to take: "none" stays 0.
    if (m_dwSelectedTextColor == 0 && m_pManager) {
        m_dwSelectedTextColor = m_pManager->GetDefaultFontColor();
    }
    return m_dwSelectedTextColor;
}

void COptionUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    using AttributeText::ReadColor;
    auto is = [pstrName](const wchar_t* name) { return std::wcscmp(pstrName, name) == 0; };
    if (is(L"group")) {
        SetGroup(pstrValue);
    } else if (is(L"selected")) {
        Selected(AttributeText::ReadBool(pstrValue));
    } else if (is(L"selectedimage")) {
        SetSelectedImage(pstrValue);
    } else if (is(L"selectedhotimage")) {
        SetSelectedHotImage(pstrValue);
    } else if (is(L"foreimage")) {
        SetForeImage(pstrValue);
    } else if (is(L"selectedbkcolor")) {
        SetSelectedBkColor(ReadColor(pstrValue));
    } else if (is(L"selectedtextcolor")) {
        SetSelectedTextColor(ReadColor(pstrValue));
    } else {
        CButtonUI::SetAttribute(pstrName, pstrValue);
    }
}

void COptionUI::PaintStatusImage(HDC hDC) {
    // An option never shows a pushed face.
    m_uButtonState &= ~StatePushed;
    if (m_bSelected && (m_uButtonState & StateHot) && !m_sSelectedHotImage.IsEmpty()) {
        if (!DrawImageOrForget(hDC, m_sSelectedHotImage)) CButtonUI::PaintStatusImage(hDC);
    } else if (m_bSelected && !m_sSelectedImage.IsEmpty()) {
        if (!DrawImageOrForget(hDC, m_sSelectedImage)) CButtonUI::PaintStatusImage(hDC);
    } else if (m_bSelected && m_dwSelectedBkColor != 0) {
        // The colour stands alone, as the button's hot colour does.
        CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwSelectedBkColor));
        return;
    } else {
        CButtonUI::PaintStatusImage(hDC);
    }
    DrawImageOrForget(hDC, m_sOptionForeImage);
}

void COptionUI::PaintText(HDC hDC) {
    if (!m_bSelected) {
        CButtonUI::PaintText(hDC);
        return;
    }
    if (!m_pManager) return;
    // The defaults are stored first, so the selected colour never takes the
    // place of a text colour the control has not learnt yet; it is only
    // used for this paint, never stored as the text colour.
    ApplyDefaultTextColors();
    const CDuiString text = GetText();
    if (text.IsEmpty()) return;
    DWORD color = m_dwDisabledTextColor;
    if (IsEnabled()) color = m_dwSelectedTextColor != 0 ? m_dwSelectedTextColor : m_dwTextColor;
    RECT rc = GetTextRect();
    if (m_bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text, color, nullptr, nullptr, nLinks,
                                    m_uTextStyle);
    } else {
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, text, color, m_iFont, m_uTextStyle);
    }
}

}  // namespace Facet
