// The paint manager's fonts: the default font and the list of custom fonts
// that markup refers to by index, each made from the stock GUI font's
// description and searched along the parent-resource chain.
#include <new>
#include <optional>

#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

// Far more than any skin names; a real one uses a handful.
constexpr int kMaxCustomFonts = 1000;

bool SameFont(const TFontInfo* info, const wchar_t* name, int size, bool bold, bool underline,
              bool italic) {
    return info->sFontName == name && info->iSize == size && info->bBold == bold &&
           info->bUnderline == underline && info->bItalic == italic;
}

LOGFONTW StockGuiFont() {
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    return lf;
}

}  // namespace

HFONT CPaintManagerUI::CreateFontFromStock(const wchar_t* pStrFontName, int nSize, bool bBold,
                                           bool bUnderline, bool bItalic) {
    LOGFONTW lf = StockGuiFont();
    // At most 31 units and the terminator: a longer name is cut, never left
    // without its end.
    ::lstrcpynW(lf.lfFaceName, pStrFontName ? pStrFontName : L"", LF_FACESIZE);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -nSize;
    // Added to the stock weight, as skins have always been drawn with it.
    if (bBold) lf.lfWeight += FW_BOLD;
    if (bUnderline) lf.lfUnderline = TRUE;
    if (bItalic) lf.lfItalic = TRUE;
    return ::CreateFontIndirectW(&lf);
}

void CPaintManagerUI::InitDefaultFont() {
    LOGFONTW lf = StockGuiFont();
    lf.lfCharSet = DEFAULT_CHARSET;
    if (!m_pStrDefaultFontName.IsEmpty()) {
        ::lstrcpynW(lf.lfFaceName, m_pStrDefaultFontName, LF_FACESIZE);
    }
    // The stock font is made for the system DPI; its size is kept in skin
    // units like every other font's, and the font made at this window's scale.
    const int size = CDpiScale(CDpiScale::ForSystem()).Unscale(-lf.lfHeight);
    lf.lfHeight = -m_dpiScale.Scale(size);
    m_DefaultFontInfo.hFont.Reset(::CreateFontIndirectW(&lf));
    m_DefaultFontInfo.sFontName = lf.lfFaceName;
    m_DefaultFontInfo.iSize = size;
    m_DefaultFontInfo.bBold = lf.lfWeight >= FW_BOLD;
    m_DefaultFontInfo.bUnderline = lf.lfUnderline != FALSE;
    m_DefaultFontInfo.bItalic = lf.lfItalic != FALSE;
    m_DefaultFontInfo.tm = TEXTMETRICW{};
}

void CPaintManagerUI::MeasureFont(TFontInfo* pFontInfo) const {
    if (!pFontInfo || !pFontInfo->hFont) return;
    HDC hdc = m_hDcPaint.Get();
    std::optional<CMemoryDC> scratch;
    if (!hdc) {
        scratch.emplace(nullptr);
        hdc = scratch->Get();
    }
    if (!hdc) return;
    CSelectObject select(hdc, pFontInfo->hFont.Get());
    ::GetTextMetricsW(hdc, &pFontInfo->tm);
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo() {
    if (m_pParentResourcePM) return m_pParentResourcePM->GetDefaultFontInfo();
    if (m_DefaultFontInfo.tm.tmHeight == 0) MeasureFont(&m_DefaultFontInfo);
    return &m_DefaultFontInfo;
}

void CPaintManagerUI::SetDefaultFont(const wchar_t* pStrFontName, int nSize, bool bBold,
                                     bool bUnderline, bool bItalic) {
    HFONT hFont = CreateFontFromStock(pStrFontName, m_dpiScale.Scale(nSize), bBold, bUnderline,
                                      bItalic);
    if (!hFont) return;
    m_DefaultFontInfo.hFont.Reset(hFont);
    m_DefaultFontInfo.sFontName = pStrFontName;
    m_DefaultFontInfo.iSize = nSize;
    m_DefaultFontInfo.bBold = bBold;
    m_DefaultFontInfo.bUnderline = bUnderline;
    m_DefaultFontInfo.bItalic = bItalic;
    m_DefaultFontInfo.tm = TEXTMETRICW{};
    if (m_hDcPaint.Get()) MeasureFont(&m_DefaultFontInfo);
}

DWORD CPaintManagerUI::GetCustomFontCount() const {
    return static_cast<DWORD>(m_aCustomFonts.GetSize());
}

TFontInfo* CPaintManagerUI::GetCustomFont(int index) const {
    return static_cast<TFontInfo*>(m_aCustomFonts.GetAt(index));
}

HFONT CPaintManagerUI::AddFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                               bool bItalic) {
    return AddFontAt(m_aCustomFonts.GetSize(), pStrFontName, nSize, bBold, bUnderline, bItalic);
}

