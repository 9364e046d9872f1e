// The simulated queries keep the system calls' buffer rules and path forms,
// so code that passes against them does not overrun or misname on Windows;
// and they notice handles closed twice.
#include "simulated_windows/simulated_drive_query.h"

#include <gtest/gtest.h>

#include <string>

#include "machine_builder.h"

namespace drives {
namespace {

class SimulatedQuery : public ::testing::Test {
protected:
    void SetUp() override {
        machine.UsbStick(L'E', 1).UsbStick(L'F', 2);
        query = std::make_unique<SimulatedDriveQuery>(machine.table);
    }
    testing::MachineBuilder machine;
    std::unique_ptr<SimulatedDriveQuery> query;
};

TEST_F(SimulatedQuery, DriveStringsLikeTheSystem) {
    wchar_t small[8];
    std::fill(std::begin(small), std::end(small), L'#');
    EXPECT_EQ(query->LogicalDriveStrings(8, small), 9u);  // too small: the size needed, nothing written
    EXPECT_EQ(small[0], L'#');
    wchar_t strings[9];
    EXPECT_EQ(query->LogicalDriveStrings(9, strings), 8u);
    EXPECT_EQ(std::wstring(strings, 9), std::wstring(L"E:\\\0F:\\\0\0", 9));
}

TEST_F(SimulatedQuery, DeviceIdFillingTheBufferIsLeftUnterminated) {
    machine.Node(testing::ParentNode(1)).id = L"USB\\X";
    query = std::make_unique<SimulatedDriveQuery>(machine.table);
    wchar_t id[6];
    std::fill(std::begin(id), std::end(id), L'#');
    EXPECT_EQ(query->DeviceId(testing::ParentNode(1), id, 5), static_cast<CONFIGRET>(CR_SUCCESS));
    EXPECT_EQ(id[5], L'#');
    EXPECT_EQ(query->DeviceId(testing::ParentNode(1), id, 4), static_cast<CONFIGRET>(CR_BUFFER_SMALL));
}

TEST_F(SimulatedQuery, DoubleCloseAndUseAfterCloseAreCounted) {
    HANDLE volume = query->OpenVolume(L"\\\\?\\E:");
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(query->Balanced());
    query->CloseDeviceHandle(volume);
    EXPECT_TRUE(query->Balanced());
    STORAGE_DEVICE_NUMBER number{};
    EXPECT_FALSE(query->StorageDeviceNumber(volume, number));
    query->CloseDeviceHandle(volume);
    EXPECT_EQ(query->Misuses(), 2);
    EXPECT_FALSE(query->Balanced());
}

TEST_F(SimulatedQuery, InterfaceDetailChecksTheCallersRecordSizes) {
    HDEVINFO set = query->OpenInterfaceSet(kDiskInterfaceClass);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    ASSERT_TRUE(query->EnumInterface(set, kDiskInterfaceClass, 0, data));
    union {
        SP_DEVICE_INTERFACE_DETAIL_DATA_W detail;
        BYTE bytes[1024];
    } buffer{};
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(query->InterfaceDetail(set, data, &buffer.detail, sizeof buffer, info));  // cbSize unset
    buffer.detail.cbSize = sizeof buffer.detail;
    EXPECT_TRUE(query->InterfaceDetail(set, data, &buffer.detail, sizeof buffer, info));
    EXPECT_EQ(info.DevInst, testing::DiskNode(1));
    EXPECT_FALSE(query->EnumInterface(set, kDiskInterfaceClass, 2, data));
    query->CloseInterfaceSet(set);
    EXPECT_TRUE(query->Balanced());
}

}  // namespace
}  // namespace drives
