// The main window in this process, built from the real skin and resources,
// on simulated drives, with its message boxes and the engine behind hooks:
// what the drive list shows, which drive a run formats when drives come and
// go during its boxes, the run's states, and device changes.
#include <windows.h>

#include <dbt.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/drive_source.h"
#include "app/main_wnd.h"
#include "app/texts.h"
#include "simulated_windows/drive_table_file.h"
#include "simulated_windows/simulated_drive_query.h"
#include "facet/controls/button_ui.h"
#include "facet/controls/combo_ui.h"
#include "facet/controls/label_ui.h"

namespace app {

// The executables link their own format target; these tests hand the window
// theirs through its hooks.
fat32::FormatResult FormatDriveLetter(const FormatJob&) { return fat32::kInternalError; }
std::unique_ptr<drives::DriveQuery> NewDriveQuery() { return nullptr; }

namespace {

// A USB drive line of the simulated table; the interface and device lines
// that put it on USB are added by Table().
std::string Usb(char letter, unsigned megabytes, const char* fields = "label=DATA fs=FAT32") {
    // 8 sectors of 512 bytes a cluster: 256 clusters a MB.
    return std::string("drive ") + letter + ": type=removable number=" + std::to_string(letter - 'A') +
           " sectors=8 bytes=512 clusters=" + std::to_string(megabytes * 256u) + " free=0 " + fields;
}

drives::SimulatedDriveTable Table(const std::vector<std::string>& drives) {
    std::string text;
    for (const std::string& d : drives) {
        text += d + "\n";
        const std::string n = std::to_string(d[6] - 'A');
        text += "interface disk \\\\?\\usbstor#disk#" + n + " instance=1" + n + " number=" + n + "\n";
        text += "device 1" + n + " parent=2" + n + "\ndevice 2" + n + " id=USB\\VID_1\\" + n + "\n";
    }
    drives::SimulatedDriveTable table;
    std::string error;
    EXPECT_TRUE(drives::ParseDriveTable(text, table, error)) << error;
    return table;
}

void Pump() {
    MSG msg;
    // The window's end posts WM_QUIT; a test has no loop for it to end.
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) ::DispatchMessageW(&msg);
    }
}

bool Chinese() { return ::GetACP() == 936; }

struct FormatCall {
    char letter;
    std::string label;
    int sectorsPerCluster;
};

class MainWindowTest : public ::testing::Test {
protected:
    void Open(const std::vector<std::string>& drives) {
        query.table() = Table(drives);
        MainWndHooks hooks;
        hooks.pauseMs = pauseMs;
        hooks.messageBox = [this](HWND, const wchar_t* text, const wchar_t* caption, UINT style) {
            boxes.push_back(text);
            captions.push_back(caption);
            const int answer = answers.empty() ? IDNO : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            if (duringBox) {
                auto action = duringBox;
                duringBox = nullptr;
                action();
            }
            return (style & MB_YESNO) ? answer : IDOK;
        };
        hooks.showResult = [this](HWND, fat32::FormatResult r) { results.push_back(r); };
        hooks.blockShutdown = [this](HWND, const wchar_t* reason) { reasons.push_back(reason ? reason : L"-"); };
        // The engine stand-in locks, then proves the medium with what the
        // locked handle would read (the table a test put there, or the
        // machine as it is) and only then "writes".
        hooks.format = [this](const FormatJob& job) {
            const drives::SimulatedDriveTable& now =
                onHandle ? *onHandle : afterPause ? *afterPause : query.table();
            const drives::SimulatedDrive* drive = nullptr;
            for (const drives::SimulatedDrive& d : now.drives)
                if (d.letter == static_cast<wchar_t>(job.letter)) drive = &d;
            if (!drive) return fat32::kOpenFailed;
            if (drive->failures & drives::kFailLock) return fat32::kLockFailed;
            fat32::MediumFacts facts;
            facts.deviceNumberKnown = facts.mediaChangesKnown = facts.volumeSerialKnown = true;
            facts.deviceNumber = drive->deviceNumber;
            facts.mediaChanges = drive->mediaChanges;
            facts.volumeSerial = (drive->failures & drives::kFailRaw) ? 0 : drive->serial;
            if (const fat32::FormatResult proof = job.prove(facts); proof != fat32::kFormatOk)
                return proof;
            calls.push_back({job.letter, job.label, job.sectorsPerCluster});
            if (duringRun) duringRun();
            return fat32::kFormatOk;
        };
        // The worker looks at the machine as it is after its pause: the
        // window's own table, or the one a test swapped in for that moment.
        hooks.recheck = [this](wchar_t letter, const drives::DriveIdentity& confirmed) {
            if (duringPause) duringPause();
            drives::SimulatedDriveQuery worker;
            worker.table() = afterPause ? *afterPause : query.table();
            return RecheckConfirmedDrive(worker, letter, confirmed);
        };
        window = new CMainWnd(query, hooks);
        ASSERT_NE(window->Create(nullptr, L"test", WS_POPUP, 0), nullptr);
        ::ShowWindow(*window, SW_SHOWNOACTIVATE);
        Pump();
    }
    void TearDown() override {
        if (CMainWnd::ObjectAlive()) ::DestroyWindow(*window);
        Pump();
    }

