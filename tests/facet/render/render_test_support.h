// Helpers for the image and drawing tests: encoders that write small images
// with exact pixel values (PNG, BMP, TGA), a hand-made zip archive, a scratch
// folder, and a 32-bit memory canvas whose pixels the tests read back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Facet {
namespace test {

using Bytes = std::vector<std::uint8_t>;

// Pixels are 0xAARRGGBB, rows from the top.
Bytes EncodePng(int width, int height, const std::vector<std::uint32_t>& pixels);
// 24-bit bottom-up BMP (alpha ignored: every pixel opaque).
Bytes EncodeBmp24(int width, int height, const std::vector<std::uint32_t>& pixels);
// Uncompressed 32-bit TGA, rows from the top.
Bytes EncodeTga32(int width, int height, const std::vector<std::uint32_t>& pixels);

// A zip archive of stored (uncompressed) members, in the given order.
Bytes MakeStoredZip(const std::vector<std::pair<std::string, Bytes>>& members);

bool WriteBytes(const std::wstring& path, const Bytes& bytes);

// A fresh folder under the temporary folder, removed with what it holds when
// the object goes. Path() ends in '\'.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::wstring Write(const std::wstring& name, const Bytes& bytes) const;

private:
    std::wstring m_path;
    mutable std::vector<std::wstring> m_written;
};

// A 32-bit top-down DIB section selected into a memory DC.
class CCanvas {
public:
    CCanvas(int width, int height, std::uint32_t fill = 0xFFFFFFFF);
    ~CCanvas();
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC Dc() const { return m_hdc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    RECT Rect() const { return RECT{0, 0, m_width, m_height}; }
    // Writes raw 0xAARRGGBB words, alpha included.
    void Fill(std::uint32_t argb);
    // The stored word, 0xAARRGGBB.
    std::uint32_t At(int x, int y) const;
    // The colour bytes only, 0x00RRGGBB: GDI leaves the alpha byte of opaque
    // drawing undefined, so colour checks compare this.
    std::uint32_t Rgb(int x, int y) const { return At(x, y) & 0x00FFFFFF; }
    // Columns holding a pixel whose colour differs from `background`: the
    // horizontal extent of whatever was drawn, as [first, last + 1); (0, 0)
    // when nothing was.
    std::pair<int, int> InkSpan(std::uint32_t background) const;
    int InkWidth(std::uint32_t background) const;
    // Rows holding a pixel other than `background`, as [first, last + 1).
    std::pair<int, int> InkRows(std::uint32_t background) const;
    // For looking at a result: a 32-bit BMP of the canvas.
    bool SaveBmp(const std::wstring& path) const;

private:
    int m_width;
    int m_height;
    HDC m_hdc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
};

// Component of a 0xAARRGGBB word.
inline int A(std::uint32_t c) { return static_cast<int>(c >> 24); }
inline int R(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int G(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int B(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

// A 32-bit top-down DIB section holding the given words (premultiplied
// 0xAARRGGBB), rows from the top. The caller deletes it.
HBITMAP MakeDib32(int width, int height, const std::vector<std::uint32_t>& pixels);

// The stored word at (x, y) of a 32-bit top-down DIB section, 0xAARRGGBB.
std::uint32_t BitmapPixel(HBITMAP bitmap, int x, int y);

// True when each colour channel differs by at most `tolerance`.
bool RgbNear(std::uint32_t a, std::uint32_t b, int tolerance);

}  // namespace test
}  // namespace Facet
