// Shared by the markup parser's tests: the real skin and the build-time zip
// fixtures, byte encodings of documents, exact-size blocks that fault on the
// first byte read past their end, and short forms of the error queries.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "facet/markup/markup.h"

namespace Facet {
namespace MarkupTest {

using Bytes = std::vector<std::uint8_t>;

// The application's skin, resources/skin.xml of the source tree.
std::string SkinPath();
// A file the build wrote for these tests, e.g. "skins.zip".
std::string FixturePath(const std::string& name);
// The whole file; empty when it cannot be read.
Bytes ReadFileBytes(const std::string& path);

Bytes ToBytes(const std::string& text);
// The bytes behind a UTF-8 byte-order mark (EF BB BF).
Bytes WithUtf8Mark(const Bytes& bytes);
// The UTF-8 bytes re-encoded as UTF-16 with a byte-order mark (FF FE or
// FE FF), or without one.
Bytes Utf8ToUtf16(const Bytes& utf8, bool bigEndian, bool withMark = true);

// A copy of some bytes in a block of exactly their size. Under Windows the
// block ends where an inaccessible page begins, so reading one byte past it
// faults at once; elsewhere it is a plain heap block for AddressSanitizer.
class CExactBlock {
public:
    explicit CExactBlock(const Bytes& bytes);
    ~CExactBlock();
    CExactBlock(const CExactBlock&) = delete;
    CExactBlock& operator=(const CExactBlock&) = delete;

    BYTE* Data() const { return m_data; }
    DWORD Size() const { return m_size; }
    Bytes Contents() const { return Bytes(m_data, m_data + m_size); }

private:
    void* m_region = nullptr;
    std::size_t m_regionSize = 0;
    BYTE* m_data = nullptr;
    DWORD m_size = 0;
};

#ifdef _WIN32
// A fresh folder under the temporary folder; it and the files written through
// it are removed when the object goes. Path() ends in '\'.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Writes the file (replacing one of that name) and tells its full path.
    std::wstring Write(const std::wstring& name, const Bytes& bytes);

private:
    std::wstring m_path;
    std::vector<std::wstring> m_written;
};
#endif

// Loads the bytes from an exact-size block.
bool LoadBytes(CMarkup& markup, const Bytes& bytes, int encoding = CMarkup::kEncodingUtf8);

std::wstring ErrorMessage(const CMarkup& markup);
std::wstring ErrorLocation(const CMarkup& markup);

// Null-safe conversion for comparisons.
inline std::wstring Str(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(L"(null)"); }

// The element and everything below it in one line: name, {attributes},
// "value" when not empty, [children]; e.g. a{x=1}"t"[b,c]. Every text is
// read whole, so a missing terminator shows up under a memory checker.
std::wstring Dump(const CMarkupNode& node);
// Dump of every top-level element, separated by '|'.
std::wstring DumpDocument(const CMarkup& markup);

// For tests that parse small documents written as UTF-8 text.
class MarkupFixture : public ::testing::Test {
protected:
    bool Parse(const std::string& utf8) { return LoadBytes(markup_, ToBytes(utf8)); }
    CMarkupNode Root() const { return markup_.GetRoot(); }
    std::wstring Message() const { return ErrorMessage(markup_); }
    std::wstring Location() const { return ErrorLocation(markup_); }

    CMarkup markup_;
};

}  // namespace MarkupTest
}  // namespace Facet
