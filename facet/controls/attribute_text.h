// Readers for the attribute value shapes that containers, layouts, labels,
// buttons and scroll bars share: colours, booleans, integers and lists of
// integers. Each reads what it can and never looks past the end of the text.
#pragma once

#include <windows.h>

namespace Facet {
namespace AttributeText {

// "true" exactly; every other text (a null one too) is false.
bool ReadBool(const wchar_t* value);

// Decimal with the C library's rules: leading blanks, a sign, digits up to
// the first other character; 0 when nothing reads.
int ReadInt(const wchar_t* value);

// 0xAARRGGBB in hexadecimal, with one optional leading '#'.
DWORD ReadColor(const wchar_t* value);

// Up to `count` decimal integers, each separated from the next by one
// character (blanks after it are skipped by the conversion). A field without
// a number, and every field after the end of the text, is 0. Returns how many
// fields the text held.
int ReadInts(const wchar_t* value, int* out, int count);

// Four integers as left, top, right, bottom.
RECT ReadRect(const wchar_t* value);

}  // namespace AttributeText
}  // namespace Facet
