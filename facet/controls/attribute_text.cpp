// Attribute value readers. The list reader steps over exactly one separator
// after each number, as the markup writes "117,197,0,0" or "0, 0, 83, 83",
// and stops at the terminator instead of stepping past it.
#include "facet/controls/attribute_text.h"

#include <cwchar>

namespace Facet {
namespace AttributeText {

bool ReadBool(const wchar_t* value) { return value && std::wcscmp(value, L"true") == 0; }

int ReadInt(const wchar_t* value) {
    if (!value) return 0;
    return static_cast<int>(std::wcstol(value, nullptr, 10));
}

DWORD ReadColor(const wchar_t* value) {
    if (!value) return 0;
    if (*value == L'#') ++value;
    return static_cast<DWORD>(std::wcstoul(value, nullptr, 16));
}

int ReadInts(const wchar_t* value, int* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = 0;
    if (!value) return 0;
    const wchar_t* p = value;
    int read = 0;
    while (read < count && *p) {
        // A field that holds no number reads as 0, like the C conversion.
        wchar_t* end = nullptr;
        out[read++] = static_cast<int>(std::wcstol(p, &end, 10));
        if (*end == L'\0') break;
        p = end + 1;
    }
    return read;
}

RECT ReadRect(const wchar_t* value) {
    int v[4];
    ReadInts(value, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

}  // namespace AttributeText
}  // namespace Facet
