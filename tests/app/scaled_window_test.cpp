// The main window in this process at the scale of the Wine prefix it runs in:
// dpi_scaling.sh runs it once per row of its scale table, in a prefix given
// that scale, and names the scale in VARQO_TEST_DPI. The window must take the
// scale (not draw at 96 DPI in a scaled world), be 360 x 310 times the scale,
// take its pictures from the art of that scale, and show every text whole.
// Screenshots go to dpi-screens beside the program, for a person to look at.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_wnd.h"
#include "app/texts.h"
#include "simulated_windows/drive_table_file.h"
#include "simulated_windows/simulated_drive_query.h"
#include "facet/controls/button_ui.h"
#include "facet/controls/combo_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/render/render_engine.h"
#include "facet/render/scaled_image_loader.h"

namespace app {

// The executables link their own format target and drive queries.
fat32::FormatResult FormatDriveLetter(const FormatJob&) { return fat32::kInternalError; }
std::unique_ptr<drives::DriveQuery> NewDriveQuery() { return nullptr; }

namespace {

// Drives whose list texts are as long as real sticks make them: 11-character
// labels and sizes in the thousands of GB. (A label of eleven W's is wider
// than the box at 100 % already; the scale must only not make things worse.)
constexpr char kLongDrives[] =
    "drive E: type=removable number=4 sectors=8 bytes=512 clusters=500000000 free=0 "
    "label=SANDISK_128 fs=FAT32\n"
    "interface disk \\\\?\\usbstor#disk#4 instance=14 number=4\n"
    "device 14 parent=24\ndevice 24 id=USB\\VID_1\\4\n"
    "drive F: type=removable number=5 sectors=8 bytes=512 clusters=1953125 free=0 "
    "label=STICK2 fs=FAT32\n"
    "interface disk \\\\?\\usbstor#disk#5 instance=15 number=5\n"
    "device 15 parent=25\ndevice 25 id=USB\\VID_1\\5\n"
    "drive G: type=removable number=6 sectors=8 bytes=512 clusters=262144 free=0 "
    "label=DATA_BACKUP fs=NTFS\n"
    "interface disk \\\\?\\usbstor#disk#6 instance=16 number=6\n"
    "device 16 parent=26\ndevice 26 id=USB\\VID_1\\6\n";

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) ::DispatchMessageW(&msg);
    }
}

bool Chinese() { return ::GetACP() == 936; }

int ExpectedDpi() {
    const char* dpi = std::getenv("VARQO_TEST_DPI");
    return dpi ? std::atoi(dpi) : Facet::CDpiScale::kBaseDpi;
}

// Writes what the display shows in the window and, when given, the popup
// below it, as a 24-bit BMP.
void SaveScreenshot(HWND hwnd, const std::wstring& path, HWND popup = nullptr) {
    RECT rc = {};
    ::GetWindowRect(hwnd, &rc);
    RECT below = {};
    if (popup && ::GetWindowRect(popup, &below)) ::UnionRect(&rc, &rc, &below);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    ::SelectObject(memory, old);
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    file.bfSize = file.bfOffBits + stride * h;
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
        std::fwrite(&file, sizeof(file), 1, out);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
        std::fwrite(bits, 1, static_cast<size_t>(stride) * h, out);
        std::fclose(out);
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

std::wstring ScreenPath(const wchar_t* face) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder = folder.substr(0, folder.rfind(L'\\') + 1) + L"dpi-screens";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring language = Chinese() ? L"-zh" : L"-en";
    return folder + L"\\" + std::to_wstring(ExpectedDpi()) + L"-" + face + language + L".bmp";
}

