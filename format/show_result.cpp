// Result message boxes. The texts are kept as UTF-8 and widened here.
#ifdef _WIN32

#include "format/show_result.h"

#include <string>

namespace fat32 {
namespace {

std::wstring Widen(const char* utf8) {
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units - 1 : 0), L'\0');
    if (units > 1) ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), units);
    return wide;
}

static_assert(kIconError == MB_ICONERROR && kIconWarning == MB_ICONWARNING &&
                  kIconInformation == MB_ICONINFORMATION,
              "icons carry the Win32 values");

}  // namespace

bool ChineseTextsInForce() { return ::GetACP() == 936; }

void ShowResult(HWND owner, FormatResult result) {
    const ResultMessage* message = FindResultMessage(result);
    if (!message) return;
    const bool chinese = ChineseTextsInForce();
    ::MessageBoxW(owner, Widen(chinese ? message->chinese : message->english).c_str(),
                  Widen(ResultCaption(chinese)).c_str(), MB_OK | message->icon);
}

}  // namespace fat32

#endif  // _WIN32
