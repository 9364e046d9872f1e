// Member-name folding and the UTF-8 encoder used for look-ups and paths; the
// code-page conversions are Windows' own.
#include "facet/render/zip_names.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace Facet {
namespace ZipNames {
namespace {

template <typename Unit>
Unit Fold(Unit unit) {
    if (unit == Unit('\\')) return Unit('/');
    if (unit >= Unit('A') && unit <= Unit('Z')) return static_cast<Unit>(unit - Unit('A') + Unit('a'));
    return unit;
}

template <typename View>
bool MatchFolded(View asked, View stored) {
    if (asked.size() != stored.size()) return false;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        if (Fold(asked[i]) != Fold(stored[i])) return false;
    }
    return true;
}

void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

#ifdef _WIN32
bool ToWide(UINT codePage, DWORD flags, std::string_view bytes, std::wstring& wide) {
    wide.clear();
    if (bytes.empty()) return true;
    const int length = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
    if (units <= 0) return false;
    wide.resize(static_cast<std::size_t>(units));
    return ::MultiByteToWideChar(codePage, flags, bytes.data(), length, &wide[0], units) == units;
}
#endif

}  // namespace

bool Match(std::string_view asked, std::string_view stored) { return MatchFolded(asked, stored); }

bool Match(std::wstring_view asked, std::wstring_view stored) { return MatchFolded(asked, stored); }

bool WideToUtf8(std::wstring_view wide, std::string& utf8) {
    utf8.clear();
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t code = static_cast<char32_t>(wide[i]);
        if (sizeof(wchar_t) == 2 && IsHighSurrogate(code)) {
            if (i + 1 >= wide.size() || !IsLowSurrogate(static_cast<char32_t>(wide[i + 1])))
                return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char32_t>(wide[++i]) - 0xDC00);
        } else if (IsHighSurrogate(code) || IsLowSurrogate(code) || code > 0x10FFFF) {
            return false;
        }
        AppendUtf8(code, utf8);
    }
    return true;
}

#ifdef _WIN32
bool Utf8ToWide(std::string_view utf8, std::wstring& wide) {
    return ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, wide);
}

bool AnsiToWide(std::string_view ansi, std::wstring& wide) { return ToWide(CP_ACP, 0, ansi, wide); }
#endif

}  // namespace ZipNames
}  // namespace Facet
