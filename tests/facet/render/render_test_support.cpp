// Image encoders, the stored-zip writer, the scratch folder and the canvas of
// render_test_support.h.
#include "render_test_support.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace Facet {
namespace test {

namespace {

void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Put32Be(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutPngChunk(Bytes& out, const char* type, const Bytes& data) {
    Put32Be(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Put32Be(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

}  // namespace

Bytes EncodePng(int width, int height, const std::vector<std::uint32_t>& pixels) {
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            raw.push_back(static_cast<std::uint8_t>(R(p)));
            raw.push_back(static_cast<std::uint8_t>(G(p)));
            raw.push_back(static_cast<std::uint8_t>(B(p)));
            raw.push_back(static_cast<std::uint8_t>(A(p)));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);

    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    Put32Be(header, static_cast<std::uint32_t>(width));
    Put32Be(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    PutPngChunk(out, "IHDR", header);
    PutPngChunk(out, "IDAT", packed);
    PutPngChunk(out, "IEND", Bytes());
    return out;
}

Bytes EncodeBmp24(int width, int height, const std::vector<std::uint32_t>& pixels) {
    const int stride = (width * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height);
    Bytes out = {'B', 'M'};
    Put32(out, 54 + imageSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            out.push_back(static_cast<std::uint8_t>(B(p)));
            out.push_back(static_cast<std::uint8_t>(G(p)));
            out.push_back(static_cast<std::uint8_t>(R(p)));
        }
        for (int pad = width * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

Bytes EncodeTga32(int width, int height, const std::vector<std::uint32_t>& pixels) {
    Bytes out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // uncompressed true colour
    Put16(out, static_cast<std::uint32_t>(width));
    Put16(out, static_cast<std::uint32_t>(height));
    out.push_back(32);
    out.push_back(0x28);  // 8 alpha bits, rows from the top
    for (std::uint32_t p : pixels) {
        out.push_back(static_cast<std::uint8_t>(B(p)));
        out.push_back(static_cast<std::uint8_t>(G(p)));
        out.push_back(static_cast<std::uint8_t>(R(p)));
        out.push_back(static_cast<std::uint8_t>(A(p)));
    }
    return out;
}

Bytes MakeStoredZip(const std::vector<std::pair<std::string, Bytes>>& members) {
    Bytes out;
    Bytes directory;
    for (const auto& [name, data] : members) {
        const std::uint32_t crc = static_cast<std::uint32_t>(
            crc32(0, data.data(), static_cast<uInt>(data.size())));
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t size = static_cast<std::uint32_t>(data.size());
        const std::uint32_t nameLength = static_cast<std::uint32_t>(name.size());

        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, 0);  // flags
        Put16(out, 0);  // stored
        Put32(out, 0);  // time and date
        Put32(out, crc);
        Put32(out, size);
        Put32(out, size);
        Put16(out, nameLength);
        Put16(out, 0);
        out.insert(out.end(), name.begin(), name.end());
        out.insert(out.end(), data.begin(), data.end());

        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, crc);
        Put32(directory, size);
        Put32(directory, size);
        Put16(directory, nameLength);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, offset);
        directory.insert(directory.end(), name.begin(), name.end());
    }
    const std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(members.size()));
    Put16(out, static_cast<std::uint32_t>(members.size()));
    Put32(out, static_cast<std::uint32_t>(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

bool WriteBytes(const std::wstring& path, const Bytes& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = bytes.empty() ||
                    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

CScratchFolder::CScratchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    static unsigned serial = 0;
    for (;;) {
        wchar_t name[64];
        swprintf(name, 64, L"facet_render_%lu_%u\\", ::GetCurrentProcessId(), ++serial);
        m_path = std::wstring(temp) + name;
        if (::CreateDirectoryW(m_path.c_str(), nullptr)) break;
    }
}

CScratchFolder::~CScratchFolder() {
    for (const std::wstring& file : m_written) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(m_path.c_str());
}

std::wstring CScratchFolder::Write(const std::wstring& name, const Bytes& bytes) const {
    const std::wstring path = m_path + name;
    WriteBytes(path, bytes);
    m_written.push_back(path);
    return path;
}

CCanvas::CCanvas(int width, int height, std::uint32_t fill) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_hdc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<std::uint32_t*>(bits);
    m_previous = ::SelectObject(m_hdc, m_bitmap);
    Fill(fill);
}

CCanvas::~CCanvas() {
    ::SelectObject(m_hdc, m_previous);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_hdc);
}

void CCanvas::Fill(std::uint32_t argb) {
    ::GdiFlush();
    for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = argb;
}

std::uint32_t CCanvas::At(int x, int y) const {
    ::GdiFlush();
    return m_bits[static_cast<size_t>(y) * m_width + x];
}

std::pair<int, int> CCanvas::InkSpan(std::uint32_t background) const {
    int first = m_width;
    int last = -1;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            if (Rgb(x, y) == (background & 0x00FFFFFF)) continue;
            if (x < first) first = x;
            if (x > last) last = x;
        }
    }
    return last < 0 ? std::make_pair(0, 0) : std::make_pair(first, last + 1);
}

int CCanvas::InkWidth(std::uint32_t background) const {
    const auto span = InkSpan(background);
    return span.second - span.first;
}

std::pair<int, int> CCanvas::InkRows(std::uint32_t background) const {
    int first = m_height;
    int last = -1;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            if (Rgb(x, y) == (background & 0x00FFFFFF)) continue;
            if (y < first) first = y;
            last = y;
            break;
        }
    }
    return last < 0 ? std::make_pair(0, 0) : std::make_pair(first, last + 1);
}

bool CCanvas::SaveBmp(const std::wstring& path) const {
    ::GdiFlush();
    Bytes out = {'B', 'M'};
    const std::uint32_t imageSize = static_cast<std::uint32_t>(m_width * m_height * 4);
    Put32(out, 54 + imageSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(m_width));
    Put32(out, static_cast<std::uint32_t>(-m_height));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(m_bits);
    out.insert(out.end(), bytes, bytes + imageSize);
    return WriteBytes(path, out);
}

HBITMAP MakeDib32(int width, int height, const std::vector<std::uint32_t>& pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    }
    return bitmap;
}

std::uint32_t BitmapPixel(HBITMAP bitmap, int x, int y) {
    DIBSECTION dib = {};
    if (::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits) return 0xDEADBEEF;
    ::GdiFlush();
    const auto* row = static_cast<const std::uint8_t*>(dib.dsBm.bmBits) +
                      static_cast<size_t>(y) * dib.dsBm.bmWidthBytes;
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

bool RgbNear(std::uint32_t a, std::uint32_t b, int tolerance) {
    return std::abs(R(a) - R(b)) <= tolerance && std::abs(G(a) - G(b)) <= tolerance &&
           std::abs(B(a) - B(b)) <= tolerance;
}

}  // namespace test
}  // namespace Facet
