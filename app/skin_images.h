// The image descriptions the window sets at run time, from the images in the
// executable's resources.
#pragma once

namespace app {

inline constexpr wchar_t kComboNormalImage[] = L"res='182' restype='png'";
inline constexpr wchar_t kComboHotImage[] = L"res='183' restype='png'";
// Frame 0 of the disk strip: no drive; frame 1: a drive present. A run
// animates frames 1 to 17 (the source rectangle moves by 83 pixels a frame).
inline constexpr wchar_t kDiskNoDrive[] = L"res='173' restype='png' source='0, 0, 83, 83'";
inline constexpr wchar_t kDiskPresent[] = L"res='173' restype='png' source='83, 0, 166, 83'";
inline constexpr wchar_t kDiskFrameFormat[] = L"res='173' restype='png' source='%d,0,%d,83'";
inline constexpr int kDiskFrameWidth = 83;
inline constexpr wchar_t kFormatDisabledImage[] = L"res='168' restype='png'";
inline constexpr wchar_t kFormatImage[] = L"res='169' restype='png'";
inline constexpr wchar_t kFormatPushedImage[] = L"res='170' restype='png'";

}  // namespace app
