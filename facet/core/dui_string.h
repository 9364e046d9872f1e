// CDuiString: the framework's UTF-16 text. Up to 62 code units live in an
// inline buffer inside the object; longer texts live in a heap block of exactly
// length + 1 units. Every operation is total: none throws, none writes outside
// the text it owns.
#pragma once

#include <windows.h>

namespace Facet {

class CDuiString {
public:
    // Texts of up to this many units stay in the object itself.
    static constexpr int kMaxInlineLength = 62;
    // Size of the inline buffer, and of SmallFormat's output buffer.
    static constexpr int kInlineUnits = 64;

    CDuiString();
    CDuiString(wchar_t ch);
    CDuiString(const wchar_t* s, int len = -1);
    CDuiString(const CDuiString& src);
    ~CDuiString();

    void Assign(const wchar_t* s, int len = -1);
    void Append(const wchar_t* s);
    void Empty();

    int GetLength() const;
    bool IsEmpty() const { return m_pstr[0] == L'\0'; }
    bool IsInline() const { return m_pstr == m_szBuffer; }

    const wchar_t* GetData() const { return m_pstr; }
    operator const wchar_t*() const { return m_pstr; }

    // Unchecked, as callers index within GetLength() on hot paths.
    wchar_t GetAt(int i) const { return m_pstr[i]; }
    wchar_t operator[](int i) const { return m_pstr[i]; }
    void SetAt(int i, wchar_t ch) { m_pstr[i] = ch; }

    const CDuiString& operator=(const CDuiString& src);
    const CDuiString& operator=(const wchar_t* s);
    const CDuiString& operator=(wchar_t ch);
    const CDuiString& operator=(const char* ansi);

    const CDuiString& operator+=(const CDuiString& src);
    const CDuiString& operator+=(const wchar_t* s);
    const CDuiString& operator+=(wchar_t ch);
    const CDuiString& operator+=(const char* ansi);

    CDuiString operator+(const CDuiString& src) const;
    CDuiString operator+(const wchar_t* s) const;

    bool operator==(const wchar_t* s) const { return Compare(s) == 0; }
    bool operator!=(const wchar_t* s) const { return Compare(s) != 0; }
    bool operator<(const wchar_t* s) const { return Compare(s) < 0; }
    bool operator<=(const wchar_t* s) const { return Compare(s) <= 0; }
    bool operator>(const wchar_t* s) const { return Compare(s) > 0; }
    bool operator>=(const wchar_t* s) const { return Compare(s) >= 0; }

    // A null argument compares as the empty text.
    int Compare(const wchar_t* s) const;
    int CompareNoCase(const wchar_t* s) const;

    void MakeUpper();
    void MakeLower();

    CDuiString Left(int n) const;
    CDuiString Mid(int pos, int len = -1) const;
    CDuiString Right(int n) const;

    int Find(wchar_t ch, int pos = 0) const;
    int Find(const wchar_t* sub, int pos = 0) const;
    int ReverseFind(wchar_t ch) const;
    int Replace(const wchar_t* from, const wchar_t* to);

    // printf-style with the CRT's wide conventions (%s takes a wide text).
    // Returns the units written, or -1 with the text unchanged when the
    // format cannot be rendered.
    int __cdecl Format(const wchar_t* fmt, ...);
    // The Win32 formatter (no floating point) into 64 units: a result longer
    // than 63 units is cut there. Returns the length of the stored text.
    int __cdecl SmallFormat(const wchar_t* fmt, ...);

private:
    bool OwnsPointer(const wchar_t* p) const;
    void ReturnToInline();

    wchar_t* m_pstr;
    wchar_t m_szBuffer[kInlineUnits];
};

}  // namespace Facet
