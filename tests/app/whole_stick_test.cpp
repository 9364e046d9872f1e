// The window's side of whole_stick.sh: for each row (a stick of the simulated
// machine, and what the window must say of it), the simulation executable is
// started, the drive box's value read as a screen reader reads it (MSAA, from
// this process), Format pressed, the offer and the confirmation read and
// answered Yes, and the result box and the drive box's new value checked.
// What was written is checked by the script afterwards.
#include <windows.h>
#include <oleacc.h>

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "format/format_result.h"
#include "tool_process.h"

namespace app_test {
namespace {

constexpr POINT kFormatButton = {170, 226};
// IID_IAccessible as oleacc.idl gives it, spelled out as in the reader test.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The value of the first combo box under `parent`, searched as a reader
// walks the tree; "?" when there is none.
std::wstring ComboValue(IAccessible* parent, int depth) {
    long count = 0;
    parent->get_accChildCount(&count);
    std::wstring value = L"?";
    for (long id = 1; id <= count && value == L"?"; ++id) {
        VARIANT child;
        ::VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = id;
        IDispatch* dispatch = nullptr;
        IAccessible* object = nullptr;
        if (parent->get_accChild(child, &dispatch) == S_OK && dispatch) {
            dispatch->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&object));
            dispatch->Release();
            child.lVal = CHILDID_SELF;
        }
        IAccessible* asked = object ? object : parent;
        VARIANT role;
        ::VariantInit(&role);
        BSTR text = nullptr;
        if (SUCCEEDED(asked->get_accRole(child, &role)) && role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_COMBOBOX) {
            value = SUCCEEDED(asked->get_accValue(child, &text)) && text ? text : L"";
            ::SysFreeString(text);
        } else if (object && depth > 0) {
            value = ComboValue(object, depth - 1);
        }
        if (object) object->Release();
    }
    return value;
}

// The value of the window's drive box, as a screen reader hears it.
std::wstring DriveBoxValue(HWND window) {
    IAccessible* client = nullptr;
    const HRESULT hr = ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                                    reinterpret_cast<void**>(&client));
    if (FAILED(hr)) return L"(no accessible object: " + std::to_wstring(static_cast<unsigned long>(hr)) + L")";
    const std::wstring value = ComboValue(client, 3);
    client->Release();
    return value;
}

// "E:" stays; "#2" is partition 2 without a letter, "-" no partition at all,
// "2TB" the line on an MBR's reach, in the words of the locale.
std::wstring Localized(const std::string& token, bool chinese) {
    if (token == "-") return chinese ? L"(没有分区)" : L"(no partition)";
    if (token == "2TB") return chinese ? L"卷结束于 2 TB 处" : L"The volume ends at 2 TB";
    if (token[0] == '#') return (chinese ? L"分区 " : L"partition ") + Wide(token.substr(1)) + (chinese ? L" (无盘符)" : L" (no drive letter)");
    return Wide(token);
}

struct Row {
    std::string name, table, size, before, offer, volumes, after;
    std::string swap;  // a table put in place of the row's while the confirmation is open
    int result = -1;  // -1: the confirmation is answered No
};

void Shoot(ToolProcess& tool, const Row& row, const wchar_t* step, bool chinese) {
    Settle();
    std::string file = row.name;
    for (char& c : file) c = c == ' ' ? '-' : c;
    tool.Shot().SaveBmp(ScreenFolder() + L"whole-" + Wide(file) + L"-" + step + (chinese ? L"-zh" : L"-en") +
                        L".bmp");
}

