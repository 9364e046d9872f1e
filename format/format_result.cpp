// Result messages and the cluster-size policy. The texts are shown exactly as
// they stand, full-width punctuation included.
#include "format/format_result.h"

namespace fat32 {
namespace {

const char kDeviceTooLargeZh[] = "失败，设备可能大于2TB";
const char kDeviceTooLargeEn[] = "Failure! Device volume no big than 2TB!";

const ResultMessage kMessages[] = {
    {"格式化完成！", "Formation complete!", kIconInformation},
    {"内部错误", "Internal error", kIconError},
    {"仅支持512字节每扇区设备", "Support device with sector in 512bytes only!", kIconWarning},
    {"锁定设备失败，请重新插拔设备，再重试！",
     "Lock failed, pull device out and try again, please!", kIconWarning},
    {"卸载设备失败，请重新插拔设备，再重试！",
     "Uninstall failed, pull device out and try again, please!", kIconWarning},
    {"设置分区信息失败，请重新插拔设备，再重试！",
     "Device partition failed, pull it out and try again, please!", kIconWarning},
    {kDeviceTooLargeZh, kDeviceTooLargeEn, kIconWarning},
    {"失败，设备可能小于32MB", "Failure, devices may be less than 32 MB", kIconWarning},
    {kDeviceTooLargeZh, kDeviceTooLargeEn, kIconWarning},
    {"内部错误，分配内存失败,请关闭一些程序后，再重试！",
     "Internal error! Allocate memory failed! Close other programs and try again!", kIconError},
    {"失败，不支持大于2TB设备", "Failure! Device volume more than 2TB not supported!", kIconWarning},
    {"失败，不支持小于32MB设备", "Failure! Device volume less than 32MB not supported!", kIconWarning},
    {"获取设备分区信息失败，请重新插拔设备，再重试！",
     "Failed to get device partition information, pull it out and try again, please!", kIconWarning},
    {"获取设备信息失败，请重新插拔设备，再重试！",
     "Failed to get device information, pull it out and try again, please!", kIconWarning},
    {"另一个软件或进程在使用此驱动器，请关闭再重试！",
     "Another software or processes are using this drive, turn it off and try again, please!",
     kIconWarning},
    {"打开设备失败，请重新插拔设备，再重试！",
     "Failed to open device, pull it out and try again, please!", kIconWarning},
    {"设备写操作失败，请重新插拔设备，再重试！",
     "Equipment write operation failed, please plug the equipment again, and try again!",
     kIconWarning},
};

static_assert(sizeof(kMessages) / sizeof(kMessages[0]) == kWriteFailed + 1,
              "one message per result code");

}  // namespace

const ResultMessage* FindResultMessage(FormatResult result) {
    static const ResultMessage driveChanged{
        "格式化开始前驱动器已被拔出或更换，没有写入任何数据。请重新选择驱动器！",
        "The drive was removed or changed before formatting began; nothing was written. "
        "Choose the drive again, please!",
        kIconWarning};
    static const ResultMessage belowFat32Minimum{
        "失败，FAT32 至少需要 65536 个簇，设备容量需大于约 32.6MB！",
        "Failure! FAT32 needs at least 65,536 clusters: the device must hold more than about "
        "32.6 MB!",
        kIconWarning};
    static const ResultMessage adminRightsNeeded{
        "需要管理员权限才能格式化驱动器，没有写入任何数据。请以管理员身份运行！",
        "Administrator rights are needed to format a drive; nothing was written. "
        "Run the tool as administrator, please!",
        kIconWarning};
    if (result == kDriveChanged) return &driveChanged;
    if (result == kAdminRightsNeeded) return &adminRightsNeeded;
    if (result == kBelowFat32Minimum) return &belowFat32Minimum;
    if (result < kFormatOk || result > kWriteFailed) return nullptr;
    return &kMessages[result];
}

const ResultMessage& FakeCapacityMessage() {
    static const ResultMessage message{
        "失败，设备实际容量只有约 %llu MB，超出部分的数据会覆盖之前的数据！",
        "Failure! The device holds only about %llu MB; data written beyond that overwrites "
        "earlier data!",
        kIconError};
    return message;
}

const char* ResultCaption(bool chinese) { return chinese ? "提示" : "Info"; }

std::int32_t RequestedSectorsPerCluster(std::uint32_t megabytes) {
    if (megabytes == kCapacityUnknown) return 0;
    return static_cast<std::int32_t>(SectorsPerClusterForCapacity(megabytes));
}

std::uint32_t SectorsPerClusterForCapacity(std::uint32_t megabytes) {
    const std::uint32_t x = megabytes;
    const std::uint32_t gigabytes = x / 1024;
    // The small sizes skip the powers of two (64, 128, 256) on purpose: those
    // fall through to the 4 KiB default.
    if ((x >= 33 && x <= 63) || (x >= 65 && x <= 127) || (x >= 129 && x <= 255)) return 16;
    if (x > 256 && gigabytes < 8) return 8;
    if (gigabytes >= 9 && gigabytes <= 15) return 16;
    if (gigabytes >= 17 && gigabytes <= 31) return 32;
    if (gigabytes >= 33 && gigabytes <= 2047) return 64;
    return 8;
}

}  // namespace fat32