    template <class T>
    T* Find(const wchar_t* name) {
        return static_cast<T*>(window->PaintManager().FindControl(name));
    }
    Facet::CComboUI* Combo() { return Find<Facet::CComboUI>(L"Selectedbo"); }
    Facet::CButtonUI* FormatButton() { return Find<Facet::CButtonUI>(L"formatbtn"); }
    std::vector<std::wstring> Items() {
        std::vector<std::wstring> texts;
        for (int i = 0; i < Combo()->GetCount(); ++i) texts.push_back(Combo()->GetItemAt(i)->GetText().GetData());
        return texts;
    }
    void ClickFormat() {
        window->PaintManager().SendNotify(FormatButton(), L"click");
        // A run may end with the window closed.
        for (int i = 0; i < 200 && CMainWnd::ObjectAlive() && window->FormatRunning(); ++i) {
            ::Sleep(5);
            Pump();
        }
    }
    void Removal(DWORD mask, DWORD recordSize = sizeof(DEV_BROADCAST_VOLUME)) {
        DEV_BROADCAST_VOLUME volume = {};
        volume.dbcv_size = recordSize;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = mask;
        ::SendMessageW(*window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&volume));
    }
    void Arrival() { ::SendMessageW(*window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0); }

    drives::SimulatedDriveQuery query;
    CMainWnd* window = nullptr;
    std::vector<int> answers;
    std::vector<std::wstring> boxes;
    std::vector<std::wstring> captions;
    std::optional<drives::SimulatedDriveTable> afterPause;
    std::optional<drives::SimulatedDriveTable> onHandle;
    std::vector<fat32::FormatResult> results;
    std::vector<FormatCall> calls;
    std::function<void()> duringBox;
    std::function<void()> duringRun;
    std::function<void()> duringPause;
    // The worker's pause before and after the engine.
    DWORD pauseMs = 0;
    // What the session's end was told, in order; "-" when it was withdrawn.
    std::vector<std::wstring> reasons;
};

TEST_F(MainWindowTest, ListsEachDriveWithLabelFileSystemAndSize) {
    struct Case {
        std::vector<std::string> drives;
        std::vector<std::wstring> items;
    };
    const Case cases[] = {
        {{Usb('E', 15000)}, {L"E: (DATA) FAT32 14.6GB"}},
        {{Usb('E', 15000, "fs=FAT32")}, {L"E: FAT32 14.6GB"}},
        {{Usb('E', 1023), Usb('G', 1024, "label=MY fs=NTFS")}, {L"E: (DATA) FAT32 1023MB", L"G: (MY) NTFS 1.0GB"}},
        // A drive whose label and file system cannot be read shows neither,
        // not the previous drive's.
        {{Usb('E', 2048), Usb('F', 4096, "label=OLD fs=NTFS fail=volume")}, {L"E: (DATA) FAT32 2.0GB", L"F:  4.0GB"}},
    };
    for (const Case& c : cases) {
        Open(c.drives);
        EXPECT_EQ(Items(), c.items);
        // The last drive is the one chosen; the drives-present face shows.
        EXPECT_EQ(Combo()->GetCurSel(), static_cast<int>(c.items.size()) - 1);
        EXPECT_TRUE(Combo()->IsVisible());
        EXPECT_TRUE(FormatButton()->IsEnabled());
        EXPECT_STREQ(FormatButton()->GetNormalImage(), L"res='169' restype='png'");
        EXPECT_STREQ(Find<Facet::CControlUI>(L"disk")->GetBkImage(), L"res='173' restype='png' source='83, 0, 166, 83'");
        EXPECT_EQ(Find<Facet::CLabelUI>(L"DiskAtt")->GetText(), Facet::CDuiString(Chinese() ? L"请选择盘符" : L"Choose a drive"));
        ::DestroyWindow(*window);
        Pump();
    }
}

