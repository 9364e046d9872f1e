// How zip member names are compared and converted for look-up: ASCII letters
// match without case and '\' matches '/', and a wide name becomes the form
// the archive stores (UTF-8, or on Windows the ANSI code page for names that
// are not marked as UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace Facet {
namespace ZipNames {

// Folds only units below 0x80, so the bytes of a UTF-8 sequence and the
// units of a wide string never fold into one another.
bool Match(std::string_view asked, std::string_view stored);
bool Match(std::wstring_view asked, std::wstring_view stored);

// False for a wide string that is not valid UTF-16 (UTF-32 where wchar_t is
// 32 bits wide), such as one with an unpaired surrogate.
bool WideToUtf8(std::wstring_view wide, std::string& utf8);

#ifdef _WIN32
// False for invalid UTF-8.
bool Utf8ToWide(std::string_view utf8, std::wstring& wide);
// A name stored in the ANSI code page, as UTF-16.
bool AnsiToWide(std::string_view ansi, std::wstring& wide);
#endif

}  // namespace ZipNames
}  // namespace Facet
