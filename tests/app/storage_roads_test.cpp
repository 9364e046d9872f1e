// The window's side of storage_roads.sh: one format run of the simulation
// executable per row of the rows file the script wrote (name, drive table,
// expected result code), answered Yes and OK where it asks, and the result
// box it ends with. What was written is checked by the script afterwards.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "format/format_result.h"
#include "tool_process.h"

namespace app_test {
namespace {

constexpr POINT kFormatButton = {170, 226};

// Presses the button and answers the boxes; the box the run ends with.
HWND ResultOfARun(ToolProcess& tool) {
    tool.Click(kFormatButton.x, kFormatButton.y);
    HWND box = tool.WaitBox();
    // A drive refused at the question shows its result at once.
    if (!box || !::GetDlgItem(box, IDYES)) return box;
    PressBoxButton(box, IDYES);
    HWND notice = tool.WaitBox();
    if (!notice) return nullptr;
    PressBoxButton(notice, IDOK);
    return tool.WaitBox(30000);
}

TEST(StorageRoads, EachRowEndsInItsResult) {
    std::ifstream rows(Env(L"ROADS_FILE").c_str());
    ASSERT_TRUE(rows.good());
    const bool chinese = ::GetACP() == 936;
    std::string line;
    int count = 0;
    while (std::getline(rows, line)) {
        std::istringstream fields(line);
        std::string name, table;
        int expected = -1;
        if (!(fields >> name >> table >> expected)) continue;
        SCOPED_TRACE(name);
        ++count;
        ToolProcess tool(L"VarqoFat32-sim.exe", Wide(table));
        ASSERT_NE(tool.Window(), nullptr);
        HWND result = ResultOfARun(tool);
        ASSERT_NE(result, nullptr);
        const fat32::ResultMessage* message = fat32::FindResultMessage(expected);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(BoxText(result), Wide(chinese ? message->chinese : message->english));
        Settle();
        tool.Shot().SaveBmp(ScreenFolder() + L"road-" + Wide(name) + (chinese ? L"-zh" : L"-en") + L".bmp");
        PressBoxButton(result, IDOK);
        Settle();
        tool.KeyDown(VK_ESCAPE);
        EXPECT_EQ(tool.WaitExit(), 0);
        std::printf("window: %s -> %d\n", name.c_str(), expected);
    }
    EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace app_test
