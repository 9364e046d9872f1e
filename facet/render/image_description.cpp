// Parsing of image description strings into a TImageDrawState.
#include "facet/render/image_description.h"

#include <algorithm>
#include <cwchar>

namespace Facet {

namespace {

bool IsSpace(wchar_t c) { return c != L'\0' && c <= L' '; }

const wchar_t* SkipSpaces(const wchar_t* p) {
    while (IsSpace(*p)) ++p;
    return p;
}

// Reads one integer and steps over the single separator unit after it,
// never past the end of the text.
long ReadNumber(const wchar_t*& p) {
    wchar_t* end = nullptr;
    const long value = wcstol(p, &end, 10);
    p = end;
    if (*p) ++p;
    return value;
}

}  // namespace

TImageDrawState CImageDescription::Initial(const wchar_t* pStrImage, const RECT& rcItem) {
    TImageDrawState state;
    state.sName = pStrImage;
    state.rcDest = rcItem;
    return state;
}

RECT CImageDescription::ParseRect(const wchar_t* value) {
    RECT rc = {};
    const wchar_t* p = value;
    rc.left = ReadNumber(p);
    rc.top = ReadNumber(p);
    rc.right = ReadNumber(p);
    rc.bottom = ReadNumber(p);
    return rc;
}

void CImageDescription::Parse(const wchar_t* text, const RECT& rcItem, TImageDrawState& state,
                              DrawProc draw, void* context, const CDpiScale& scale) {
    if (!text) return;
    int images = 0;
    const wchar_t* p = text;
    while (*p) {
        p = SkipSpaces(p);
        const wchar_t* keyStart = p;
        while (*p && *p != L'=' && !IsSpace(*p)) ++p;
        const CDuiString key(keyStart, static_cast<int>(p - keyStart));
        p = SkipSpaces(p);
        if (*p != L'=') return;
        p = SkipSpaces(p + 1);
        if (*p != L'\'') return;
        const wchar_t* valueStart = ++p;
        while (*p && *p != L'\'') ++p;
        if (!*p) return;
        const CDuiString value(valueStart, static_cast<int>(p - valueStart));
        ++p;

        if (!value.IsEmpty()) {
            if (key == L"file" || key == L"res") {
                if (images > 0 && draw) draw(context, state);
                state.sName = value;
                if (key == L"file") ++images;
            } else if (key == L"restype") {
                if (images > 0 && draw) draw(context, state);
                state.sResType = value;
                ++images;
            } else if (key == L"dest") {
                const RECT rc = scale.Scale(ParseRect(value));
                state.rcDest.left = rcItem.left + rc.left;
                state.rcDest.top = rcItem.top + rc.top;
                state.rcDest.right = std::min(rcItem.left + rc.right, rcItem.right);
                state.rcDest.bottom = std::min(rcItem.top + rc.bottom, rcItem.bottom);
            } else if (key == L"source") {
                state.rcSource = ParseRect(value);
            } else if (key == L"corner") {
                state.rcCorner = ParseRect(value);
            } else if (key == L"mask") {
                const wchar_t* hex = value.GetData();
                if (*hex == L'#') ++hex;
                state.dwMask = wcstoul(hex, nullptr, 16);
            } else if (key == L"fade") {
                state.uFade = static_cast<BYTE>(wcstol(value, nullptr, 10));
            } else if (key == L"hole") {
                state.bHole = value == L"true";
            } else if (key == L"xtiled") {
                state.bTiledX = value == L"true";
            } else if (key == L"ytiled") {
                state.bTiledY = value == L"true";
            }
        }
        // Items are separated by one space; anything else ends the text.
        if (*p != L' ') return;
        ++p;
    }
}

}  // namespace Facet
