// The shipped executable asks Windows about its drives.
#include "app/drive_source.h"

#include "drives/win32_drive_query.h"

namespace app {

drives::DriveQuery& ApplicationDriveQuery() {
    static drives::Win32DriveQuery query;
    return query;
}

}  // namespace app
