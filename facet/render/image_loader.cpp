// CRenderEngine::LoadImageW and FreeImage: the bytes of an image from a
// resource, a file under the resource path, a member of the resource archive
// or a plain file; decoded by stb_image into a 32-bit top-down DIB section of
// premultiplied BGRA pixels, with the mask colour made transparent.
#include <stb_image.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/render_engine.h"
#include "facet/render/zip_archive.h"

namespace Facet {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Images beyond these are refused before decoding: a few header bytes can
// declare dimensions whose pixels would not fit in memory, and no skin needs
// an image larger than a screen several times over.
constexpr int kMaxImageSide = 16384;
constexpr long long kMaxImagePixels = 64LL * 1024 * 1024;
// Archive member names longer than this are not looked up.
constexpr size_t kMaxMemberName = 255;

bool Allocate(Bytes& bytes, size_t size) {
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return false;
    }
    return true;
}

class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle) : m_handle(handle) {}
    ~CFileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// The resource of that name or id and type in the resource module, copied.
bool ReadResource(STRINGorID name, const wchar_t* type, Bytes& out) {
    const HINSTANCE module = CPaintManagerUI::GetResourceDll();
    HRSRC resource = ::FindResourceW(module, name.m_lpstr, type);
    if (!resource) return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    if (!loaded) return false;
    const DWORD size = ::SizeofResource(module, resource);
    const void* data = ::LockResource(loaded);
    if (size == 0 || !data || !Allocate(out, size)) return false;
    memcpy(out.data(), data, size);
    // A module's resources live as long as the module: nothing to release.
    return true;
}

// The whole file in one read; a file that cannot be read whole gives nothing.
bool ReadWholeFile(const wchar_t* path, Bytes& out) {
    CFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    DWORD high = 0;
    const DWORD size = ::GetFileSize(file.Get(), &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size == 0) return false;
    if (!Allocate(out, size)) return false;
    DWORD read = 0;
    if (!::ReadFile(file.Get(), out.data(), size, &read, nullptr) || read != size) {
        out.clear();
        return false;
    }
    return true;
}

bool ReadMember(CZipArchive& archive, const wchar_t* name, Bytes& out) {
    const std::wstring_view member(name);
    if (member.empty() || member.size() > kMaxMemberName) return false;
    const int index = archive.FindMember(member);
    if (index < 0) return false;
    return archive.Extract(index, out) && !out.empty();
}

// The member of the cached archive, or of the archive opened for this load.
bool ReadZipMember(const wchar_t* name, Bytes& out) {
    if (CPaintManagerUI::IsCachedResourceZip()) {
        CZipArchive* cached = CPaintManagerUI::GetResourceZipHandle();
        return cached && ReadMember(*cached, name, out);
    }
    CZipArchive archive;
    const CDuiString path = CPaintManagerUI::GetResourcePath() + CPaintManagerUI::GetResourceZip();
    if (!archive.OpenFile(std::wstring(path.GetData()))) return false;
    return ReadMember(archive, name, out);
}

bool ReadImageBytes(STRINGorID bitmap, const wchar_t* type, Bytes& out) {
    if (!bitmap.m_lpstr) return false;
    bool found = false;
    if (type) {
        found = ReadResource(bitmap, type, out);
    } else if (!bitmap.IsId()) {
        // A resource number names nothing outside the resources.
        if (CPaintManagerUI::GetResourceZip().IsEmpty()) {
            const CDuiString path = CPaintManagerUI::GetResourcePath() + bitmap.m_lpstr;
            found = ReadWholeFile(path, out);
        } else {
            found = ReadZipMember(bitmap.m_lpstr, out);
        }
    }
    if (!found && !bitmap.IsId()) found = ReadWholeFile(bitmap.m_lpstr, out);
    return found;
}

struct StbPixels {
    ~StbPixels() { stbi_image_free(data); }
    stbi_uc* data = nullptr;
};

// Decodes to RGBA and converts into a premultiplied top-down DIB section.
TImageInfo* DecodeImage(const Bytes& bytes, DWORD mask) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) return nullptr;
    const auto* data = bytes.data();
    const int length = static_cast<int>(bytes.size());
    int width = 0;
    int height = 0;
    int components = 0;
    if (!stbi_info_from_memory(data, length, &width, &height, &components)) return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        static_cast<long long>(width) * height > kMaxImagePixels) {
        return nullptr;
    }
    StbPixels rgba;
    rgba.data = stbi_load_from_memory(data, length, &width, &height, &components, 4);
    if (!rgba.data || width <= 0 || height <= 0 || width > kMaxImageSide ||
        height > kMaxImageSide) {
        return nullptr;
    }

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* bits = nullptr;
    CBitmapHandle bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return nullptr;

    bool alpha = false;
    const stbi_uc* source = rgba.data;
    auto* target = static_cast<std::uint32_t*>(bits);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i, source += 4) {
        std::uint32_t r = source[0];
        std::uint32_t g = source[1];
        std::uint32_t b = source[2];
        const std::uint32_t a = source[3];
        if (a < 255) {
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            alpha = true;
        }
        std::uint32_t pixel = (a << 24) | (r << 16) | (g << 8) | b;
        // The mask compares with the premultiplied value, so an opaque mask
        // colour removes exactly the opaque pixels of that colour.
        if (pixel == mask) {
            pixel = 0;
            alpha = true;
        }
        target[i] = pixel;
    }

    auto* image = new (std::nothrow) TImageInfo;
    if (!image) return nullptr;
    image->hBitmap = std::move(bitmap);
    image->nX = width;
    image->nY = height;
    image->alphaChannel = alpha;
    return image;
}

}  // namespace

TImageInfo* CRenderEngine::LoadImageW(STRINGorID bitmap, const wchar_t* type, DWORD mask) {
    Bytes bytes;
    if (!ReadImageBytes(bitmap, type, bytes)) return nullptr;
    return DecodeImage(bytes, mask);
}

void CRenderEngine::FreeImage(const TImageInfo* bitmap) { delete bitmap; }

}  // namespace Facet