HFONT CPaintManagerUI::AddFontAt(int index, const wchar_t* pStrFontName, int nSize, bool bBold,
                                 bool bUnderline, bool bItalic) {
    // Checked before anything is made, so a refused index leaks nothing.
    if (index < 0 || index > m_aCustomFonts.GetSize()) return nullptr;
    // A skin with tens of thousands of fonts would take every GDI handle of
    // the process, and painting would then fail over and over.
    if (m_aCustomFonts.GetSize() >= kMaxCustomFonts) return nullptr;
    HFONT hFont =
        CreateFontFromStock(pStrFontName, m_dpiScale.Scale(nSize), bBold, bUnderline, bItalic);
    if (!hFont) return nullptr;
    auto* info = new (std::nothrow) TFontInfo;
    if (!info) {
        ::DeleteObject(hFont);
        return nullptr;
    }
    info->hFont.Reset(hFont);
    info->sFontName = pStrFontName;
    info->iSize = nSize;
    info->bBold = bBold;
    info->bUnderline = bUnderline;
    info->bItalic = bItalic;
    if (m_hDcPaint.Get()) MeasureFont(info);
    if (!m_aCustomFonts.InsertAt(index, info)) {
        delete info;
        return nullptr;
    }
    return hFont;
}

HFONT CPaintManagerUI::GetFont(int index) {
    TFontInfo* info = GetCustomFont(index);
    return info ? info->hFont.Get() : GetDefaultFontInfo()->hFont.Get();
}

TFontInfo* CPaintManagerUI::FindFontInfo(const wchar_t* pStrFontName, int nSize, bool bBold,
                                         bool bUnderline, bool bItalic) {
    for (CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        for (int i = 0; i < pm->m_aCustomFonts.GetSize(); ++i) {
            TFontInfo* info = pm->GetCustomFont(i);
            if (SameFont(info, pStrFontName, nSize, bBold, bUnderline, bItalic)) return info;
        }
    }
    return nullptr;
}

TFontInfo* CPaintManagerUI::FindFontInfo(HFONT hFont) {
    if (!hFont) return nullptr;
    for (CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        for (int i = 0; i < pm->m_aCustomFonts.GetSize(); ++i) {
            TFontInfo* info = pm->GetCustomFont(i);
            if (info->hFont.Get() == hFont) return info;
        }
    }
    return nullptr;
}

HFONT CPaintManagerUI::GetFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                               bool bItalic) {
    TFontInfo* info = FindFontInfo(pStrFontName, nSize, bBold, bUnderline, bItalic);
    return info ? info->hFont.Get() : nullptr;
}

bool CPaintManagerUI::FindFont(HFONT hFont) { return FindFontInfo(hFont) != nullptr; }

bool CPaintManagerUI::FindFont(const wchar_t* pStrFontName, int nSize, bool bBold,
                               bool bUnderline, bool bItalic) {
    return FindFontInfo(pStrFontName, nSize, bBold, bUnderline, bItalic) != nullptr;
}

int CPaintManagerUI::GetFontIndex(HFONT hFont) {
    if (!hFont) return -1;
    for (int i = 0; i < m_aCustomFonts.GetSize(); ++i) {
        if (GetCustomFont(i)->hFont.Get() == hFont) return i;
    }
    return -1;
}

int CPaintManagerUI::GetFontIndex(const wchar_t* pStrFontName, int nSize, bool bBold,
                                  bool bUnderline, bool bItalic) {
    for (int i = 0; i < m_aCustomFonts.GetSize(); ++i) {
        if (SameFont(GetCustomFont(i), pStrFontName, nSize, bBold, bUnderline, bItalic)) return i;
    }
    return -1;
}

bool CPaintManagerUI::RemoveFont(HFONT hFont) { return RemoveFontAt(GetFontIndex(hFont)); }

bool CPaintManagerUI::RemoveFontAt(int index) {
    TFontInfo* info = GetCustomFont(index);
    if (!info) return false;
    m_aCustomFonts.Remove(index);
    delete info;
    return true;
}

void CPaintManagerUI::RemoveAllFonts() {
    for (int i = 0; i < m_aCustomFonts.GetSize(); ++i) delete GetCustomFont(i);
    m_aCustomFonts.Empty();
}

TFontInfo* CPaintManagerUI::GetFontInfo(int index) {
    TFontInfo* info = GetCustomFont(index);
    if (!info) return GetDefaultFontInfo();
    if (info->tm.tmHeight == 0) MeasureFont(info);
    return info;
}

TFontInfo* CPaintManagerUI::GetFontInfo(HFONT hFont) {
    TFontInfo* info = FindFontInfo(hFont);
    if (!info) return GetDefaultFontInfo();
    if (info->tm.tmHeight == 0) MeasureFont(info);
    return info;
}

}  // namespace Facet
