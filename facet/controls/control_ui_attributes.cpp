// CControlUI's markup attributes: the names every control understands, and
// the name="value" lists that skins and default attribute lists are made of.
#include "facet/controls/control_ui.h"

#include <cwchar>
#include <cwctype>

namespace Facet {

namespace {

// The C library's decimal reading: leading blanks skipped, stops at the
// first non-digit; *end is left after the digits read.
int ReadInt(const wchar_t* text, const wchar_t** end) {
    wchar_t* stop = nullptr;
    const long value = wcstol(text, &stop, 10);
    if (end) *end = stop;
    return static_cast<int>(value);
}

// Reads up to `count` integers, stepping over exactly one separator
// character between them (blanks after it are skipped by the reading).
void ReadInts(const wchar_t* text, int* values, int count) {
    const wchar_t* cursor = text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (*cursor == L'\0') return;
            ++cursor;
        }
        values[i] = ReadInt(cursor, &cursor);
    }
}

RECT ReadRect(const wchar_t* text) {
    int v[4] = {0, 0, 0, 0};
    ReadInts(text, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

// 0xAARRGGBB in hexadecimal, with an optional leading '#'.
DWORD ReadColor(const wchar_t* text) {
    if (*text == L'#') ++text;
    return static_cast<DWORD>(wcstoul(text, nullptr, 16));
}

// Background colours may follow blanks or line breaks in hand-written skins.
DWORD ReadBackgroundColor(const wchar_t* text) {
    while (*text != L'\0' && *text <= L' ') ++text;
    return ReadColor(text);
}

bool ReadBool(const wchar_t* text) { return wcscmp(text, L"true") == 0; }

bool Is(const wchar_t* name, const wchar_t* expected) { return wcscmp(name, expected) == 0; }

}  // namespace

void CControlUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) {
    if (!pstrName || !pstrValue) return;
    if (Is(pstrName, L"pos")) {
        const RECT rc = ReadRect(pstrValue);
        const SIZE xy = {rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom};
        SetFixedXY(xy);
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (Is(pstrName, L"relativepos")) {
        int v[4] = {0, 0, 0, 0};
        ReadInts(pstrValue, v, 4);
        SetRelativePos(SIZE{v[0], v[1]}, SIZE{v[2], v[3]});
    } else if (Is(pstrName, L"padding")) {
        SetPadding(ReadRect(pstrValue));
    } else if (Is(pstrName, L"bkcolor") || Is(pstrName, L"bkcolor1")) {
        SetBkColor(ReadBackgroundColor(pstrValue));
    } else if (Is(pstrName, L"bkcolor2")) {
        SetBkColor2(ReadBackgroundColor(pstrValue));
    } else if (Is(pstrName, L"bkcolor3")) {
        SetBkColor3(ReadBackgroundColor(pstrValue));
    } else if (Is(pstrName, L"bordercolor")) {
        SetBorderColor(ReadColor(pstrValue));
    } else if (Is(pstrName, L"focusbordercolor")) {
        SetFocusBorderColor(ReadColor(pstrValue));
    } else if (Is(pstrName, L"colorhsl")) {
        SetColorHSL(ReadBool(pstrValue));
    } else if (Is(pstrName, L"bordersize")) {
        if (wcschr(pstrValue, L',') == nullptr) {
            SetBorderSize(ReadInt(pstrValue, nullptr));
            SetBorderSize(RECT{0, 0, 0, 0});
        } else {
            SetBorderSize(ReadRect(pstrValue));
        }
    } else if (Is(pstrName, L"leftbordersize")) {
        SetLeftBorderSize(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"topbordersize")) {
        SetTopBorderSize(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"rightbordersize")) {
        SetRightBorderSize(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"bottombordersize")) {
        SetBottomBorderSize(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"borderstyle")) {
        SetBorderStyle(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"borderround")) {
        int v[2] = {0, 0};
        ReadInts(pstrValue, v, 2);
        SetBorderRound(SIZE{v[0], v[1]});
    } else if (Is(pstrName, L"bkimage")) {
        SetBkImage(pstrValue);
    } else if (Is(pstrName, L"width")) {
        SetFixedWidth(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"height")) {
        SetFixedHeight(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"minwidth")) {
        SetMinWidth(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"minheight")) {
        SetMinHeight(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"maxwidth")) {
        SetMaxWidth(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"maxheight")) {
        SetMaxHeight(ReadInt(pstrValue, nullptr));
    } else if (Is(pstrName, L"name")) {
        SetName(pstrValue);
    } else if (Is(pstrName, L"text")) {
        SetText(pstrValue);
    } else if (Is(pstrName, L"tooltip")) {
        SetToolTip(pstrValue);
    } else if (Is(pstrName, L"userdata")) {
        SetUserData(pstrValue);
    } else if (Is(pstrName, L"enabled")) {
        SetEnabled(ReadBool(pstrValue));
    } else if (Is(pstrName, L"mouse")) {
        SetMouseEnabled(ReadBool(pstrValue));
    } else if (Is(pstrName, L"keyboard")) {
        SetKeyboardEnabled(ReadBool(pstrValue));
    } else if (Is(pstrName, L"visible")) {
        SetVisible(ReadBool(pstrValue));
    } else if (Is(pstrName, L"float")) {
        SetFloat(ReadBool(pstrValue));
    } else if (Is(pstrName, L"shortcut")) {
        SetShortcut(pstrValue[0]);
    } else if (Is(pstrName, L"menu")) {
        SetContextMenuUsed(ReadBool(pstrValue));
    } else if (Is(pstrName, L"virtualwnd")) {
        SetVirtualWnd(pstrValue);
    }
}

CControlUI* CControlUI::ApplyAttributeList(const wchar_t* pstrList) {
    if (!pstrList) return this;
    CDuiString name;
    CDuiString value;
    const wchar_t* cursor = pstrList;
    while (*cursor != L'\0') {
        const wchar_t* nameStart = cursor;
        while (*cursor != L'\0' && *cursor != L'=') ++cursor;
        name.Assign(nameStart, static_cast<int>(cursor - nameStart));
        if (*cursor++ != L'=') return this;
        if (*cursor++ != L'"') return this;
        const wchar_t* valueStart = cursor;
        while (*cursor != L'\0' && *cursor != L'"') ++cursor;
        if (*cursor != L'"') return this;
        value.Assign(valueStart, static_cast<int>(cursor - valueStart));
        ++cursor;
        SetAttribute(name, value);
        // Pairs are separated by exactly one blank.
        if (*cursor++ != L' ' || *cursor == L' ') return this;
    }
    return this;
}

}  // namespace Facet
