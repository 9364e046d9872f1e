// The shipped executable asks Windows about its drives.
#include "app/drive_source.h"

#include "drives/win32_drive_query.h"

namespace app {

drives::DriveQuery& ApplicationDriveQuery() {
    static drives::Win32DriveQuery query;
    return query;
}

std::unique_ptr<drives::DriveQuery> NewDriveQuery() { return std::make_unique<drives::Win32DriveQuery>(); }

fat32::VolumeCalls& ApplicationVolumeCalls() { return fat32::SystemVolumeCalls(); }

}  // namespace app
