// Label conversion one character at a time, so the cut at 11 bytes falls on a
// character boundary whatever the code page's character widths are.
#ifdef _WIN32

#include "format/volume_label.h"

#include <windows.h>

namespace fat32 {
namespace {

constexpr char kUnmappableCharacter[] = "_";

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::u32string CodePoints(const std::wstring& label) {
    std::u32string points;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (IsHighSurrogate(label[i]) && i + 1 < label.size() && IsLowSurrogate(label[i + 1])) {
            points += 0x10000 + ((char32_t{label[i]} - 0xD800) << 10) + (label[i + 1] - 0xDC00);
            ++i;
        } else {
            points += label[i];
        }
    }
    return points;
}

std::wstring Utf16(char32_t c) {
    if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
    c -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
}

// WideCharToMultiByte answers ERROR_INVALID_FLAGS to any flag for the
// ISO-2022, ISCII, symbol and UTF-7/8 pages, and GB18030 takes only
// WC_ERR_INVALID_CHARS: the others alone are told not to pick a look-alike.
bool TakesNoBestFitFlag(unsigned codePage) {
    if ((codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011))
        return false;
    return codePage != 42 && codePage != 50000 && codePage != 54936 && codePage != CP_UTF7 &&
           codePage != CP_UTF8;
}

// What is stored when Windows cannot convert at all: ASCII as it is, every
// other character '_', so the label is never left half written or empty.
std::string AsciiFallback(const std::u32string& rule) {
    std::string bytes;
    for (const char32_t point : rule) {
        if (bytes.size() == kVolumeLabelBytes) break;
        bytes += point < 0x80 ? static_cast<char>(point) : kUnmappableCharacter[0];
    }
    return bytes;
}

}  // namespace

LabelConversion ConvertVolumeLabel(const std::wstring& label, unsigned codePage,
                                   BadLabelCharacter bad) {
    LabelConversion result;
    const std::u32string rule =
        ApplyFatLabelRule(CodePoints(label), bad, result.forbidden, result.repaired);
    if (result.forbidden) return result;
    // UTF-8 and UTF-7 take no default character; the pages that take the
    // flag map a missing character to a look-alike ("＊" to '*', "ā" to 'a')
    // unless told not to.
    const bool takesDefault = codePage != CP_UTF8 && codePage != CP_UTF7;
    const DWORD flags = TakesNoBestFitFlag(codePage) ? WC_NO_BEST_FIT_CHARS : 0;
    for (const char32_t point : rule) {
        const std::wstring unit = Utf16(point);
        char character[8];
        BOOL usedDefault = FALSE;
        const int length = ::WideCharToMultiByte(
            codePage, flags, unit.data(), static_cast<int>(unit.size()), character,
            sizeof character, takesDefault ? kUnmappableCharacter : nullptr,
            takesDefault ? &usedDefault : nullptr);
        if (length <= 0) {
            result.known = false;
            result.systemError = ::GetLastError();
            result.bytes = AsciiFallback(rule);
            break;
        }
        if (result.bytes.size() + static_cast<std::size_t>(length) > kVolumeLabelBytes) {
            result.cut = true;
            break;
        }
        result.replaced = result.replaced || usedDefault;
        result.bytes.append(character, static_cast<std::size_t>(length));
    }
    return result;
}

std::string VolumeLabelBytes(const std::wstring& label, unsigned codePage) {
    return ConvertVolumeLabel(label, codePage, BadLabelCharacter::Replace).bytes;
}

std::string OemVolumeLabel(const std::wstring& label) {
    return VolumeLabelBytes(label, ::GetOEMCP());
}

}  // namespace fat32

#endif  // _WIN32
