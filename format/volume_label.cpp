// Label conversion one character at a time, so the cut at 11 bytes falls on a
// character boundary whatever the code page's character widths are.
#ifdef _WIN32

#include "format/volume_label.h"

#include <windows.h>

namespace fat32 {
namespace {

constexpr char kUnmappableCharacter[] = "_";

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

std::string VolumeLabelBytes(const std::wstring& label, unsigned codePage) {
    std::string bytes;
    for (std::size_t i = 0; i < label.size();) {
        const int units = IsHighSurrogate(label[i]) && i + 1 < label.size() ? 2 : 1;
        char character[8];
        // UTF-8 and UTF-7 refuse a default character; no OEM code page is either.
        const bool takesDefault = codePage != CP_UTF8 && codePage != CP_UTF7;
        const int length = ::WideCharToMultiByte(codePage, 0, label.data() + i, units, character,
                                                 sizeof character,
                                                 takesDefault ? kUnmappableCharacter : nullptr,
                                                 nullptr);
        if (length <= 0 || bytes.size() + static_cast<std::size_t>(length) > kVolumeLabelBytes)
            break;
        bytes.append(character, static_cast<std::size_t>(length));
        i += static_cast<std::size_t>(units);
    }
    return bytes;
}

std::string OemVolumeLabel(const std::wstring& label) {
    return VolumeLabelBytes(label, ::GetOEMCP());
}

}  // namespace fat32

#endif  // _WIN32
