// What the window does once its skin is built: it finds its controls, sets
// the texts of the current language, lists the USB drives in the combo and
// answers clicks on the caption buttons and the format button.
#include <cwchar>

#include "app/main_wnd.h"
#include "app/skin_images.h"
#include "app/texts.h"
#include "facet/controls/button_ui.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/combo_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/controls/list_label_element_ui.h"
#include "facet/controls/progress_ui.h"

namespace app {

namespace {

HWND g_mainWindow = nullptr;

constexpr int kItemHeight = 30;
constexpr DWORD kRunningTextColor = 0xFF333333;
constexpr SIZE kProgressXY = {236, 197};
constexpr SIZE kProgressSize = {90, 58};
constexpr int kProgressFont = 2;
constexpr DWORD kProgressTextColor = 0xFF3C3C3C;
constexpr int kProgressTextInset = 10;
constexpr std::uint32_t kMbPerGb = 1024;

}  // namespace

// "1023MB" below a gigabyte, "14.6GB" from there on.
Facet::CDuiString SizeText(std::uint32_t totalMb) {
    Facet::CDuiString text;
    if (totalMb < kMbPerGb) {
        text.Format(L"%uMB", totalMb);
    } else {
        text.Format(L"%0.1fGB", static_cast<double>(totalMb) / kMbPerGb);
    }
    return text;
}

HWND MainWindowHandle() { return g_mainWindow; }

void CMainWnd::InitWindow() {
    g_mainWindow = m_hWnd;
    Facet::CPaintManagerUI& pm = m_PaintManager;
    m_pDisk = pm.FindControl(L"disk");
    m_pStatus = static_cast<Facet::CLabelUI*>(pm.FindControl(L"DiskAtt"));
    m_pFormatBtn = static_cast<Facet::CButtonUI*>(pm.FindControl(L"formatbtn"));
    m_pPrompt = pm.FindControl(L"prompt");
    m_pPrompt1 = pm.FindControl(L"prompt1");
    m_pTitle = pm.FindControl(L"title");
    m_pDriveCombo = static_cast<Facet::CComboUI*>(pm.FindControl(L"Selectedbo"));

    m_pDriveCombo->SetVisible(false);
    m_pPrompt->SetText(Localized(kPromptText));
    m_pPrompt1->SetText(Localized(kPrompt1Text));
    m_pTitle->SetText(Localized(kWindowCaption));
    m_pFormatBtn->SetText(Localized(kFormatIdle));

    // The picture and the caption buttons are for the mouse: Tab goes round
    // the drive box and the Format button only, and a screen reader calls
    // the picture a graphic.
    m_pDisk->SetMouseEnabled(false);
    for (const wchar_t* name : {L"disk", L"closebtn", L"minibtn"}) {
        if (Facet::CControlUI* control = pm.FindControl(name)) control->SetKeyboardEnabled(false);
    }
    AddProgress();
    NameControlsForReaders();

    RegisterForSticks();
    RebuildDriveList();
    RefreshDeviceUI();
    // A keyboard user starts on the drive box, as in Windows' own dialog.
    if (m_drives.HasDrives()) pm.SetFocusNeeded(m_pDriveCombo);
}

void CMainWnd::AddProgress() {
    // The running text on the disabled face must be readable: at least
    // 4.5:1 against the grey face, since it carries the status.
    m_pFormatBtn->SetDisabledTextColor(kRunningTextColor);
    // The run's percentage, beside the button, hidden while idle.
    auto* progress = new Facet::CProgressUI;
    progress->SetName(L"progress");
    progress->SetFloat(true);
    progress->SetFixedXY(kProgressXY);
    progress->SetFixedWidth(kProgressSize.cx);
    progress->SetFixedHeight(kProgressSize.cy);
    progress->SetFont(kProgressFont);
    progress->SetTextColor(kProgressTextColor);
    progress->SetTextStyle(DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    // The run's focus rests here: the text clears the focus mark's inset.
    progress->SetTextPadding(RECT{kProgressTextInset, 0, 0, 0});
    progress->SetVisible(false);
    auto* layout = static_cast<Facet::IContainerUI*>(m_pFormatBtn->GetParent()->GetInterface(L"IContainer"));
    layout->Add(progress);
    m_pProgress = progress;
}

void CMainWnd::NameControlsForReaders() {
    // The tooltips name them for the mouse too. The drive box is named in
    // the UI's language, though the label before it is Chinese in both.
    const struct {
        const wchar_t* control;
        const LocaleText& name;
    } names[] = {{L"closebtn", kCloseName}, {L"minibtn", kMinimizeName}, {L"disk", kDiskPictureName},
                 {L"Selectedbo", kDriveBoxName}, {L"progress", kProgressName}};
    for (const auto& entry : names) {
        if (Facet::CControlUI* control = m_PaintManager.FindControl(entry.control)) {
            control->SetToolTip(Localized(entry.name));
        }
    }
}

void CMainWnd::RebuildDriveList() {
    m_drives.Rebuild([this] { m_pDriveCombo->RemoveAll(); });
}

void CMainWnd::RefreshDeviceUI() {
    if (m_drives.HasDrives()) {
        ShowDrivesPresentFace();
    } else {
        ShowNoDriveFace();
    }
}

void CMainWnd::ShowDrivesPresentFace(int chosen) {
    // From the window's margin to the box: room for the English text.
    m_pStatus->SetFixedXY(SIZE{4, 59});
    m_pStatus->SetFixedWidth(96);
    m_pStatus->SetText(Localized(kChooseDrive));
    m_pDriveCombo->SetNormalImage(kComboNormalImage);
    m_pDriveCombo->SetHotImage(kComboHotImage);
    m_pDriveCombo->SetPushedImage(kComboHotImage);
    m_pDriveCombo->SetVisible(true);

    for (int i = 0; i < m_drives.Count(); ++i) {
        const Facet::CDuiString text = DriveItemText(i);
        auto* item = new Facet::CListLabelElementUI;
        item->SetText(text);
        // The item stands for its drive: a rebuild that keeps the drive
        // chosen is no new choice for a reader, whatever its text says now.
        wchar_t who[16] = {m_drives.Letter(i), L'\0'};
        if (who[0] == drives::kNoLetter) std::swprintf(who, 16, L"disk%lu", m_drives.Disk(i));
        item->SetUserData(who);
        item->SetFixedHeight(kItemHeight);
        m_pDriveCombo->Add(item);
        item->SetVisible(true);
        item->SetInternVisible(true);
    }
    // One choice once the list is whole, not one per item added: a reader
    // hears a change only when the chosen drive is another than before.
    // The last drive is chosen, unless the caller keeps one.
    const bool keep = chosen >= 0 && chosen < m_drives.Count();
    if (m_drives.Count() > 0) m_pDriveCombo->SelectItem(keep ? chosen : m_drives.Count() - 1);

    m_pDisk->SetBkImage(kDiskPresent);
    m_pFormatBtn->SetNormalImage(kFormatImage);
    m_pFormatBtn->SetHotImage(kFormatImage);
    m_pFormatBtn->SetPushedImage(kFormatPushedImage);
    m_pFormatBtn->SetEnabled(true);
}

Facet::CDuiString CMainWnd::ReadLabel(wchar_t letter) {
    return m_drives.QueryLabel(letter) ? m_drives.CurrentLabel() : Facet::CDuiString();
}

Facet::CDuiString CMainWnd::DriveItemText(int index) {
    const wchar_t letter = m_drives.Letter(index);
    if (letter == drives::kNoLetter) {
        Facet::CDuiString text;
        text.Format(Localized(kStickItem), static_cast<unsigned>(m_drives.Disk(index)), SizeText(m_drives.TotalMb(index)).GetData());
        return text;
    }
    m_drives.QueryEntrySizes(index);
    return VolumeText(letter, m_drives.TotalMb(index));
}

Facet::CDuiString CMainWnd::VolumeText(wchar_t letter, std::uint32_t totalMb) {
    // A query that fails stands for an empty text, never for what the
    // previous drive left behind.
    const Facet::CDuiString label = ReadLabel(letter);
    const Facet::CDuiString fileSystem = m_drives.QueryFileSystemName(letter)
                                             ? m_drives.CurrentFileSystemName()
                                             : Facet::CDuiString();
    const Facet::CDuiString size = SizeText(totalMb);
    Facet::CDuiString text;
    if (label.IsEmpty()) {
        text.Format(L"%c: %s %s", letter, fileSystem.GetData(), size.GetData());
    } else {
        text.Format(L"%c: (%s) %s %s", letter, label.GetData(), fileSystem.GetData(), size.GetData());
    }
    return text;
}

void CMainWnd::ShowNoDriveFace() {
    m_pStatus->SetFixedXY(SIZE{4, 59});
    m_pStatus->SetFixedWidth(353);
    m_pStatus->SetText(Localized(kNoDrive));
    m_pDisk->SetBkImage(kDiskNoDrive);
    m_pFormatBtn->SetNormalImage(kFormatDisabledImage);
    m_pFormatBtn->SetEnabled(false);
    // An empty combo must not sit under the status text.
    m_pDriveCombo->SetVisible(false);
}

void CMainWnd::Notify(Facet::TNotifyUI& msg) {
    if (msg.type.CompareNoCase(L"click") != 0 || !msg.sender) return;
    const Facet::CDuiString name = msg.sender->GetName();
    if (name.CompareNoCase(L"closebtn") == 0) {
        Close(IDOK);
    } else if (name.CompareNoCase(L"minibtn") == 0) {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name.CompareNoCase(L"formatbtn") == 0) {
        OnFormatClick();
    }
}

}  // namespace app
