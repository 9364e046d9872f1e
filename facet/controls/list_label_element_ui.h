// CListLabelElementUI: a list item of one line of text, the control's own
// text, drawn with the owner's item font, colours and padding. It selects
// itself when pressed and sizes itself from its text.
#pragma once

#include <windows.h>

#include "facet/controls/list_element_ui.h"

namespace Facet {

class CListLabelElementUI : public CListElementUI {
public:
    const wchar_t* GetClass() const override;
    // "ListLabelElement", else the element's answer.
    LPVOID GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    // Fixed sizes win; otherwise the item font's height and the text's width.
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;
};

}  // namespace Facet