class ScaledWindowTest : public ::testing::Test {
protected:
    void Open(const char* table) {
        std::string error;
        ASSERT_TRUE(drives::ParseDriveTable(table, query.table(), error)) << error;
        MainWndHooks hooks;
        hooks.pauseMs = 0;
        window = new CMainWnd(query, hooks);
        ASSERT_NE(window->Create(nullptr, L"test", WS_POPUP, 0), nullptr);
        ::ShowWindow(*window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(*window);
        Pump();
    }
    void TearDown() override {
        if (CMainWnd::ObjectAlive()) ::DestroyWindow(*window);
        Pump();
    }
    Facet::CPaintManagerUI& Pm() { return window->PaintManager(); }

    // The width a text takes in a font of the window, in pixels.
    int TextWidth(const wchar_t* text, int font) {
        return Facet::CRenderEngine::GetTextSize(Pm().GetPaintDC(), &Pm(), text, font, 0).cx;
    }
    // Room for a text in a control: its width less its scaled paddings.
    int Room(Facet::CControlUI* control, RECT padding) {
        const RECT scaled = Pm().GetDpiScale().Scale(padding);
        return control->GetWidth() - scaled.left - scaled.right;
    }
    // Every label and button showing a text, and the candidates given for
    // controls whose text changes (the button's running face), fit.
    void ExpectEveryTextFits(const wchar_t* face) {
        Facet::CStdPtrArray* all = Pm().FindSubControlsByClass(nullptr, L"*");
        for (int i = 0; i < all->GetSize(); ++i) {
            auto* control = static_cast<Facet::CControlUI*>(all->GetAt(i));
            auto* label = static_cast<Facet::CLabelUI*>(control->GetInterface(L"Label"));
            if (!label || !label->IsVisible() || label->GetText().IsEmpty()) continue;
            std::vector<std::wstring> texts = {label->GetText().GetData()};
            if (label->GetName() == L"formatbtn") texts.push_back(Localized(kFormatRunning));
            const std::wstring name = label->GetName().GetData();
            for (const std::wstring& text : texts) {
                EXPECT_LE(TextWidth(text.c_str(), label->GetFont()),
                          Room(label, label->GetTextPadding()))
                    << face << ": " << std::string(name.begin(), name.end());
            }
        }
        Facet::CComboUI* combo = static_cast<Facet::CComboUI*>(Pm().FindControl(L"Selectedbo"));
        if (!combo->IsVisible()) return;
        RECT padding = combo->GetTextPadding();
        const RECT item = combo->GetItemTextPadding();
        padding.left += item.left;
        padding.right += item.right;
        for (int i = 0; i < combo->GetCount(); ++i) {
            const Facet::CDuiString text = combo->GetItemAt(i)->GetText();
            EXPECT_LE(TextWidth(text, combo->GetItemFont()), Room(combo, padding))
                << face << ": drive " << i;
        }
    }

    // The open list is as wide as the box and as high as its items (their
    // fixed height scaled, or the item font's height and 8 skin pixels of
    // air) and its 1-pixel frame and inset.
    void ExpectScaledDropDown(const Facet::CDpiScale& scale) {
        auto* combo = static_cast<Facet::CComboUI*>(Pm().FindControl(L"Selectedbo"));
        if (!combo->IsVisible()) return;
        ASSERT_TRUE(combo->Activate());
        Pump();
        HWND popup = ::FindWindowW(L"ComboWnd", nullptr);
        ASSERT_NE(popup, nullptr);
        RECT rc = {};
        ::GetWindowRect(popup, &rc);
        EXPECT_EQ(rc.right - rc.left, combo->GetWidth());
        int items = 0;
        for (int i = 0; i < combo->GetCount(); ++i) {
            const int fixed = combo->GetItemAt(i)->GetFixedHeight();
            items += fixed ? scale.Scale(fixed)
                           : Pm().GetFontInfo(combo->GetItemFont())->tm.tmHeight + scale.Scale(8);
        }
        EXPECT_EQ(rc.bottom - rc.top, items + scale.Scale(4));
        SaveScreenshot(*window, ScreenPath(L"list"), popup);
        ::SendMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        Pump();
    }

    drives::SimulatedDriveQuery query;
    CMainWnd* window = nullptr;
};

// The pixels of a loaded image, row by row, or nothing when it did not load.
std::vector<std::uint32_t> ImagePixels(const Facet::TImageInfo* image) {
    if (!image) return {};
    std::vector<std::uint32_t> pixels(static_cast<size_t>(image->nX) * image->nY);
    DIBSECTION section = {};
    if (::GetObjectW(image->hBitmap.Get(), sizeof(section), &section) != sizeof(section)) return {};
    const auto* bits = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    std::copy(bits, bits + pixels.size(), pixels.begin());
    return pixels;
}

// At a scale an art set was drawn for, the picture is that set's, pixel for
// pixel, not the next larger set shrunk; between two sets, it is not.
TEST(ScaledArt, TheSetDrawnForTheScaleIsTheOneUsed) {
    struct Row {
        int dpi;
        const wchar_t* set;
        bool drawnForIt;
    };
    const int kBackground = 163;
    for (const Row row : {Row{120, L"PNG125", true}, Row{144, L"PNG150", true}, Row{192, L"PNG200", true},
                          Row{168, L"PNG200", false}}) {
        SCOPED_TRACE(row.dpi);
        const Facet::CDpiScale scale(row.dpi);
        Facet::TImageInfo* used = Facet::CScaledImageLoader::Load(Facet::STRINGorID(kBackground), L"PNG", 0, scale);
        Facet::TImageInfo* drawn = Facet::CRenderEngine::LoadImageW(Facet::STRINGorID(kBackground), row.set, 0);
        ASSERT_NE(used, nullptr);
        ASSERT_NE(drawn, nullptr);
        EXPECT_EQ(used->nX, scale.Scale(360));
        EXPECT_EQ(ImagePixels(used) == ImagePixels(drawn), row.drawnForIt);
        Facet::CRenderEngine::FreeImage(used);
        Facet::CRenderEngine::FreeImage(drawn);
    }
}

TEST_F(ScaledWindowTest, TakesTheScreenScaleAndShowsEveryTextWhole) {
    const int dpi = ExpectedDpi();
    const Facet::CDpiScale scale(dpi);
    // The faces the window shows: drives listed, and none.
    struct Face {
        const wchar_t* name;
        const char* drives;
    };
    const Face faces[] = {{L"drives", kLongDrives}, {L"no-drive", ""}};
    for (const Face& face : faces) {
        Open(face.drives);
        ASSERT_EQ(Pm().GetDPI(), dpi) << "the window does not draw at the prefix's scale";
        RECT client = {};
        ::GetClientRect(*window, &client);
        EXPECT_NEAR(client.right, 360 * dpi / 96.0, 1);
        EXPECT_NEAR(client.bottom, 310 * dpi / 96.0, 1);
        // The background is the art drawn for this scale, not 100 % stretched.
        const Facet::TImageInfo* background = Pm().GetImage(L"163");
        ASSERT_NE(background, nullptr);
        EXPECT_EQ(background->nX, scale.Scale(360));
        EXPECT_EQ(background->nY, scale.Scale(300));
        // The caption strip (the top 30 skin pixels) drags the window at
        // any scale; just below it, and on the close button, it does not.
        struct Hit {
            int x, y;
            LRESULT code;
        };
        const Hit hits[] = {{100, 29, HTCAPTION}, {100, 31, HTCLIENT}, {345, 13, HTCLIENT}};
        for (const Hit& hit : hits) {
            POINT pt = {scale.Scale(hit.x), scale.Scale(hit.y)};
            ::ClientToScreen(*window, &pt);
            EXPECT_EQ(::SendMessageW(*window, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), hit.code)
                << hit.x << "," << hit.y;
        }
        // Fonts grow with the window.
        EXPECT_EQ(Pm().GetFontInfo(1)->iSize, 12);
        EXPECT_GE(Pm().GetFontInfo(1)->tm.tmHeight, scale.Scale(12));
        ExpectEveryTextFits(face.name);
        SaveScreenshot(*window, ScreenPath(face.name));
        ExpectScaledDropDown(scale);
        ::DestroyWindow(*window);
        Pump();
    }
}

TEST_F(ScaledWindowTest, MovedToAScreenOfAnotherScaleTakesItsSizeAndArt) {
    Open(kLongDrives);
    const int dpi = ExpectedDpi() == 144 ? 96 : 144;
    const Facet::CDpiScale scale(dpi);
    // The system suggests where the window stands on the other screen, not
    // only its size: the rectangle is taken whole.
    RECT suggested = {};
    ::GetWindowRect(*window, &suggested);
    ::OffsetRect(&suggested, 37, 23);
    suggested.right = suggested.left + scale.Scale(360);
    suggested.bottom = suggested.top + scale.Scale(310);
    ::SendMessageW(*window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    ::UpdateWindow(*window);
    Pump();
    EXPECT_EQ(Pm().GetDPI(), dpi);
    RECT now = {};
    ::GetWindowRect(*window, &now);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);
    RECT client = {};
    ::GetClientRect(*window, &client);
    EXPECT_EQ(client.right, scale.Scale(360));
    EXPECT_EQ(client.bottom, scale.Scale(310));
    EXPECT_EQ(Pm().GetImage(L"163")->nX, scale.Scale(360));
    EXPECT_GE(Pm().GetFontInfo(1)->tm.tmHeight, scale.Scale(12));
    Facet::CControlUI* button = Pm().FindControl(L"formatbtn");
    EXPECT_EQ(button->GetPos().left, scale.Scale(117));
    EXPECT_EQ(button->GetWidth(), scale.Scale(112));
    ExpectEveryTextFits(L"moved");
    SaveScreenshot(*window, ScreenPath(L"moved"));
}

// The pixels of the window's client area as the display shows them.
std::vector<std::uint32_t> ClientPixels(HWND hwnd, int& width) {
    RECT rc = {};
    ::GetClientRect(hwnd, &rc);
    width = rc.right;
    ::MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * (rc.bottom - rc.top));
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, rc.bottom - rc.top);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, rc.bottom - rc.top, screen, rc.left, rc.top, SRCCOPY);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -(rc.bottom - rc.top), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    ::SelectObject(memory, old);
    ::GetDIBits(memory, bitmap, 0, rc.bottom - rc.top, pixels.data(), &info, DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// The focus mark is as wide as the system's focus rectangle at the window's
// scale: the columns it changes at the button's left side, over its middle
// rows, are SM_CXFOCUSBORDER's; the rows it changes at the top, SM_CYFOCUS-
// BORDER's. Wine answers 1 at every DPI, so stand-in answers hold it too.
int g_fakeSides = 0, g_fakeEnds = 0;
int FakeFocusBorder(int metric, UINT) { return metric == SM_CXFOCUSBORDER ? g_fakeSides : g_fakeEnds; }

TEST_F(ScaledWindowTest, TheFocusMarkIsAsWideAsTheSystemsFocusBorderAtThisScale) {
    Open(kLongDrives);
    using ForDpi = int(WINAPI*)(int, UINT);
    const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    ASSERT_NE(forDpi, nullptr);
    const int dpi = ExpectedDpi();
    ::SetForegroundWindow(*window);
    ::SetFocus(*window);
    Facet::CControlUI* button = Pm().FindControl(L"formatbtn");
    button->SetFocus();
    struct Row {
        int sides, ends;  // 0: the system's answer
    };
    for (const Row row : {Row{0, 0}, Row{2, 3}, Row{3, 1}}) {
        g_fakeSides = row.sides;
        g_fakeEnds = row.ends;
        Facet::CPaintManagerUI::SetFocusBorderQuery(row.sides ? FakeFocusBorder : nullptr);
        const int sides = row.sides ? row.sides : std::max(1, forDpi(SM_CXFOCUSBORDER, static_cast<UINT>(dpi)));
        const int ends = row.ends ? row.ends : std::max(1, forDpi(SM_CYFOCUSBORDER, static_cast<UINT>(dpi)));
        ::SendMessageW(*window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        ::UpdateWindow(*window);
        Pump();
        int width = 0;
        const std::vector<std::uint32_t> plain = ClientPixels(*window, width);
        ::SendMessageW(*window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        ::UpdateWindow(*window);
        Pump();
        const std::vector<std::uint32_t> marked = ClientPixels(*window, width);
        if (!row.sides) SaveScreenshot(*window, ScreenPath(L"focus-mark"));
        const RECT rc = button->GetPos();
        const int middle = (rc.top + rc.bottom) / 2;
        auto differs = [&](int x, int y) { return plain[y * width + x] != marked[y * width + x]; };
        // From inside the face's edge (which the focused face may redraw) to
        // well before the text; the mark lies at least 2 skin pixels in.
        std::vector<int> columns, rows;
        for (int x = rc.left + 2; x < rc.left + (rc.right - rc.left) / 6; ++x) {
            bool changed = false;
            for (int y = middle - 6; y < middle + 6; ++y) changed |= differs(x, y);
            if (changed) columns.push_back(x - rc.left);
        }
        // Above the text, between the round corners.
        for (int y = rc.top + 2; y < rc.top + (rc.bottom - rc.top) / 3; ++y) {
            bool changed = false;
            for (int x = rc.left + (rc.right - rc.left) / 6; x < rc.left + (rc.right - rc.left) / 4; ++x) {
                changed |= differs(x, y);
            }
            if (changed) rows.push_back(y - rc.top);
        }
        ASSERT_FALSE(columns.empty());
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(static_cast<int>(columns.size()), sides) << "at " << dpi << " DPI, first column " << columns[0];
        EXPECT_EQ(static_cast<int>(rows.size()), ends) << "at " << dpi << " DPI, first row " << rows[0];
    }
    Facet::CPaintManagerUI::SetFocusBorderQuery(nullptr);
}

}  // namespace
}  // namespace app