TEST_F(MainWindowTest, NoDriveFaceHidesTheComboAndDisablesTheButton) {
    Open({});
    Facet::CLabelUI* status = Find<Facet::CLabelUI>(L"DiskAtt");
    EXPECT_EQ(status->GetText(),
              Facet::CDuiString(Chinese() ? L"没有检测到USB设备连接" : L"No USB Device detected & connected"));
    EXPECT_EQ(status->GetFixedXY().cx, 4);
    EXPECT_EQ(status->GetFixedWidth(), 353);
    EXPECT_FALSE(Combo()->IsVisible());
    EXPECT_FALSE(FormatButton()->IsEnabled());
    EXPECT_STREQ(FormatButton()->GetNormalImage(), L"res='168' restype='png'");
    EXPECT_EQ(FormatButton()->GetText(), Facet::CDuiString(Chinese() ? L"格式化" : L"Format"));
    EXPECT_EQ(Find<Facet::CLabelUI>(L"prompt")->GetText(),
              Facet::CDuiString(Chinese() ? L"注意:格式化时请不要随意拔插磁盘" : L"Note: please don't pull out plug disk format"));
    EXPECT_EQ(Find<Facet::CLabelUI>(L"prompt1")->GetText(),
              Facet::CDuiString(Chinese() ? L"转化格式后，闪存盘的文件系统会变成FAT32" : L"The flash disk format will be changed to FAT32"));
}

TEST_F(MainWindowTest, NoFormatsNothingYesFormatsTheChosenDriveAndShowsItsNewFileSystem) {
    Open({Usb('E', 15000, "label=CAM fs=NTFS")});
    answers = {IDNO};
    ClickFormat();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(FormatButton()->IsEnabled());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], Chinese() ? L"警告! 所有在 E: CAM 盘上的数据将会丢失!\r\n您真的想进行格式化吗?"
                                  : L"Warning!All the E:CAM the data on the disk will be lost!\r\n Are you really want to format?");
    EXPECT_EQ(captions[0], Chinese() ? L"Varqo文件系统格式化工具V1.0" : L"VARQO file system format tool V1.0");

    answers = {IDYES};
    duringRun = [this] { query.table().drives[0].fileSystem = L"FAT32"; };
    ClickFormat();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].letter, 'E');
    EXPECT_EQ(calls[0].label, "CAM");
    EXPECT_EQ(calls[0].sectorsPerCluster, 16);
    // The start notice came between the question and the run.
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2], L"E盘，卷标是CAM，你已开始格式化");
    EXPECT_EQ(captions[2], L"Varqo文件系统格式化工具V1.0");  // in both languages
    EXPECT_EQ(results, std::vector<fat32::FormatResult>{fat32::kFormatOk});
    EXPECT_EQ(Items(), std::vector<std::wstring>{L"E: (CAM) FAT32 14.6GB"});
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_TRUE(FormatButton()->IsEnabled());
    EXPECT_STREQ(FormatButton()->GetNormalImage(), L"res='169' restype='png'");
}

