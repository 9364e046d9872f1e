// CDuiString. Memory comes from the C heap. Operations whose source may point
// into this very string (s.Append(s), s.Assign(s.GetData() + 3)) copy it first,
// because moving between the inline buffer and the heap would free or move
// the source under them.
#include "facet/core/dui_string.h"

#include <shlwapi.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string>

namespace Facet {

namespace {

wchar_t* AllocateUnits(std::size_t units) {
    return static_cast<wchar_t*>(std::malloc(units * sizeof(wchar_t)));
}

// The ANSI text converted to UTF-16 in a C-heap block of strlen + 1 units, or
// null when no memory is left.
wchar_t* AnsiToWide(const char* ansi) {
    const std::size_t units = std::strlen(ansi) + 1;
    wchar_t* wide = AllocateUnits(units);
    if (!wide) return nullptr;
    // Each byte of an ANSI text (single-byte, double-byte or UTF-8 code page)
    // yields at most one UTF-16 unit, so strlen + 1 units always suffice.
    const int limit = units > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(units);
    if (::MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, limit) <= 0) wide[0] = L'\0';
    return wide;
}

// wcsstr with the C library's meaning for an empty pattern: found at the
// start. Wine's msvcrt answers null for it when the text is empty.
const wchar_t* FindText(const wchar_t* text, const wchar_t* pattern) {
    if (!*pattern) return text;
    return std::wcsstr(text, pattern);
}

}  // namespace

CDuiString::CDuiString() : m_pstr(m_szBuffer) { m_szBuffer[0] = L'\0'; }

CDuiString::CDuiString(wchar_t ch) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
}

CDuiString::CDuiString(const wchar_t* s, int len) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = L'\0';
    Assign(s, len);
}

CDuiString::CDuiString(const CDuiString& src) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = L'\0';
    Assign(src.m_pstr);
}

CDuiString::~CDuiString() {
    if (!IsInline()) std::free(m_pstr);
}

bool CDuiString::OwnsPointer(const wchar_t* p) const {
    // std::less gives a total order even for pointers into unrelated blocks.
    const std::less<const wchar_t*> before;
    if (IsInline()) return !before(p, m_szBuffer) && before(p, m_szBuffer + kInlineUnits);
    return !before(p, m_pstr) && !before(m_pstr + std::wcslen(m_pstr), p);
}

void CDuiString::ReturnToInline() {
    if (IsInline()) return;
    std::free(m_pstr);
    m_pstr = m_szBuffer;
}

void CDuiString::Assign(const wchar_t* s, int len) {
    if (!s) s = L"";
    if (OwnsPointer(s)) {
        const CDuiString copy(s, len);
        Assign(copy.m_pstr);
        return;
    }
    // A length beyond the source's end would only pad with NULs; counting what
    // is really there keeps long-but-short texts out of oversized heap blocks.
    const std::size_t units = len < 0 ? std::wcslen(s) : ::wcsnlen(s, static_cast<std::size_t>(len));
    if (units <= static_cast<std::size_t>(kMaxInlineLength)) {
        ReturnToInline();
    } else if (IsInline() || std::wcslen(m_pstr) < units) {
        wchar_t* block = IsInline()
                             ? AllocateUnits(units + 1)
                             : static_cast<wchar_t*>(std::realloc(m_pstr, (units + 1) * sizeof(wchar_t)));
        if (!block) return;  // out of memory: the old text stays
        m_pstr = block;
    }
    std::memcpy(m_pstr, s, units * sizeof(wchar_t));
    m_pstr[units] = L'\0';
}

void CDuiString::Append(const wchar_t* s) {
    if (!s) return;
    if (OwnsPointer(s)) {
        const CDuiString copy(s);
        Append(copy.m_pstr);
        return;
    }
    const std::size_t current = std::wcslen(m_pstr);
    const std::size_t added = std::wcslen(s);
    const std::size_t total = current + added;
    if (total > 0x7FFFFFFE) return;  // lengths are ints; refuse rather than wrap
    if (total > static_cast<std::size_t>(kMaxInlineLength)) {
        if (IsInline()) {
            wchar_t* block = AllocateUnits(total + 1);
            if (!block) return;
            std::memcpy(block, m_szBuffer, (current + 1) * sizeof(wchar_t));
            m_pstr = block;
        } else {
            auto* block = static_cast<wchar_t*>(std::realloc(m_pstr, (total + 1) * sizeof(wchar_t)));
            if (!block) return;
            m_pstr = block;
        }
    } else if (!IsInline()) {
        std::memcpy(m_szBuffer, m_pstr, (current + 1) * sizeof(wchar_t));
        ReturnToInline();
    }
    std::memcpy(m_pstr + current, s, added * sizeof(wchar_t));
    m_pstr[total] = L'\0';
}

void CDuiString::Empty() {
    ReturnToInline();
    m_szBuffer[0] = L'\0';
}

int CDuiString::GetLength() const { return static_cast<int>(std::wcslen(m_pstr)); }

const CDuiString& CDuiString::operator=(const CDuiString& src) {
    Assign(src.m_pstr);
    return *this;
}

const CDuiString& CDuiString::operator=(const wchar_t* s) {
    Assign(s);
    return *this;
}

const CDuiString& CDuiString::operator=(wchar_t ch) {
    const wchar_t text[2] = {ch, L'\0'};
    Assign(text);
    return *this;
}

