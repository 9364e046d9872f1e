// Reading a skin document for CMarkup::LoadFromFile: the whole file or zip
// member into one exact-size block, refused when missing, empty, above 4 MiB
// or short.
#include "facet/markup/markup_file_source.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/zip_archive.h"

namespace Facet {

namespace {

// A handle from CreateFileW, closed with CloseHandle on every path.
class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle) : m_handle(handle) {}
    ~CFileHandle() {
        if (IsOpen()) ::CloseHandle(m_handle);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// Takes a block of `size` bytes for `out`; false when no memory is left.
bool Allocate(DWORD size, CMarkupFileSource::Block* out) {
    out->data = static_cast<BYTE*>(std::malloc(size));
    if (!out->data) return false;
    out->size = size;
    return true;
}

void Discard(CMarkupFileSource::Block* out) {
    std::free(out->data);
    out->data = nullptr;
    out->size = 0;
}

}  // namespace

CMarkupFileSource::Block::~Block() { std::free(data); }

CMarkupFileSource::Location CMarkupFileSource::CurrentLocation() {
    Location location;
    location.resourcePath = CPaintManagerUI::GetResourcePath();
    location.zipName = CPaintManagerUI::GetResourceZip();
    location.cachedArchive = CPaintManagerUI::IsCachedResourceZip() ? CPaintManagerUI::GetResourceZipHandle() : nullptr;
    return location;
}

const wchar_t* CMarkupFileSource::Read(const Location& location, const wchar_t* name, Block* out) {
    Discard(out);
    if (!name) name = L"";
    if (location.zipName.IsEmpty()) return ReadFile(location.resourcePath + name, out);

    if (location.cachedArchive) return ReadZipMember(*location.cachedArchive, name, out);
    CZipArchive archive;  // closed again when it goes out of scope
    const CDuiString path = location.resourcePath + location.zipName;
    if (!archive.OpenFile(std::wstring(path.GetData()))) return L"Error opening zip file";
    return ReadZipMember(archive, name, out);
}

const wchar_t* CMarkupFileSource::ReadFile(const CDuiString& path, Block* out) {
    CFileHandle file(::CreateFileW(path.GetData(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return L"Error opening file";
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) return L"Could not read file";
    if (size.QuadPart == 0) return L"File is empty";
    if (size.QuadPart > kMaxSkinBytes) return L"File too large";

    const DWORD wanted = static_cast<DWORD>(size.QuadPart);
    if (!Allocate(wanted, out)) return L"Could not read file";
    DWORD read = 0;
    if (!::ReadFile(file.Get(), out->data, wanted, &read, nullptr) || read < wanted) {
        Discard(out);
        return L"Could not read file";
    }
    return nullptr;
}

const wchar_t* CMarkupFileSource::ReadZipMember(CZipArchive& archive, const wchar_t* name, Block* out) {
    const int index = archive.FindMember(std::wstring_view(name));
    if (index < 0) return L"Could not find ziped file";
    const std::uint32_t size = archive.GetUncompressedSize(index);
    if (size == 0) return L"File is empty";
    if (size > kMaxSkinBytes) return L"File too large";

    if (!Allocate(size, out)) return L"Could not unzip file";
    if (!archive.Extract(index, out->data, out->size)) {
        Discard(out);
        return L"Could not unzip file";
    }
    return nullptr;
}

}  // namespace Facet