TEST_F(MainWindowTest, TheEngineOnlyEverGetsTheConfirmedDrive) {
    // E: pulled and D: plugged while the question is open: nothing runs,
    // and surely not on D:, which the list now shows at E:'s place.
    Open({Usb('E', 8000), Usb('F', 8000)});
    Combo()->SelectItem(0);
    answers = {IDYES};
    duringBox = [this] {
        query.table() = Table({Usb('D', 8000), Usb('F', 8000)});
        Arrival();
        Removal(1u << ('E' - 'A'));
    };
    ClickFormat();
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(window->FormatRunning());
    EXPECT_TRUE(FormatButton()->IsEnabled());
    EXPECT_EQ(results, std::vector<fat32::FormatResult>{fat32::kDriveChanged});

    // E: pulled during the start notice: back to idle, nothing formatted,
    // and the user is told so right after being told the run started.
    Open({Usb('E', 8000), Usb('F', 8000)});
    Combo()->SelectItem(0);
    answers = {IDYES};
    results.clear();
    duringBox = [this] { duringBox = [this] { Removal(1u << ('E' - 'A')); }; };
    ClickFormat();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(results, std::vector<fat32::FormatResult>{fat32::kDriveChanged});
    EXPECT_EQ(FormatButton()->GetText(), Facet::CDuiString(Chinese() ? L"格式化" : L"Format"));

    // Another stick under E: during the worker's pause, without a device
    // message: the worker's own look finds a stranger and writes nothing.
    Open({Usb('E', 8000)});
    answers = {IDYES};
    results.clear();
    afterPause = Table({Usb('E', 8000, "label=DATA fs=FAT32 serial=99")});
    ClickFormat();
    afterPause.reset();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(results, std::vector<fat32::FormatResult>{fat32::kDriveChanged});
    EXPECT_TRUE(FormatButton()->IsEnabled());

    // With E: and F: listed and E: gone, F: is item 0 and a run targets it.
    Open({Usb('E', 8000), Usb('F', 8000)});
    Removal(1u << ('E' - 'A'));
    EXPECT_EQ(Items(), std::vector<std::wstring>{L"F: (DATA) FAT32 7.8GB"});
    EXPECT_EQ(window->Drives().Letter(0), L'F');
    answers = {IDYES};
    ClickFormat();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].letter, 'F');
}

// Who E: is at the question, after the worker's pause and on the locked
// handle, and what the run then does: the medium is proven on the handle
// that writes, a removal heard cancels, and a drive that cannot be read for
// a passing or known reason is told as that, never as another stick.
TEST_F(MainWindowTest, IdentityRoadsEndInAWholeRunOrNothingWritten) {
    struct Road {
        const char* name;
        const char* atQuestion;
        const char* onHandle;  // null: as at the question
        bool removalHeard;     // during the pause, the letter coming back at once
        fat32::FormatResult result;
    };
    const Road roads[] = {
        {"card swapped in the reader, both RAW", "fail=raw changes=3", "fail=raw changes=4", false,
         fat32::kDriveChanged},
        {"same-serial stick swapped in, removal heard", "serial=7", nullptr, true, fat32::kDriveChanged},
        {"removed and back without a message", "serial=7 changes=1", "serial=7 changes=2", false,
         fat32::kDriveChanged},
        {"lock taken between check and open", "serial=7", "serial=7 fail=lock", false, fat32::kLockFailed},
        {"RAW stick", "fail=raw", nullptr, false, fat32::kFormatOk},
        {"serial not ready once, then read", "serial=7 fail=volume-once", nullptr, false, fat32::kFormatOk},
        {"held by another program at the question", "serial=7 fail=in-use", nullptr, false, fat32::kLockFailed},
        {"never ready", "serial=7 fail=volume", nullptr, false, fat32::kGeometryFailed},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        Open({Usb('E', 8000, road.atQuestion)});
        calls.clear();
        results.clear();
        answers = {IDYES};
        if (road.onHandle) onHandle = Table({Usb('E', 8000, road.onHandle)});
        if (road.removalHeard) duringPause = [this] { Removal(1u << ('E' - 'A')); Arrival(); };
        ClickFormat();
        onHandle.reset();
        duringPause = nullptr;
        EXPECT_EQ(results, std::vector<fat32::FormatResult>{road.result});
        EXPECT_EQ(calls.size(), road.result == fat32::kFormatOk ? 1u : 0u);
        EXPECT_FALSE(window->FormatRunning());
        ::DestroyWindow(*window);
        Pump();
    }
}