const CDuiString& CDuiString::operator=(const char* ansi) {
    if (!ansi) {
        Empty();
        return *this;
    }
    wchar_t* wide = AnsiToWide(ansi);
    if (wide) {
        Assign(wide);
        std::free(wide);
    }
    return *this;
}

const CDuiString& CDuiString::operator+=(const CDuiString& src) {
    Append(src.m_pstr);
    return *this;
}

const CDuiString& CDuiString::operator+=(const wchar_t* s) {
    Append(s);
    return *this;
}

const CDuiString& CDuiString::operator+=(wchar_t ch) {
    const wchar_t text[2] = {ch, L'\0'};
    Append(text);
    return *this;
}

const CDuiString& CDuiString::operator+=(const char* ansi) {
    if (!ansi) return *this;
    wchar_t* wide = AnsiToWide(ansi);
    if (wide) {
        Append(wide);
        std::free(wide);
    }
    return *this;
}

CDuiString CDuiString::operator+(const CDuiString& src) const {
    CDuiString result(*this);
    result.Append(src.m_pstr);
    return result;
}

CDuiString CDuiString::operator+(const wchar_t* s) const {
    CDuiString result(*this);
    result.Append(s);
    return result;
}

int CDuiString::Compare(const wchar_t* s) const { return std::wcscmp(m_pstr, s ? s : L""); }

int CDuiString::CompareNoCase(const wchar_t* s) const { return ::_wcsicmp(m_pstr, s ? s : L""); }

void CDuiString::MakeUpper() { ::_wcsupr(m_pstr); }

void CDuiString::MakeLower() { ::_wcslwr(m_pstr); }

CDuiString CDuiString::Left(int n) const {
    const int length = GetLength();
    if (n < 0) n = 0;
    if (n > length) n = length;
    return CDuiString(m_pstr, n);
}

CDuiString CDuiString::Mid(int pos, int len) const {
    const int length = GetLength();
    // A start outside the text reads nothing rather than memory before or
    // after it.
    if (pos < 0 || pos > length) return CDuiString();
    if (len < 0 || len > length - pos) len = length - pos;
    if (len <= 0) return CDuiString();
    return CDuiString(m_pstr + pos, len);
}

CDuiString CDuiString::Right(int n) const {
    const int length = GetLength();
    if (n <= 0) return CDuiString();
    if (n > length) n = length;
    return CDuiString(m_pstr + length - n, n);
}

int CDuiString::Find(wchar_t ch, int pos) const {
    if (pos != 0 && (pos < 0 || pos >= GetLength())) return -1;
    const wchar_t* found = std::wcschr(m_pstr + pos, ch);
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CDuiString::Find(const wchar_t* sub, int pos) const {
    if (!sub) return -1;
    if (pos != 0 && (pos < 0 || pos > GetLength())) return -1;
    const wchar_t* found = FindText(m_pstr + pos, sub);
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CDuiString::ReverseFind(wchar_t ch) const {
    const wchar_t* found = std::wcsrchr(m_pstr, ch);
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CDuiString::Replace(const wchar_t* from, const wchar_t* to) {
    // An empty pattern occurs everywhere, also right after each insertion:
    // replacing it would never end.
    if (!from || !*from) return 0;
    // The arguments may point into this text, which changes below.
    const CDuiString pattern(from);
    const CDuiString replacement(to);
    const std::size_t patternLength = static_cast<std::size_t>(pattern.GetLength());
    // One pass over the text into a new buffer: rebuilding the whole string
    // at every match made a long text full of matches quadratic.
    std::wstring result;
    int count = 0;
    const wchar_t* rest = m_pstr;
    while (const wchar_t* found = std::wcsstr(rest, pattern.m_pstr)) {
        result.append(rest, static_cast<std::size_t>(found - rest));
        result.append(replacement.m_pstr);
        rest = found + patternLength;
        ++count;
    }
    if (count == 0) return 0;
    result.append(rest);
    Assign(result.c_str());
    return count;
}

int CDuiString::Format(const wchar_t* fmt, ...) {
    if (!fmt) return -1;
    va_list args;
    va_start(args, fmt);
    va_list measure;
    va_copy(measure, args);
    const int length = ::_vscwprintf(fmt, measure);
    va_end(measure);
    int written = -1;
    if (length >= 0) {
        wchar_t* text = static_cast<wchar_t*>(std::calloc(static_cast<std::size_t>(length) + 1, sizeof(wchar_t)));
        if (text) {
            written = ::_vsnwprintf(text, static_cast<std::size_t>(length) + 1, fmt, args);
            text[length] = L'\0';
            if (written >= 0) Assign(text, length);
            std::free(text);
        }
    }
    va_end(args);
    return written < 0 ? -1 : written;
}

int CDuiString::SmallFormat(const wchar_t* fmt, ...) {
    // The format may live in this string, which Assign overwrites.
    const CDuiString format(fmt);
    wchar_t buffer[kInlineUnits] = {};
    va_list args;
    va_start(args, fmt);
    // wvsprintfW has no size limit; its bounded twin cuts instead of overrunning.
    ::wvnsprintfW(buffer, kInlineUnits, format.m_pstr, args);
    va_end(args);
    buffer[kInlineUnits - 1] = L'\0';
    Assign(buffer);
    return GetLength();
}

}  // namespace Facet
