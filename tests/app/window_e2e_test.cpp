// The tool's executables started as separate processes under the display, in
// the locale the test runs in: the face each shows (checked by a few pixels
// and saved as screenshots under app-screens), the caption by code page, and
// how the window answers Escape, Return, a double click on the caption strip,
// its caption buttons and the drive list's hover and wheel. Dragging needs
// real pointer input: caption_drag.sh.
#include <windows.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tool_process.h"

namespace app_test {
namespace {

// Tables and paths in the source tree, as Wine sees the host's files.
std::wstring HostPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p) path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

const std::wstring kSampleDrives = HostPath(SAMPLE_DRIVES_FILE);
const std::wstring kOneDrive = HostPath(TEST_DATA_DIR "/one-drive.txt");

bool Chinese() { return ::GetACP() == 936; }

int Red(std::uint32_t p) { return (p >> 16) & 0xFF; }
int Green(std::uint32_t p) { return (p >> 8) & 0xFF; }
int Blue(std::uint32_t p) { return p & 0xFF; }
// The blue family of the enabled button and a present drive.
bool Bluish(std::uint32_t p) { return Blue(p) > Red(p) + 60; }
// The greys of the disabled button and the absent drive.
bool Greyish(std::uint32_t p) {
    return Blue(p) - Red(p) < 20 && Red(p) > 140 && Red(p) < 235 && Green(p) > 140;
}

// Points of the window's client area.
constexpr POINT kButtonFace = {122, 226};
constexpr POINT kDiskBody = {165, 150};
// The right edge of the combo's face; the status text never reaches it.
constexpr POINT kComboEdge = {298, 70};
constexpr POINT kCaption = {100, 12};
constexpr POINT kCloseButton = {345, 13};
constexpr POINT kMinimiseButton = {318, 13};

std::wstring Locale() { return Chinese() ? L"zh" : L"en"; }

void Save(const Capture& shot, const wchar_t* name) {
    shot.SaveBmp(ScreenFolder() + name + L"-" + Locale() + L".bmp");
}

TEST(ToolWindow, ShippedExeFindsNoUsbDriveUnderWineAndShowsTheNoDriveFace) {
    ToolProcess tool(L"VarqoFat32.exe");
    ASSERT_NE(tool.Window(), nullptr);
    EXPECT_EQ(WindowText(tool.Window()),
              Chinese() ? L"Varqo文件系统格式化工具V1.0" : L"VARQO file system format tool V1.0");
    RECT rc = {};
    ::GetClientRect(tool.Window(), &rc);
    EXPECT_EQ(rc.right, 360);
    EXPECT_EQ(rc.bottom, 310);

    const Capture shot = tool.Shot();
    Save(shot, L"no-drive");
    EXPECT_TRUE(Greyish(shot.At(kButtonFace.x, kButtonFace.y))) << std::hex << shot.At(kButtonFace.x, kButtonFace.y);
    EXPECT_TRUE(Greyish(shot.At(kDiskBody.x, kDiskBody.y))) << std::hex << shot.At(kDiskBody.x, kDiskBody.y);
    // No combo: the panel behind it shows, nearly white.
    EXPECT_GT(Red(shot.At(kComboEdge.x, kComboEdge.y)), 235) << std::hex << shot.At(kComboEdge.x, kComboEdge.y);

    // A click on the disabled button does nothing; Escape ends the process.
    tool.Click(150, 220);
    EXPECT_TRUE(tool.Running());
    tool.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

TEST(ToolWindow, SimulationListsTheSampleDrivesAndAnswersKeysAndCaptionButtons) {
    ToolProcess tool(L"VarqoFat32-sim.exe", kSampleDrives);
    ASSERT_NE(tool.Window(), nullptr);
    const Capture shot = tool.Shot();
    Save(shot, L"sample-drives");
    EXPECT_TRUE(Bluish(shot.At(kButtonFace.x, kButtonFace.y))) << std::hex << shot.At(kButtonFace.x, kButtonFace.y);
    EXPECT_TRUE(Bluish(shot.At(kDiskBody.x, kDiskBody.y))) << std::hex << shot.At(kDiskBody.x, kDiskBody.y);
    EXPECT_LT(Red(shot.At(kComboEdge.x, kComboEdge.y)), 215) << std::hex << shot.At(kComboEdge.x, kComboEdge.y);
    // Minimize is offered in the Alt+Space menu, as the skin's button offers it.
    EXPECT_NE(::GetWindowLongW(tool.Window(), GWL_STYLE) & WS_MINIMIZEBOX, 0);

    // The drive box has the focus at start: Return there asks nothing. Tab
    // moves to the format button, where Return reaches the button. The chosen
    // H: is a card reader without a card: it cannot be read, and the box says
    // so (not "another drive") instead of asking; the window stays.
    tool.KeyDown(VK_RETURN);
    EXPECT_EQ(tool.WaitBox(500), nullptr);
    tool.KeyDown(VK_TAB);
    tool.KeyDown(VK_RETURN);
    HWND box = tool.WaitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(BoxText(box).find(Chinese() ? L"获取设备信息失败" : L"Failed to get device information"),
              std::wstring::npos) << BoxText(box);
    PressBoxButton(box, IDOK);
    EXPECT_TRUE(tool.Running());

    // A double click on the caption strip neither maximises nor moves it.
    RECT before = {}, after = {};
    ::GetWindowRect(tool.Window(), &before);
    ::PostMessageW(tool.Window(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(before.left + kCaption.x, before.top + kCaption.y));
    Settle();
    ::GetWindowRect(tool.Window(), &after);
    EXPECT_FALSE(::IsZoomed(tool.Window()));
    EXPECT_TRUE(::EqualRect(&before, &after));

    // Minimise, then close.
    tool.Click(kMinimiseButton.x, kMinimiseButton.y);
    EXPECT_TRUE(::IsIconic(tool.Window()));
    ::ShowWindow(tool.Window(), SW_RESTORE);
    Settle();
    tool.Click(kCloseButton.x, kCloseButton.y);
    EXPECT_EQ(tool.WaitExit(), 0);
}

TEST(ToolWindow, SimulationWithOneLabelledDrive) {
    ToolProcess tool(L"VarqoFat32-sim.exe", kOneDrive);
    ASSERT_NE(tool.Window(), nullptr);
    const Capture shot = tool.Shot();
    Save(shot, L"one-drive");
    EXPECT_TRUE(Bluish(shot.At(kButtonFace.x, kButtonFace.y)));
    // The selected item's text is drawn inside the combo: dark pixels there.
    int dark = 0;
    for (int y = 62; y < 80; ++y) {
        for (int x = 106; x < 260; ++x) dark += Red(shot.At(x, y)) < 120 ? 1 : 0;
    }
    EXPECT_GT(dark, 40);
    tool.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

// The resources a user and Windows see in the file: the icon group, the
// manifest asking for elevation, the version record, the skin and images.
std::wstring BesideThisProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path);
    exe.replace(exe.find_last_of(L"\\/") + 1, std::wstring::npos, file);
    return exe;
}

// A resource of an executable beside this test program.
std::string ResourceOf(const wchar_t* file, LPCWSTR id, LPCWSTR type) {
    HMODULE module = ::LoadLibraryExW(BesideThisProgram(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return std::string();
    std::string bytes;
    if (HRSRC found = ::FindResourceW(module, id, type)) {
        const char* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
        bytes.assign(data, ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return bytes;
}

TEST(ToolExecutable, CarriesIconManifestVersionSkinAndImages) {
    auto bytes = [](LPCWSTR id, LPCWSTR type) { return ResourceOf(L"VarqoFat32.exe", id, type); };
    EXPECT_FALSE(bytes(MAKEINTRESOURCEW(129), RT_GROUP_ICON).empty());
    const std::string manifest = bytes(MAKEINTRESOURCEW(1), RT_MANIFEST);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    // The simulation writes only image files: no elevation asked.
    EXPECT_NE(ResourceOf(L"VarqoFat32-sim.exe", MAKEINTRESOURCEW(1), RT_MANIFEST).find("level=\"asInvoker\""),
              std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(bytes(MAKEINTRESOURCEW(154), L"XML").find("<Window"), std::string::npos);

    // Each image: PNG, its size, and RGB (colour type 2) or RGBA (6).
    struct Image {
        int id, width, height, colourType;
    };
    const Image images[] = {{163, 360, 300, 6}, {164, 26, 26, 2},   {165, 26, 26, 6},   {166, 26, 26, 2},
                            {167, 26, 26, 6},   {168, 112, 58, 6},  {169, 112, 58, 6},  {170, 110, 57, 6},
                            {173, 1576, 84, 6}, {182, 834, 97, 6},  {183, 834, 97, 6}};
    for (const Image& image : images) {
        const std::string png = bytes(MAKEINTRESOURCEW(image.id), L"PNG");
        ASSERT_GT(png.size(), 26u) << image.id;
        auto be32 = [&png](size_t at) {
            return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
                   (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
        };
        EXPECT_EQ(png.substr(1, 3), "PNG") << image.id;
        EXPECT_EQ(be32(16), image.width) << image.id;
        EXPECT_EQ(be32(20), image.height) << image.id;
        EXPECT_EQ(png[24], 8) << image.id;
        EXPECT_EQ(png[25], image.colourType) << image.id;
    }

    const std::wstring exe = BesideThisProgram(L"VarqoFat32.exe");
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string info(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, &info[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000004u);
    wchar_t* product = nullptr;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                                 reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, L"VARQO file system format tool");
}

// The drop-down over three drives. A row hovered when Escape closes the list
// is not lit when it opens again; and while the list is open, the wheel over
// either half of the closed box moves the selection (the list's rows lie
// under the left half in their own window's coordinates).
TEST(ToolWindow, DropDownForgetsItsHoverAndTheClosedBoxKeepsTheWheel) {
    constexpr std::uint32_t kHot = 0xE9F5FF, kSelected = 0xC1E3FF, kPlain = 0xFFFFFF;
    ToolProcess tool(L"VarqoFat32-sim.exe", HostPath(TEST_DATA_DIR "/three-drives.txt"));
    ASSERT_NE(tool.Window(), nullptr);
    auto open = [&] {
        // The display's pointer stays off the list: it would hover a row.
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
        tool.Click(130, 70);
        return tool.WaitWindow(L"ComboWnd");
    };
    auto gone = [](HWND popup) {
        for (int i = 0; i < 100 && ::IsWindowVisible(popup); ++i) Settle(20);
        return !::IsWindowVisible(popup);
    };
    HWND popup = open();
    ASSERT_NE(popup, nullptr);
    RECT list = {};
    ::GetClientRect(popup, &list);
    const int row = (list.bottom - 4) / 3;
    // Row backgrounds right of the text, where the list covers the window.
    auto rows = [&] {
        const Capture shot = tool.Shot();
        return std::vector<std::uint32_t>{shot.At(294, 83 + row / 2), shot.At(294, 83 + row * 3 / 2),
                                          shot.At(294, 83 + row * 5 / 2)};
    };
    // Hover row B, with the display's pointer there too so nothing leaves.
    POINT b = {list.right / 2, 1 + row * 3 / 2};
    ::ClientToScreen(popup, &b);
    ::SetCursorPos(b.x, b.y);
    ::PostMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(list.right / 2, 1 + row * 3 / 2));
    Settle();
    Save(tool.Shot(), L"drop-down-three");
    // The tool selects the last drive.
    EXPECT_EQ(rows(), (std::vector<std::uint32_t>{kPlain, kHot, kSelected}));
    ::PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(gone(popup));
    popup = open();
    Settle();
    EXPECT_EQ(rows(), (std::vector<std::uint32_t>{kPlain, kPlain, kSelected}));

    // Up one drive over each half; the list stays open as the choice moves
    // in it, and Return takes the choice and closes it.
    for (POINT at : {POINT{130, 70}, POINT{280, 70}}) {
        SCOPED_TRACE(at.x);
        ::ClientToScreen(tool.Window(), &at);
        ::PostMessageW(tool.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(at.x, at.y));
        Settle();
        EXPECT_TRUE(::IsWindowVisible(popup));
    }
    ::PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(gone(popup));
    popup = open();
    Settle();
    EXPECT_EQ(rows(), (std::vector<std::uint32_t>{kSelected, kPlain, kPlain}));
    tool.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

// The system's colours as the registry keeps them, which a process reads
// as it starts: Wine's SetSysColors changes them in the calling process only.
class SystemColorScheme {
public:
    SystemColorScheme(const wchar_t* const* names, const COLORREF* colors, int count) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Colors", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key_, nullptr);
        for (int i = 0; i < count; ++i) {
            wchar_t old[32] = {};
            DWORD size = sizeof(old);
            const bool had = ::RegQueryValueExW(key_, names[i], nullptr, nullptr,
                                                reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
            saved_.push_back({names[i], had ? old : L""});
            wchar_t value[32];
            swprintf(value, 32, L"%d %d %d", GetRValue(colors[i]), GetGValue(colors[i]), GetBValue(colors[i]));
            ::RegSetValueExW(key_, names[i], 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                             static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        }
    }
    ~SystemColorScheme() {
        for (const auto& entry : saved_) {
            if (entry.second.empty()) {
                ::RegDeleteValueW(key_, entry.first.c_str());
            } else {
                ::RegSetValueExW(key_, entry.first.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(entry.second.c_str()),
                                 static_cast<DWORD>((entry.second.size() + 1) * sizeof(wchar_t)));
            }
        }
        ::RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

// High contrast, switched on while the window is open (the simulation's
// stand-in for the system's switch, with a scheme of system colours): the
// window and its open list draw with the system's colours, the skin's
// pictures behind text gone; switched off, the skin comes back.
TEST(ToolWindow, HighContrastDrawsWithTheSystemColoursAndSwitchesLive) {
    // Schemes like Windows' "High Contrast Black" and "High Contrast White":
    // on white, a caption glyph drawn in the skin's white would vanish.
    const wchar_t* const names[] = {L"Window", L"WindowText", L"ButtonFace", L"ButtonText",
                                    L"Hilight", L"HilightText", L"GrayText"};
    const struct {
        const wchar_t* shot;
        COLORREF colors[7];
    } schemes[] = {
        {L"high-contrast-", {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(26, 235, 255),
                             RGB(0, 0, 0), RGB(63, 242, 63)}},
        {L"high-contrast-white-", {RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0),
                                   RGB(55, 0, 110), RGB(255, 255, 255), RGB(96, 0, 0)}},
    };
    for (const auto& row : schemes) {
        SCOPED_TRACE(testing::Message() << "scheme " << row.shot);
        const COLORREF* scheme = row.colors;
        const SystemColorScheme colors(names, scheme, 7);
        const std::wstring flag = ScreenFolder() + L"high-contrast.on";
        ::DeleteFileW(flag.c_str());
        ::SetEnvironmentVariableW(L"VARQO_SIM_HIGH_CONTRAST", flag.c_str());
        ToolProcess tool(L"VarqoFat32-sim.exe", HostPath(TEST_DATA_DIR "/three-drives.txt"));
        ::SetEnvironmentVariableW(L"VARQO_SIM_HIGH_CONTRAST", nullptr);
        ASSERT_NE(tool.Window(), nullptr);
        auto rgb = [](COLORREF c) { return (std::uint32_t{GetRValue(c)} << 16) | (GetGValue(c) << 8) | GetBValue(c); };
        // The skin's title bar is blue; in high contrast it is the window's colour.
        const POINT titleBar = {300, 12};
        EXPECT_TRUE(Bluish(tool.Shot().At(titleBar.x, titleBar.y)));

        ::CloseHandle(::CreateFileW(flag.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ::PostMessageW(tool.Window(), WM_SYSCOLORCHANGE, 0, 0);
        Settle(500);
        const Capture shot = tool.Shot();
        const std::wstring lang = ::GetACP() == 936 ? L"zh" : L"en";
        shot.SaveBmp(ScreenFolder() + row.shot + lang + L".bmp");
        // The prompts' rows hold the text's colour on the window's and, at the
        // glyphs' smoothed edges, greys between the two: nothing of the skin.
        int text = 0, other = 0;
        for (int y = 266; y < 297; ++y) {
            for (int x = 4; x < 357; ++x) {
                const std::uint32_t p = shot.At(x, y);
                if (p == rgb(scheme[1])) ++text;
                if (Red(p) != Green(p) || Green(p) != Blue(p)) ++other;
            }
        }
        EXPECT_GT(text, 50);
        EXPECT_EQ(other, 0);
        EXPECT_EQ(shot.At(titleBar.x, titleBar.y), rgb(scheme[0]));
        EXPECT_EQ(shot.At(20, 150), rgb(scheme[0]));
        // Each caption button's glyph, inside its frame, in the button text's
        // colour on the button face: the close button at 332, the minimise at 305.
        for (int left : {332, 305}) {
            int glyph = 0, face = 0;
            for (int y = 5; y < 21; ++y) {
                for (int x = left + 5; x < left + 21; ++x) {
                    glyph += shot.At(x, y) == rgb(scheme[3]);
                    face += shot.At(x, y) == rgb(scheme[2]);
                }
            }
            EXPECT_GT(glyph, 10) << left;
            EXPECT_GT(face, 100) << left;
        }

        // The open list: the chosen row in the highlight colour.
        tool.Click(130, 70);
        HWND popup = tool.WaitWindow(L"ComboWnd");
        ASSERT_NE(popup, nullptr);
        Settle();
        const Capture list = tool.Shot();
        list.SaveBmp(ScreenFolder() + row.shot + L"list-" + lang + L".bmp");
        RECT rc = {};
        ::GetWindowRect(popup, &rc);
        POINT last = {rc.right - 10, rc.bottom - 10};
        ::ScreenToClient(tool.Window(), &last);
        EXPECT_EQ(list.At(last.x, last.y), rgb(scheme[4]));
        POINT first = {rc.right - 10, rc.top + 10};
        ::ScreenToClient(tool.Window(), &first);
        EXPECT_EQ(list.At(first.x, first.y), rgb(scheme[0]));
        ::PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        Settle();

        // Off again: the skin's pictures are back.
        ::DeleteFileW(flag.c_str());
        ::PostMessageW(tool.Window(), WM_SYSCOLORCHANGE, 0, 0);
        Settle(500);
        EXPECT_TRUE(Bluish(tool.Shot().At(titleBar.x, titleBar.y)));
        tool.KeyDown(VK_ESCAPE);
        EXPECT_EQ(tool.WaitExit(), 0);
    }
}

}  // namespace
}  // namespace app_test
