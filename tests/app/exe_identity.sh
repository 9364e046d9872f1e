#!/bin/sh
# The shipped executable needs nothing beside Windows' own DLLs: every import
# is a system library (the C runtime msvcrt included), none is a mingw or
# compiler runtime that would have to be shipped with it.
# Usage: exe_identity.sh EXE
set -u
exe=$1
system='^(kernel32|user32|gdi32|gdiplus|comctl32|ole32|oleaut32|shlwapi|setupapi|cfgmgr32|advapi32|shell32|msimg32|msvcrt|version)\.dll$'
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no imports read from $exe"; exit 1; }
bad=$(printf '%s\n' "$imports" | grep -v -E "$system")
if [ -n "$bad" ]; then echo "imports beyond Windows' own: $bad"; echo "exe identity: 0 passed, 1 failed"; exit 1; fi
echo "imports: $(printf '%s ' $imports)"
echo "exe identity: 1 passed, 0 failed"
