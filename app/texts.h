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
// A listed USB stick with no volume the system gave a letter. Printf
// format: the disk number, then the size text.
inline constexpr LocaleText kStickItem = {L"磁盘 %u (无盘符) %s", L"Disk %u (no letter) %s"};
// The offer to use the whole stick, asked before the usual confirmation of a
// stick that is not whole. The first line says why (printf formats: the
// letter, the volume's size, the stick's size, the disk number; the stick's
// size, the disk number, the count of partitions, the letter; the stick's
// size, the disk number), the question follows (the letter).
inline constexpr LocaleText kOfferVolumeSmaller = {L"%c: 只占用了 %s，而整个U盘 (%s，磁盘 %u) 都可以使用。",
                                                   L"%c: uses only %s of this USB stick (%s, disk %u)."};
inline constexpr LocaleText kOfferPartitions = {L"这个U盘 (%s，磁盘 %u) 有 %u 个分区，%c: 是其中之一。",
                                                L"This USB stick (%s, disk %u) holds %u partitions; %c: is one of them."};
inline constexpr LocaleText kOfferGpt = {
    L"这个U盘 (%s，磁盘 %u) 使用GPT分区表，许多相机、游戏机和车载音响无法读取。",
    L"This USB stick (%s, disk %u) has a GPT partition table, which many cameras, consoles and car stereos "
    L"cannot read."};
inline constexpr LocaleText kOfferQuestion = {
    L"\r\n\r\n使用整个U盘吗?\r\n是: 将整个U盘做成一个FAT32卷 (之后会请您确认)。\r\n否: 只格式化 %c:，分区保持不变。",
    L"\r\n\r\nUse the whole stick?\r\nYes: make the whole stick one FAT32 volume (you will be asked to "
    L"confirm).\r\nNo: format only %c:, and keep the partitions as they are."};
// The confirmation of a whole stick: what is erased (the disk number, its
// size), one line per volume lost, what it becomes.
inline constexpr LocaleText kWholeWarning = {L"警告! 整个U盘 (磁盘 %u，%s) 将被清除，其上所有数据将会丢失:",
                                             L"Warning! The whole USB stick (disk %u, %s) will be erased, and all "
                                             L"the data on it will be lost:"};
// A lost volume without a letter: the partition number, its size.
inline constexpr LocaleText kWholePartition = {L"分区 %u (无盘符) %s", L"partition %u (no drive letter) %s"};
inline constexpr LocaleText kWholeNoPartition = {L"(没有分区)", L"(no partition)"};
inline constexpr LocaleText kWholeMbrLimit = {L"卷结束于 2 TB 处，这是MBR分区表能描述的上限，其后的空间不会被使用。",
                                              L"The volume ends at 2 TB, the most an MBR partition table "
                                              L"describes; the space after it stays unused."};
inline constexpr LocaleText kWholeQuestion = {L"整个U盘将成为一个FAT32卷。您真的想进行格式化吗?",
                                              L"The whole stick becomes one FAT32 volume. Do you really want to "
                                              L"format it?"};
// Printf format: the disk number.
inline constexpr LocaleText kShutdownReasonStick = {L"正在格式化USB磁盘 %u，请等待完成。",
                                                    L"Formatting the USB disk %u; wait until it is done."};
// What a screen reader calls the controls that show no text of their own.
inline constexpr LocaleText kDriveBoxName = {L"请选择盘符", L"Choose a drive"};
inline constexpr LocaleText kCloseName = {L"关闭", L"Close"};
inline constexpr LocaleText kMinimizeName = {L"最小化", L"Minimize"};
inline constexpr LocaleText kDiskPictureName = {L"U盘", L"USB drive"};
inline constexpr LocaleText kProgressName = {L"格式化进度", L"Format progress"};
inline constexpr LocaleText kStartNoticeCaption = {L"Varqo文件系统格式化工具V1.0",
                                                   L"Varqo文件系统格式化工具V1.0"};

}  // namespace app
