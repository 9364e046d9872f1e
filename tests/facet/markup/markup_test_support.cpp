// Fixture paths, encodings and guarded blocks for the markup parser's tests.
#include "markup_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace Facet {
namespace MarkupTest {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Under Wine the source and build trees are reached through drive Z:, the
// host's root.
std::string HostPath(const std::string& path) {
#ifdef _WIN32
    return "Z:" + path;
#else
    return path;
#endif
}

// The code points of well-formed UTF-8 (the tests' own documents).
std::vector<std::uint32_t> DecodeUtf8(const Bytes& utf8) {
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::uint8_t lead = utf8[i];
        int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        std::uint32_t point = extra == 0 ? lead : lead & (0x3F >> extra);
        ++i;
        for (; extra > 0 && i < utf8.size(); --extra, ++i) point = point << 6 | (utf8[i] & 0x3F);
        points.push_back(point);
    }
    return points;
}

void PutUnit(Bytes& out, std::uint16_t unit, bool bigEndian) {
    const std::uint8_t high = static_cast<std::uint8_t>(unit >> 8);
    const std::uint8_t low = static_cast<std::uint8_t>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
}

}  // namespace

std::string SkinPath() { return HostPath(MARKUP_SKIN_PATH); }

std::string FixturePath(const std::string& name) { return HostPath(std::string(MARKUP_FIXTURE_DIR) + "/" + name); }

Bytes ReadFileBytes(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    Bytes bytes;
    if (!file) return bytes;
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    return bytes;
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes WithUtf8Mark(const Bytes& bytes) {
    Bytes out;
    out.reserve(bytes.size() + 3);
    out.push_back(0xEF);
    out.push_back(0xBB);
    out.push_back(0xBF);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

Bytes Utf8ToUtf16(const Bytes& utf8, bool bigEndian, bool withMark) {
    Bytes out;
    if (withMark) PutUnit(out, 0xFEFF, bigEndian);
    for (std::uint32_t point : DecodeUtf8(utf8)) {
        if (point >= 0x10000) {
            point -= 0x10000;
            PutUnit(out, static_cast<std::uint16_t>(0xD800 | point >> 10), bigEndian);
            PutUnit(out, static_cast<std::uint16_t>(0xDC00 | (point & 0x3FF)), bigEndian);
        } else {
            PutUnit(out, static_cast<std::uint16_t>(point), bigEndian);
        }
    }
    return out;
}

#ifdef _WIN32
CExactBlock::CExactBlock(const Bytes& bytes) : m_size(static_cast<DWORD>(bytes.size())) {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    const std::size_t page = info.dwPageSize;
    const std::size_t dataPages = (bytes.size() + page - 1) / page;
    m_regionSize = (dataPages + 1) * page;
    m_region = ::VirtualAlloc(nullptr, m_regionSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!m_region) std::abort();
    BYTE* guard = static_cast<BYTE*>(m_region) + dataPages * page;
    DWORD previous = 0;
    if (!::VirtualProtect(guard, page, PAGE_NOACCESS, &previous)) std::abort();
    m_data = guard - bytes.size();
    if (!bytes.empty()) std::memcpy(m_data, bytes.data(), bytes.size());
}

CExactBlock::~CExactBlock() { ::VirtualFree(m_region, 0, MEM_RELEASE); }
#else
CExactBlock::CExactBlock(const Bytes& bytes) : m_size(static_cast<DWORD>(bytes.size())) {
    m_regionSize = bytes.size();
    m_region = std::malloc(bytes.empty() ? 1 : bytes.size());
    if (!m_region) std::abort();
    m_data = static_cast<BYTE*>(m_region);
    if (!bytes.empty()) std::memcpy(m_data, bytes.data(), bytes.size());
}

CExactBlock::~CExactBlock() { std::free(m_region); }
#endif

#ifdef _WIN32
CScratchFolder::CScratchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH, temp) == 0) std::abort();
    for (unsigned serial = 0;; ++serial) {
        m_path = std::wstring(temp) + L"facet_markup_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                 std::to_wstring(serial) + L"\\";
        if (::CreateDirectoryW(m_path.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) std::abort();
    }
}

CScratchFolder::~CScratchFolder() {
    for (const std::wstring& path : m_written) ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(m_path.c_str());
}

std::wstring CScratchFolder::Write(const std::wstring& name, const Bytes& bytes) {
    const std::wstring path = m_path + name;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) std::abort();
    DWORD written = 0;
    const BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != bytes.size()) std::abort();
    m_written.push_back(path);
    return path;
}
#endif

bool LoadBytes(CMarkup& markup, const Bytes& bytes, int encoding) {
    CExactBlock block(bytes);
    return markup.LoadFromMem(block.Data(), block.Size(), encoding);
}

std::wstring ErrorMessage(const CMarkup& markup) {
    wchar_t text[CMarkup::kErrorMessageUnits + 1] = {};
    markup.GetLastErrorMessage(text, CMarkup::kErrorMessageUnits);
    return text;
}

std::wstring ErrorLocation(const CMarkup& markup) {
    wchar_t text[CMarkup::kErrorLocationUnits + 1] = {};
    markup.GetLastErrorLocation(text, CMarkup::kErrorLocationUnits);
    return text;
}

std::wstring Dump(const CMarkupNode& node) {
    if (!node.IsValid()) return L"(invalid)";
    std::wstring out = node.GetName();
    const int count = node.GetAttributeCount();
    if (count > 0) {
        out += L'{';
        for (int i = 0; i < count; ++i) {
            if (i > 0) out += L',';
            out += std::wstring(node.GetAttributeName(i)) + L'=' + node.GetAttributeValue(i);
        }
        out += L'}';
    }
    const std::wstring value = node.GetValue();
    if (!value.empty()) out += L'"' + value + L'"';
    if (node.HasChildren()) {
        out += L'[';
        for (CMarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
            out += Dump(child);
            if (child.HasSiblings()) out += L',';
        }
        out += L']';
    }
    return out;
}

std::wstring DumpDocument(const CMarkup& markup) {
    std::wstring out;
    for (CMarkupNode node = markup.GetRoot(); node.IsValid(); node = node.GetSibling()) {
        if (!out.empty()) out += L'|';
        out += Dump(node);
    }
    return out;
}

}  // namespace MarkupTest
}  // namespace Facet
