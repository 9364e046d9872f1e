// UsbLetterCheck: one USB scan per question, so a letter that was reassigned
// since the last question is seen as it is now.
#ifdef _WIN32

#include "tools/mkfat32/usb_letter_check.h"

#include <cstdio>
#include <utility>

#include "drives/drive_table_file.h"
#include "drives/simulated_drive_query.h"
#include "drives/usb_scan.h"
#include "drives/win32_drive_query.h"

namespace mkfat32 {
namespace {

bool ScanLists(drives::DriveQuery& query, wchar_t letter) {
    wchar_t letters[drives::kLetterSlots];
    drives::ScanUsbDrives(query, letters);
    for (wchar_t listed : letters) {
        if (listed == drives::kEndOfLetters) break;
        if (listed == letter) return true;
    }
    return false;
}

std::wstring Widen(const std::string& text) {
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 1), L'\0');
    if (units > 0) ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), units);
    wide.resize(wide.size() - 1);
    return wide;
}

}  // namespace

UsbLetterCheck::UsbLetterCheck(std::string driveTablePath)
    : driveTablePath_(std::move(driveTablePath)) {}

template <typename Ask>
auto UsbLetterCheck::WithQuery(Ask ask, decltype(ask(std::declval<drives::DriveQuery&>())) none) const {
    if (driveTablePath_.empty()) {
        drives::Win32DriveQuery query;
        return ask(query);
    }
    drives::SimulatedDriveTable table;
    std::string error;
    if (!drives::LoadDriveTable(Widen(driveTablePath_).c_str(), table, error)) {
        std::fprintf(stderr, "mkfat32: %s: %s\n", driveTablePath_.c_str(), error.c_str());
        return none;
    }
    drives::SimulatedDriveQuery query(std::move(table));
    return ask(query);
}

bool UsbLetterCheck::Listed(wchar_t letter) const {
    return WithQuery([&](drives::DriveQuery& query) { return ScanLists(query, letter); }, false);
}

drives::IdentifyStatus UsbLetterCheck::Identify(wchar_t letter, drives::DriveIdentity& identity) const {
    return WithQuery(
        [&](drives::DriveQuery& query) { return drives::IdentifyUsbDrive(query, letter, identity); },
        drives::IdentifyStatus::NotUsb);
}

}  // namespace mkfat32

#endif  // _WIN32
