// Text for a console or a stream. Messages are kept as UTF-8; a Windows
// console shows them only when they are handed over as UTF-16, while pipes
// and files get the UTF-8 bytes unchanged.
#pragma once

#include <cstdio>

namespace fat32 {

// Writes the UTF-8 text to the stream: as wide text when the stream is a
// Windows console, as bytes otherwise.
void WriteText(std::FILE* stream, const char* utf8);

}  // namespace fat32