TEST_F(MainWindowTest, RemovalsTakeEveryListedVolumeOfTheMaskAndNothingElse) {
    Open({Usb('E', 8000), Usb('F', 8000), Usb('G', 8000)});
    Removal(1u << ('Q' - 'A'));
    EXPECT_EQ(Items().size(), 3u);
    Removal((1u << ('E' - 'A')) | (1u << ('F' - 'A')));
    EXPECT_EQ(Items(), std::vector<std::wstring>{L"G: (DATA) FAT32 7.8GB"});
    EXPECT_EQ(window->Drives().Count(), 1);
    // A broadcast without its record, or with a record too short for the
    // mask, is ignored.
    ::SendMessageW(*window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    Removal(1u << ('G' - 'A'), sizeof(DEV_BROADCAST_HDR));
    EXPECT_EQ(window->Drives().Count(), 1);
    Removal(1u << ('G' - 'A'));
    EXPECT_FALSE(Combo()->IsVisible());
    EXPECT_FALSE(FormatButton()->IsEnabled());
    // A disk's interface going (a stick without a letter pulled out) reads
    // the list afresh.
    query.table() = Table({Usb('E', 8000)});
    DEV_BROADCAST_DEVICEINTERFACE_W disk{};
    disk.dbcc_size = sizeof disk;
    disk.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    ::SendMessageW(*window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&disk));
    EXPECT_EQ(window->Drives().Count(), 1);
    EXPECT_TRUE(Combo()->IsVisible());
}

TEST_F(MainWindowTest, DuringARunArrivalsKeepTheButtonBusyAndClosingAsks) {
    Open({Usb('E', 8000)});
    answers = {IDYES, IDOK, IDNO};
    Facet::CControlUI* disk = Find<Facet::CControlUI>(L"disk");
    LRESULT endSession = TRUE;
    // While the engine runs, a drive arrives (and the locked E: cannot be
    // read), the system asks to end the session and the user tries to close.
    duringRun = [&] {
        query.table() = Table({Usb('E', 8000, "label=DATA fs=FAT32 fail=open"), Usb('F', 8000)});
        // A device broadcast is sent, never posted, as the system does.
        ::SendMessageW(*window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
        endSession = ::SendMessageW(*window, WM_QUERYENDSESSION, 0, 0);
        ::SendMessageW(*window, WM_CLOSE, 0, 0);
        query.table() = Table({Usb('E', 8000), Usb('F', 8000)});
        ::Sleep(200);
    };
    bool busyThroughout = true;
    window->PaintManager().SendNotify(FormatButton(), L"click");
    for (int i = 0; i < 400 && window->FormatRunning(); ++i) {
        ::Sleep(5);
        Pump();
        if (window->FormatRunning()) busyThroughout = busyThroughout && !FormatButton()->IsEnabled();
    }
    EXPECT_TRUE(busyThroughout);
    EXPECT_FALSE(endSession);
    // The close was asked about, with No as the default, and answered No.
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2], Chinese() ? L"正在向驱动器写入数据，现在关闭可能使驱动器无法读取。\r\n确定要关闭吗?"
                                  : L"The drive is being written. Closing now may leave it unreadable.\r\nClose anyway?");
    EXPECT_TRUE(CMainWnd::ObjectAlive());
    EXPECT_EQ(results, std::vector<fat32::FormatResult>{fat32::kFormatOk});
    // The list is read afresh at the end: the formatted E: is back, chosen.
    EXPECT_EQ(Items().size(), 2u);
    EXPECT_EQ(Combo()->GetCurSel(), 0);
    EXPECT_TRUE(FormatButton()->IsEnabled());
    // The animation's timer is gone, the session may end again, and only
    // the animation's own timer ever moves the picture.
    EXPECT_FALSE(::KillTimer(*window, kAnimationTimer));
    EXPECT_TRUE(::SendMessageW(*window, WM_QUERYENDSESSION, 0, 0));
    const Facet::CDuiString frame = disk->GetBkImage();
    ::SendMessageW(*window, WM_TIMER, kAnimationTimer + 1, 0);
    EXPECT_EQ(Facet::CDuiString(disk->GetBkImage()), frame);
    // Once idle, the window closes without a question.
    ::SendMessageW(*window, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(CMainWnd::ObjectAlive());
    EXPECT_EQ(boxes.size(), 3u);
}