// One row: its boxes in order, each checked and answered.
void RunRow(const Row& row, bool chinese) {
    ToolProcess tool(L"VarqoFat32-sim.exe", Wide(row.table));
    ASSERT_NE(tool.Window(), nullptr);
    EXPECT_NE(DriveBoxValue(tool.Window()).find(Wide(row.before)), std::wstring::npos)
        << "drive box: " << testing::PrintToString(DriveBoxValue(tool.Window()));
    tool.Click(kFormatButton.x, kFormatButton.y);
    HWND box = tool.WaitBox();
    ASSERT_NE(box, nullptr);
    const std::wstring disk = chinese ? L"磁盘 1" : L"disk 1";
    // A stick never offered whole: the usual question about its volume.
    if (row.offer == "plain") {
        const std::wstring plain = chinese ? L"警告! 所有在 " : L"Warning!All the ";
        EXPECT_EQ(BoxText(box).rfind(plain + Wide(row.before), 0), 0u) << testing::PrintToString(BoxText(box));
        PressBoxButton(box, IDNO);
        Settle();
        tool.KeyDown(VK_ESCAPE);
        EXPECT_EQ(tool.WaitExit(), 0);
        return;
    }
    if (row.offer != "none") {
        // The offer names the stick and why; Cancel is there too.
        const std::wstring offer = BoxText(box);
        EXPECT_NE(offer.find(disk), std::wstring::npos) << testing::PrintToString(offer);
        EXPECT_NE(offer.find(Wide(row.offer)), std::wstring::npos) << testing::PrintToString(offer);
        EXPECT_NE(::GetDlgItem(box, IDCANCEL), nullptr);
        Shoot(tool, row, L"offer", chinese);
        PressBoxButton(box, IDYES);
        box = tool.WaitBox();
        ASSERT_NE(box, nullptr);
    }
    // The confirmation names the disk, its size and each volume lost.
    const std::wstring warning = BoxText(box);
    EXPECT_NE(warning.find(disk + (chinese ? L"，" : L", ") + Wide(row.size)), std::wstring::npos)
        << testing::PrintToString(warning);
    std::istringstream tokens(row.volumes);
    for (std::string token; std::getline(tokens, token, ',');)
        EXPECT_NE(warning.find(L"\n" + std::wstring(token == "2TB" ? L"" : L"    ") + Localized(token, chinese)),
                  std::wstring::npos)
            << token << " in " << testing::PrintToString(warning);
    Shoot(tool, row, L"confirm", chinese);
    // The user pulls the stick and plugs in another while asked.
    if (!row.swap.empty()) {
        ASSERT_TRUE(::CopyFileW(Wide(row.swap).c_str(), Wide(row.table).c_str(), FALSE));
    }
    if (row.result < 0) {
        PressBoxButton(box, IDNO);
        Settle();
        EXPECT_NE(DriveBoxValue(tool.Window()).find(Wide(row.after)), std::wstring::npos);
        tool.KeyDown(VK_ESCAPE);
        EXPECT_EQ(tool.WaitExit(), 0);
        return;
    }
    PressBoxButton(box, IDYES);
    HWND result = tool.WaitBox(60000);
    ASSERT_NE(result, nullptr);
    const fat32::ResultMessage* message = fat32::FindResultMessage(row.result);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(BoxText(result), Wide(chinese ? message->chinese : message->english));
    PressBoxButton(result, IDOK);
    Settle();
    // The new volume, at the stick's full size, is the chosen drive.
    EXPECT_NE(DriveBoxValue(tool.Window()).find(Wide(row.after)), std::wstring::npos)
        << "drive box after: " << testing::PrintToString(DriveBoxValue(tool.Window()));
    Shoot(tool, row, L"after", chinese);
    tool.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.WaitExit(), 0);
}

TEST(WholeStick, EachRowOfferedConfirmedAndListed) {
    ::CoInitialize(nullptr);
    std::ifstream rows(Env(L"WHOLE_ROWS").c_str());
    ASSERT_TRUE(rows.good());
    const bool chinese = ::GetACP() == 936;
    std::string line;
    int count = 0;
    // name|table|stick's size|drive box before|offer's words|volumes lost|result|drive box after[|swap]
    while (std::getline(rows, line)) {
        std::istringstream fields(line);
        Row row;
        std::string result;
        if (!std::getline(fields, row.name, '|') || !std::getline(fields, row.table, '|') ||
            !std::getline(fields, row.size, '|') ||
            !std::getline(fields, row.before, '|') || !std::getline(fields, row.offer, '|') ||
            !std::getline(fields, row.volumes, '|') || !std::getline(fields, result, '|') ||
            !std::getline(fields, row.after, '|'))
            continue;
        std::getline(fields, row.swap, '|');
        row.result = std::stoi(result);
        SCOPED_TRACE(row.name);
        ++count;
        RunRow(row, chinese);
        std::printf("window: %s -> %d\n", row.name.c_str(), row.result);
    }
    EXPECT_GT(count, 0);
    ::CoUninitialize();
}

}  // namespace
}  // namespace app_test
