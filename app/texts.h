// The window's texts in both languages. Chinese is used when the system's
// ANSI code page is 936, English otherwise; the choice is made afresh each
// time a text is picked. Some texts exist only in Chinese.
#pragma once

namespace app {

struct LocaleText {
    const wchar_t* chinese;
    const wchar_t* english;
};

// The text for the code page in force now.
const wchar_t* Localized(const LocaleText& text);

inline constexpr LocaleText kWindowCaption = {L"Varqo文件系统格式化工具V1.0",
                                              L"VARQO file system format tool V1.0"};
inline constexpr LocaleText kPromptText = {L"注意:格式化时请不要随意拔插磁盘",
                                           L"Note: please don't pull out plug disk format"};
inline constexpr LocaleText kPrompt1Text = {L"转化格式后，闪存盘的文件系统会变成FAT32",
                                            L"The flash disk format will be changed to FAT32"};
inline constexpr LocaleText kFormatIdle = {L"格式化", L"Format"};
inline constexpr LocaleText kFormatRunning = {L"正在格式化", L"Formatting..."};
inline constexpr LocaleText kChooseDrive = {L"请选择盘符", L"Choose a drive"};
inline constexpr LocaleText kNoDrive = {L"没有检测到USB设备连接", L"No USB Device detected & connected"};
// Printf formats: the drive letter, then the volume label.
inline constexpr LocaleText kConfirmFormat = {
    L"警告! 所有在 %c: %s 盘上的数据将会丢失!\r\n您真的想进行格式化吗?",
    L"Warning!All the %c:%s the data on the disk will be lost!\r\n Are you really want to format?"};
inline constexpr LocaleText kStartNotice = {L"%c盘，卷标是%s，你已开始格式化",
                                            L"%c盘，卷标是%s，你已开始格式化"};
inline constexpr LocaleText kCloseDuringRun = {
    L"正在向驱动器写入数据，现在关闭可能使驱动器无法读取。\r\n确定要关闭吗?",
    L"The drive is being written. Closing now may leave it unreadable.\r\nClose anyway?"};
// Printf format: the drive letter.
inline constexpr LocaleText kShutdownReason = {L"正在格式化USB驱动器 %c:，请等待完成。",
                                               L"Formatting the USB drive %c:; wait until it is done."};
inline constexpr LocaleText kGivenUpForSession = {
    L"系统要求注销或关机，格式化已在写入前取消，驱动器保持原样。",
    L"The format was cancelled before anything was written, as the system asked to sign out or shut down. "
    L"The drive is as it was."};
inline constexpr LocaleText kCloseBeforeWriting = {
    L"尚未向驱动器写入任何数据。现在关闭将取消格式化，驱动器保持原样。\r\n确定要关闭吗?",
    L"Nothing has been written to the drive yet. Closing now cancels the format and leaves the drive as it "
    L"was.\r\nClose anyway?"};
// What a screen reader calls the controls that show no text of their own.
inline constexpr LocaleText kDriveBoxName = {L"请选择盘符", L"Choose a drive"};
inline constexpr LocaleText kCloseName = {L"关闭", L"Close"};
inline constexpr LocaleText kMinimizeName = {L"最小化", L"Minimize"};
inline constexpr LocaleText kDiskPictureName = {L"U盘", L"USB drive"};
inline constexpr LocaleText kProgressName = {L"格式化进度", L"Format progress"};
inline constexpr LocaleText kStartNoticeCaption = {L"Varqo文件系统格式化工具V1.0",
                                                   L"Varqo文件系统格式化工具V1.0"};

}  // namespace app