// The run ends while the close question is open: its result waits for the
// answer. No shows it then; Yes closes at once, the run being over.
TEST_F(MainWindowTest, AResultDuringTheCloseQuestionWaitsForItsAnswer) {
    for (const int answer : {IDNO, IDYES}) {
        Open({Usb('E', 8000)});
        results.clear();
        answers = {IDYES, IDOK, answer};
        duringRun = [&] {
            duringBox = [&] {
                ::SendMessageW(*window, kFormatDoneMessage, fat32::kFormatOk, 0);
                EXPECT_TRUE(results.empty()) << "a result box over the close question";
            };
            ::SendMessageW(*window, WM_CLOSE, 0, 0);
        };
        ClickFormat();
        duringRun = nullptr;
        EXPECT_EQ(CMainWnd::ObjectAlive(), answer == IDNO);
        EXPECT_EQ(results.size(), answer == IDNO ? 1u : 0u);
        if (CMainWnd::ObjectAlive()) ::DestroyWindow(*window);
        Pump();
    }
}

// Frames 1 to 17 run in a ring that skips the no-drive frame 0 and the
// first frame 1 after the first turn; the counter is never reset. Outside a
// run, a tick (one queued as the run ended) paints nothing.
TEST_F(MainWindowTest, AnimationRunsTheFramesInTheirRingDuringARunOnly) {
    Open({Usb('E', 8000)});
    Facet::CControlUI* disk = Find<Facet::CControlUI>(L"disk");
    const Facet::CDuiString idle = disk->GetBkImage();
    ::SendMessageW(*window, WM_TIMER, kAnimationTimer, 0);
    EXPECT_EQ(Facet::CDuiString(disk->GetBkImage()), idle);
    std::vector<std::wstring> frames;
    answers = {IDYES};
    // Sent from the worker: the window thread paints while the run is on.
    duringRun = [&] {
        for (int tick = 0; tick < 40; ++tick) {
            ::SendMessageW(*window, WM_TIMER, kAnimationTimer, 0);
            frames.push_back(disk->GetBkImage());
        }
    };
    ClickFormat();
    int previous = -1;
    for (const std::wstring& image : frames) {
        int left = -1, right = -1;
        ASSERT_EQ(std::swscanf(image.c_str(), L"res='173' restype='png' source='%d,0,%d,83'", &left, &right), 2);
        const int frame = left / 83;
        EXPECT_EQ(right, left + 83);
        EXPECT_GE(frame, 1);
        if (previous >= 0) {
            EXPECT_EQ(frame, previous == 17 ? 2 : previous + 1);
        }
        previous = frame;
    }
    EXPECT_EQ(frames.size(), 40u);
}

TEST_F(MainWindowTest, TheLabelReachesTheEngineAsWholeOemCharactersOfAtMostElevenBytes) {
    // Six Chinese characters are 12 bytes in code page 936: five fit.
    const std::wstring chinese = L"数码相机存储";
    Open({Usb('E', 8000, "fs=FAT32")});
    query.table().drives[0].label = Chinese() ? chinese : L"Café";
    answers = {IDYES};
    ClickFormat();
    ASSERT_EQ(calls.size(), 1u);
    if (Chinese()) {
        EXPECT_EQ(calls[0].label, "\xCA\xFD\xC2\xEB\xCF\xE0\xBB\xFA\xB4\xE6");
    } else {
        // Uppercase, as FAT stores it; OEM code page 437 or 850: É is 0x90 in both.
        EXPECT_EQ(calls[0].label, "CAF\x90");
    }
}

