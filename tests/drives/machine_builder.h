// Builds simulated machines for the drive tests. A drive with device number n
// has its disk interface at device node 100 + n, whose parent is node
// 200 + n; a USB drive's parent identifier is a USB one, a SATA drive's not.
#pragma once

#include <string>

#include "simulated_windows/simulated_drive_table.h"

namespace drives {
namespace testing {

inline constexpr DEVINST DiskNode(DWORD number) { return 100 + number; }
inline constexpr DEVINST ParentNode(DWORD number) { return 200 + number; }

class MachineBuilder {
public:
    // A volume on a disk whose parent has the given identifier, with its
    // disk (or floppy) interface and both device nodes.
    MachineBuilder& Drive(wchar_t letter, DWORD number, UINT type, const std::wstring& parentId,
                          bool floppy = false) {
        SimulatedDrive drive;
        drive.letter = letter;
        drive.type = type;
        drive.deviceNumber = number;
        drive.dosName = floppy ? L"\\Device\\Floppy" + std::to_wstring(number)
                               : L"\\Device\\HarddiskVolume" + std::to_wstring(number);
        drive.sectorsPerCluster = 8;
        drive.bytesPerSector = 512;
        drive.totalClusters = 1962243;
        drive.freeClusters = 1000000;
        drive.label = std::wstring(L"VOL_") + letter;
        drive.fileSystem = L"FAT32";
        table.drives.push_back(drive);
        Interface(number, floppy);
        SimulatedDevice disk;
        disk.instance = DiskNode(number);
        disk.parent = ParentNode(number);
        disk.id = L"USBSTOR\\DISK&VEN_SIM&PROD_DISK\\" + std::to_wstring(number);
        table.devices.push_back(disk);
        SimulatedDevice parent;
        parent.instance = ParentNode(number);
        parent.id = parentId;
        table.devices.push_back(parent);
        return *this;
    }

    MachineBuilder& UsbStick(wchar_t letter, DWORD number) {
        return Drive(letter, number, DRIVE_REMOVABLE, L"USB\\VID_0781&PID_5567\\4C53000" + std::to_wstring(number));
    }

    MachineBuilder& SataDisk(wchar_t letter, DWORD number) {
        return Drive(letter, number, DRIVE_FIXED, L"PCIIDE\\IDECHANNEL\\4&2617AEAE&0&" + std::to_wstring(number));
    }

    // An interface of the disk (or floppy) class for device number n at node
    // DiskNode(n), with a path unique to it.
    MachineBuilder& Interface(DWORD number, bool floppy = false, DEVINST instance = 0) {
        SimulatedInterface iface;
        iface.floppy = floppy;
        iface.deviceNumber = number;
        iface.instance = instance ? instance : DiskNode(number);
        iface.devicePath = std::wstring(floppy ? L"\\\\?\\fdc#generic_floppy_drive#" : L"\\\\?\\usbstor#disk#") +
                           std::to_wstring(number) + L"#" + std::to_wstring(table.interfaces.size()) +
                           L"#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
        table.interfaces.push_back(iface);
        return *this;
    }

    SimulatedDrive& DriveOf(wchar_t letter) {
        for (SimulatedDrive& drive : table.drives) {
            if (drive.letter == letter) return drive;
        }
        return table.drives.at(table.drives.size());  // a test asked for a drive it never added
    }

    SimulatedInterface& InterfaceOf(DWORD number) {
        for (SimulatedInterface& iface : table.interfaces) {
            if (iface.deviceNumber == number) return iface;
        }
        return table.interfaces.at(table.interfaces.size());
    }

    SimulatedDevice& Node(DEVINST instance) {
        for (SimulatedDevice& device : table.devices) {
            if (device.instance == instance) return device;
        }
        return table.devices.at(table.devices.size());
    }

    SimulatedDriveTable table;
};

}  // namespace testing
}  // namespace drives
