// Shows the message of a format result to the user: a modal box owned by the
// given window, in Chinese when the ANSI code page is 936, else in English.
#pragma once

#include "format/format_result.h"

#ifdef _WIN32
#include <windows.h>

namespace fat32 {

// True when the system's ANSI code page is 936 (Simplified Chinese).
bool ChineseTextsInForce();

// One message box for a code from 0 to 16; nothing for any other code.
void ShowResult(HWND owner, FormatResult result);

}  // namespace fat32
#endif
