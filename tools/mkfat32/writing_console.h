// WritingConsole: made when the first write is about to go out; while it
// lives, Ctrl+C, Ctrl+Break and closing the console do not end mkfat32 in the
// middle of its writes (the default handler would call ExitProcess); the run
// goes on to its end, and stderr says so. Before it, they end the command as
// usual, with nothing written.
#pragma once

#ifdef _WIN32

#include <windows.h>

namespace mkfat32 {

class WritingConsole {
public:
    WritingConsole();
    ~WritingConsole();
    WritingConsole(const WritingConsole&) = delete;
    WritingConsole& operator=(const WritingConsole&) = delete;
};

}  // namespace mkfat32

#endif  // _WIN32
