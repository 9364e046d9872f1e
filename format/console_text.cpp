// WriteText. A console's own code page (936, 437, ...) garbles UTF-8 bytes,
// so a console gets WriteConsoleW and everything else the bytes.
#include "format/console_text.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#endif

namespace fat32 {

#ifdef _WIN32
namespace {

// The console behind a C stream, or null when it is a pipe or a file.
HANDLE ConsoleOf(std::FILE* stream) {
    const intptr_t handle = ::_get_osfhandle(::_fileno(stream));
    if (handle == -1) return nullptr;
    DWORD mode = 0;
    return ::GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode)
               ? reinterpret_cast<HANDLE>(handle)
               : nullptr;
}

}  // namespace
#endif

void WriteText(std::FILE* stream, const char* utf8) {
#ifdef _WIN32
    if (HANDLE console = ConsoleOf(stream)) {
        const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
        if (units > 1) {
            std::wstring wide(static_cast<std::size_t>(units), L'\0');
            ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), units);
            std::fflush(stream);  // what the C runtime holds comes first
            DWORD written = 0;
            ::WriteConsoleW(console, wide.c_str(), static_cast<DWORD>(units - 1), &written, nullptr);
        }
        return;
    }
#endif
    std::fputs(utf8, stream);
}

}  // namespace fat32
