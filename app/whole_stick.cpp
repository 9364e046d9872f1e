// A stick that is not whole, offered whole: a volume clearly smaller than
// its stick, several partitions or a GPT are asked about before the usual
// confirmation; a stick without a volume the system mounted can only be made
// whole. The confirmation names the disk, its size and every volume lost.
// The run is proven by the disk's facts: read again after each box, and
// finally by the worker on the handle that writes, with every volume locked.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_wnd.h"
#include "app/drive_source.h"
#include "app/run_gate.h"
#include "app/texts.h"
#include "devices/new_mbr_device.h"
#include "drives/whole_stick.h"

namespace app {

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kMbrReach = (1ull << 32) * 512;
constexpr wchar_t kListIndent[] = L"\r\n    ";

std::uint32_t Megabytes(std::uint64_t bytes) { return static_cast<std::uint32_t>(bytes / kMiB); }

}  // namespace

fat32::FormatResult RecheckConfirmedDisk(DWORD number, const std::wstring& id, const fat32::DiskFacts& confirmed) {
    const std::unique_ptr<drives::DriveQuery> query = NewDriveQuery();
    return RecheckConfirmedDisk(*query, number, id, confirmed);
}

CMainWnd::Offer CMainWnd::OfferWholeStick(wchar_t letter, DWORD& disk, fat32::DiskFacts& facts) {
    DWORD partition = 0;
    if (!fat32::DiskOfLetter(m_drives.Query().Volumes(), letter, disk, &partition) ||
        !drives::ReadStick(m_drives.Query(), disk, facts) || !drives::MayOfferWhole(m_drives.Query(), facts))
        return Offer::VolumeOnly;
    const drives::StickShape shape = drives::JudgeStick(facts, partition, true);
    const Facet::CDuiString stick = SizeText(Megabytes(facts.bytes));
    const auto number = static_cast<unsigned>(disk);
    Facet::CDuiString why;
    switch (shape) {
        case drives::StickShape::VolumeSmaller: {
            std::uint64_t covered = 0;
            for (const fat32::DiskPartition& extent : facts.extents)
                if (partition == 0 || extent.number == partition) covered = extent.length;
            why.Format(Localized(kOfferVolumeSmaller), letter, SizeText(Megabytes(covered)).GetData(),
                       stick.GetData(), number);
            break;
        }
        case drives::StickShape::SeveralPartitions:
            why.Format(Localized(kOfferPartitions), stick.GetData(), number,
                       static_cast<unsigned>(facts.partitions), letter);
            break;
        case drives::StickShape::Gpt:
            why.Format(Localized(kOfferGpt), stick.GetData(), number);
            break;
        default:
            return Offer::VolumeOnly;
    }
    Facet::CDuiString question;
    question.Format(Localized(kOfferQuestion), letter);
    why += question;
    switch (Ask(why, Localized(kWindowCaption), MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES: return m_closeRequested ? Offer::Cancel : Offer::Whole;
        case IDNO: return m_closeRequested ? Offer::Cancel : Offer::VolumeOnly;
        default: return Offer::Cancel;
    }
}

Facet::CDuiString CMainWnd::WholeStickWarning(DWORD disk, const fat32::DiskFacts& facts) {
    Facet::CDuiString text;
    text.Format(Localized(kWholeWarning), static_cast<unsigned>(disk), SizeText(Megabytes(facts.bytes)).GetData());
    // Each partition by the letter of its volume, where it has one.
    fat32::VolumeCalls& calls = m_drives.Query().Volumes();
    std::vector<std::pair<DWORD, wchar_t>> lettered;
    for (const wchar_t letter : fat32::LettersOnDisk(calls, disk)) {
        DWORD on = 0, partition = 0;
        if (fat32::DiskOfLetter(calls, letter, on, &partition) && on == disk) lettered.emplace_back(partition, letter);
    }
    const auto letterOf = [&](DWORD partition) {
        for (const auto& [number, letter] : lettered)
            if (number == partition) return letter;
        return wchar_t{0};
    };
    for (const fat32::DiskPartition& extent : facts.extents) {
        text += kListIndent;
        if (const wchar_t letter = letterOf(extent.number)) {
            text += VolumeText(letter, Megabytes(extent.length));
        } else {
            Facet::CDuiString line;
            line.Format(Localized(kWholePartition), static_cast<unsigned>(extent.number),
                        SizeText(Megabytes(extent.length)).GetData());
            text += line;
        }
    }
    // A volume with no table in front of it spans the disk.
    if (facts.extents.empty()) {
        for (const auto& [number, letter] : lettered) {
            text += kListIndent;
            text += VolumeText(letter, Megabytes(facts.bytes));
        }
        if (lettered.empty()) {
            text += kListIndent;
            text += Localized(kWholeNoPartition);
        }
    }
    if (facts.bytes > kMbrReach) {
        text += L"\r\n";
        text += Localized(kWholeMbrLimit);
    }
    text += L"\r\n";
    text += Localized(kWholeQuestion);
    return text;
}

fat32::FormatResult RecheckConfirmedDisk(drives::DriveQuery& query, DWORD number, const std::wstring& id,
                                         const fat32::DiskFacts& confirmed) {
    // The device first: a stick pulled and another plugged in may get the
    // same disk number, and a clone of it the same layout.
    std::wstring idNow;
    fat32::DiskFacts now;
    if (!drives::UsbInstanceIdOfDisk(query, number, idNow) || idNow != id || !drives::ReadStick(query, number, now))
        return fat32::kDriveChanged;
    return fat32::SameDisk(confirmed, now) ? fat32::kFormatOk : fat32::kDriveChanged;
}

fat32::FormatResult CMainWnd::CheckConfirmedDisk() {
    if (m_runGate && m_runGate->Cancelled()) return fat32::kDriveChanged;
    return RecheckConfirmedDisk(m_drives.Query(), m_formatDisk, m_formatDiskId, m_formatDiskFacts);
}

void CMainWnd::ConfirmWholeStick(DWORD disk, const fat32::DiskFacts& facts, wchar_t letter) {
    // The question names this stick: the one it names is the one written.
    if (!drives::UsbInstanceIdOfDisk(m_drives.Query(), disk, m_formatDiskId)) {
        ShowResultBox(fat32::kDriveChanged);
        return;
    }
    const Facet::CDuiString text = WholeStickWarning(disk, facts);
    // The new volume keeps the chosen volume's label.
    const std::wstring label = letter != drives::kNoLetter ? std::wstring(ReadLabel(letter).GetData()) : L"";
    // From the question on, a removal of the chosen letter cancels the run.
    m_runGate = std::make_shared<RunGate>();
    m_formatLetter = letter;
    m_formatDisk = disk;
    m_formatDiskFacts = facts;
    // Erasing a whole stick is no default: No is.
    const int answer = Ask(text, Localized(kWindowCaption), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    fat32::FormatResult check = fat32::kFormatOk;
    if (answer == IDYES && !m_closeRequested) check = CheckConfirmedDisk();
    if (answer != IDYES || m_closeRequested || check != fat32::kFormatOk) {
        m_runGate.reset();
        m_formatLetter = 0;
        m_formatDisk = kNoWholeDisk;
        if (check != fat32::kFormatOk) ShowResultBox(check);
        return;
    }
    ShowRunning();
    StartWholeFormat(label);
}

}  // namespace app
