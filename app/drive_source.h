// Where the window's drive queries and volume calls are answered: the bottom
// layer, the one thing in which the two executables differ. The shipped
// executable links the system's answers; the simulation executable links a
// simulated Windows machine whose drives are read from a file, so the whole
// window, the shipped volume device included, runs under Wine. The choice is
// made at link time: no switch in the shipped program selects it.
#pragma once

#include <memory>

#include "devices/volume_calls.h"
#include "drives/drive_query.h"

namespace app {

// The process's drive queries; lives as long as the process.
drives::DriveQuery& ApplicationDriveQuery();

// A query object of its own, for the format worker's thread: the window's
// query belongs to the window's thread.
std::unique_ptr<drives::DriveQuery> NewDriveQuery();

// The volume calls of the same machine, for the format worker's volume device.
fat32::VolumeCalls& ApplicationVolumeCalls();

}  // namespace app
