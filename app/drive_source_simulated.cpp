// The simulation executable answers from the drive table file named by the
// environment variable VARQO_SIM_DRIVES (format: drives/README.md). The file
// is read afresh at the start of every scan, so a test or a user can plug and
// unplug drives by editing it while the window runs. Without the variable, or
// with a file that does not parse, the machine has no drives at all.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/drive_source.h"
#include "drives/drive_table_file.h"
#include "drives/simulated_drive_query.h"

namespace app {
namespace {

class ReloadingDriveQuery : public drives::SimulatedDriveQuery {
public:
    // A scan starts by listing the drive strings.
    DWORD LogicalDriveStrings(DWORD bufferLength, wchar_t* buffer) override {
        Reload();
        return SimulatedDriveQuery::LogicalDriveStrings(bufferLength, buffer);
    }

private:
    void Reload() {
        drives::SimulatedDriveTable fresh;
        const wchar_t* path = ::_wgetenv(L"VARQO_SIM_DRIVES");
        std::string error;
        if (path && *path && !drives::LoadDriveTable(path, fresh, error)) {
            std::fprintf(stderr, "simulated drives: %s\n", error.c_str());
            fresh = {};
        }
        table() = fresh;
    }
};

}  // namespace

drives::DriveQuery& ApplicationDriveQuery() {
    static ReloadingDriveQuery query;
    return query;
}

}  // namespace app
