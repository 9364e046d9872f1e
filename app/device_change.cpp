// Drives plugged in or pulled out while the window is open: the system's
// WM_DEVICECHANGE broadcasts rebuild the list on an arrival and take a
// removed volume's entry out of the combo and the table. A stick without a
// volume the system mounts is announced to no window unasked: the window
// registers for the disks' interfaces, whose arrival and removal rebuild
// the list.
#include <windows.h>

#include <dbt.h>

#include <cstddef>

#include "app/main_wnd.h"
#include "app/run_gate.h"
#include "app/skin_images.h"
#include "app/texts.h"
#include "facet/controls/button_ui.h"
#include "facet/controls/combo_ui.h"

namespace app {

namespace {
constexpr int kDriveLetters = 26;
}  // namespace

void CMainWnd::RegisterForSticks() {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = drives::kDiskInterfaceClass;
    // Without it the window still learns of every volume, as before.
    m_stickNotification.reset(::RegisterDeviceNotificationW(m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
}

void CMainWnd::OnDeviceChange(WPARAM event, LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    const bool disk = event == DBT_DEVICEREMOVECOMPLETE && data != 0 &&
                      header->dbch_size >= sizeof(DEV_BROADCAST_HDR) &&
                      header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE;
    // A disk gone while a whole stick's run waits: the stick plugged in next
    // may get its number, so the run is off unless writing.
    if (disk && m_runGate && m_formatDisk != kNoWholeDisk) m_runGate->Cancel();
    if (event == DBT_DEVICEARRIVAL || disk) {
        RebuildDriveList();
        RefreshDeviceUI();
        // The run goes on: its button stays as it is until the result.
        if (m_bFormatRunning) ShowRunningButton();
        return;
    }
    if (event != DBT_DEVICEREMOVECOMPLETE || data == 0) return;
    // Any program may broadcast: a record is read only as far as its own
    // size says it reaches.
    if (header->dbch_size < sizeof(DEV_BROADCAST_HDR)) return;
    if (header->dbch_devicetype != DBT_DEVTYP_VOLUME) return;
    if (header->dbch_size < offsetof(DEV_BROADCAST_VOLUME, dbcv_unitmask) + sizeof(DWORD)) return;
    const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(data);
    // One message may carry several volumes of one device: each goes.
    for (int n = 0; n < kDriveLetters; ++n) {
        if (!(volume->dbcv_unitmask & (1u << n))) continue;
        const char letter[2] = {static_cast<char>('A' + n), '\0'};
        // The confirmed drive went away: even if it comes back under its
        // letter, it may be another medium; the run is off unless writing.
        if (m_runGate && m_formatLetter == static_cast<wchar_t>('A' + n)) m_runGate->Cancel();
        RemoveDriveFromList(letter);
    }
}

void CMainWnd::RemoveDriveFromList(const char* letterText) {
    wchar_t letter[2] = {};
    ::MultiByteToWideChar(CP_ACP, 0, letterText, -1, letter, 2);
    // The box keeps the focus through the removal: disabling it on the way
    // would send the focus elsewhere.
    const int index = m_drives.IndexOf(letter[0]);
    if (index >= 0) {
        m_pDriveCombo->RemoveAt(index);
        m_drives.RemoveEntry(index);
    }
    if (index >= 0 && m_drives.Count() == 0) ShowNoDriveFace();
}

void DeviceNotificationCloser::operator()(void* notification) const {
    if (notification) ::UnregisterDeviceNotification(notification);
}

}  // namespace app
