// Where the window's drive queries are answered. The shipped executable links
// the system's answers; the simulation executable links a table of invented
// drives read from a file, so the whole window can be tried under Wine. The
// choice is made at link time: no switch in the shipped program selects it.
#pragma once

#include <memory>

#include "drives/drive_query.h"

namespace app {

// The process's drive queries; lives as long as the process.
drives::DriveQuery& ApplicationDriveQuery();

// A query object of its own, for the format worker's thread: the window's
// query belongs to the window's thread.
std::unique_ptr<drives::DriveQuery> NewDriveQuery();

}  // namespace app