// The session's end and a close before the first write (the worker's pause),
// during the writes and after them. Before, the run is given up (the user is
// told, if the session goes on) and the session may end; during, the session
// is held with a reason naming the drive, and one that goes on after all lets
// the run finish and tell its result; after, nothing holds anything.
TEST_F(MainWindowTest, TheSessionsEndAndACloseHoldOnlyWhileTheRunWrites) {
    enum When { kPause, kWriting, kAfter };
    struct Road {
        const char* name;
        When when;
        bool close;         // WM_CLOSE answered Yes, else the session's messages
        const char* swap;   // the stick the locked handle finds, if another
        LRESULT query;      // WM_QUERYENDSESSION's answer
        bool formatted;
        std::vector<fat32::FormatResult> results;
        const wchar_t* third;  // the box after the question and the notice
        bool held;             // a reason was registered
    };
    const std::wstring givenUp = Chinese() ? kGivenUpForSession.chinese : kGivenUpForSession.english;
    const std::wstring beforeWriting = Chinese() ? kCloseBeforeWriting.chinese : kCloseBeforeWriting.english;
    const Road roads[] = {
        {"session, pause", kPause, false, nullptr, TRUE, false, {}, givenUp.c_str(), false},
        {"session, writing", kWriting, false, nullptr, FALSE, true, {fat32::kFormatOk}, nullptr, true},
        {"session, after a refused run", kAfter, false, "serial=99", TRUE, false, {fat32::kDriveChanged},
         nullptr, false},
        {"close, pause", kPause, true, nullptr, 0, false, {}, beforeWriting.c_str(), false},
        {"close, after the writes", kAfter, true, nullptr, 0, true, {}, nullptr, true},
    };
    const std::wstring reason = Chinese() ? L"正在格式化USB驱动器 E:，请等待完成。"
                                          : L"Formatting the USB drive E:; wait until it is done.";
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        // A pause long enough to act in after the engine returned.
        pauseMs = road.when == kAfter ? 1000 : 0;
        Open({Usb('E', 8000)});
        boxes.clear();
        results.clear();
        calls.clear();
        reasons.clear();
        answers = {IDYES, IDOK, IDYES};
        if (road.swap) onHandle = Table({Usb('E', 8000, road.swap)});
        LRESULT query = -1;
        std::function<void()> act = [&] {
            if (road.close) {
                ::SendMessageW(*window, WM_CLOSE, 0, 0);
                return;
            }
            query = ::SendMessageW(*window, WM_QUERYENDSESSION, 0, 0);
            ::SendMessageW(*window, WM_ENDSESSION, FALSE, 0);
        };
        if (road.when == kPause) duringPause = act;
        if (road.when == kWriting) duringRun = act;
        window->PaintManager().SendNotify(FormatButton(), L"click");
        for (int i = 0; i < 600 && CMainWnd::ObjectAlive() && window->FormatRunning(); ++i) {
            ::Sleep(5);
            Pump();
            // Half way through the pause after the engine.
            if (road.when == kAfter && i == 300) act();
        }
        // A cancelled worker still reaches the locked volume, and is refused.
        if (road.close) ::Sleep(300);
        duringRun = duringPause = nullptr;
        onHandle.reset();
        if (!road.close) {
            EXPECT_EQ(query, road.query);
        }
        EXPECT_EQ(calls.size(), road.formatted ? 1u : 0u);
        EXPECT_EQ(results, road.results);
        EXPECT_EQ(boxes.size() > 2 ? boxes[2] : L"", road.third ? road.third : L"");
        const bool held = std::find(reasons.begin(), reasons.end(), reason) != reasons.end();
        EXPECT_EQ(held, road.held);
        // Whatever was held is let go, and the session is free to end.
        if (!reasons.empty()) {
            EXPECT_EQ(reasons.back(), L"-");
        }
        EXPECT_EQ(CMainWnd::ObjectAlive(), !road.close);
        if (road.close) continue;
        EXPECT_FALSE(window->FormatRunning());
        EXPECT_TRUE(FormatButton()->IsEnabled());
        EXPECT_TRUE(::SendMessageW(*window, WM_QUERYENDSESSION, 0, 0));
        ::DestroyWindow(*window);
        Pump();
    }
    pauseMs = 0;
}

}  // namespace
}  // namespace app
