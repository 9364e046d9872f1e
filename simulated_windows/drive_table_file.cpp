// The drive-table file reader: one record per line, parsed into a fresh table
// that replaces the caller's only when every line was accepted.
#include "simulated_windows/drive_table_file.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cwchar>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace drives {

namespace {

struct Field {
    std::string name;
    std::string value;
};

struct NamedValue {
    const char* name;
    unsigned value;
};

constexpr NamedValue kDriveTypes[] = {
    {"unknown", DRIVE_UNKNOWN}, {"no-root", DRIVE_NO_ROOT_DIR}, {"removable", DRIVE_REMOVABLE},
    {"fixed", DRIVE_FIXED},     {"remote", DRIVE_REMOTE},       {"cdrom", DRIVE_CDROM},
    {"ramdisk", DRIVE_RAMDISK},
};
constexpr NamedValue kDriveFailures[] = {
    {"open", kFailOpen},         {"number", kFailDeviceNumber}, {"dos", kFailDosName},
    {"space", kFailDiskSpace},   {"volume", kFailVolumeInfo},
    {"lock", kFailLock},         {"geometry", kFailGeometry},
    {"raw", kFailRaw},           {"in-use", kFailInUse},        {"volume-once", kFailVolumeOnce},
};
constexpr NamedValue kHeldBy[] = {
    {"open", kFailLock}, {"exclusive", kFailInUse}, {"lock", kHeldLocked},
};
constexpr NamedValue kMediumStates[] = {
    {"raw", kFailRaw}, {"write-protected", kWriteProtected}, {"pulled-at-unlock", kPulledAtUnlock},
};
constexpr NamedValue kInterfaceFailures[] = {
    {"open", kFailOpen}, {"number", kFailDeviceNumber}, {"detail-size", kFailDetailSize}, {"detail", kFailDetail},
};
// STORAGE_BUS_TYPE values [STORAGE_BUS_TYPE enumeration].
constexpr NamedValue kBusTypes[] = {
    {"scsi", 1}, {"atapi", 2}, {"ata", 3}, {"usb", 7}, {"sata", 11}, {"sd", 12}, {"nvme", 17},
};
constexpr NamedValue kDeviceFailures[] = {{"parent", kFailParent}, {"id", kFailDeviceId}};
constexpr NamedValue kGlobalFailures[] = {
    {"drive-strings", kFailDriveStrings},
    {"disk-interfaces", kFailDiskInterfaces},
    {"floppy-interfaces", kFailFloppyInterfaces},
};

template <std::size_t N>
const NamedValue* Lookup(const NamedValue (&names)[N], const std::string& name) {
    for (const NamedValue& entry : names) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

// One line's parse, with the message for its first fault.
class LineParser {
public:
    LineParser(int number, std::string& error) : number_(number), error_(error) {}

    bool Fault(const std::string& what) {
        error_ = "line " + std::to_string(number_) + ": " + what;
        return false;
    }

    // Splits at blanks; double quotes group blanks into a value and are
    // dropped.
    bool Split(const std::string& line, std::vector<std::string>& tokens) {
        std::string token;
        bool inToken = false;
        bool quoted = false;
        for (const char ch : line) {
            if (ch == '"') {
                quoted = !quoted;
                inToken = true;
            } else if (!quoted && (ch == ' ' || ch == '\t')) {
                if (inToken) tokens.push_back(std::move(token));
                token.clear();
                inToken = false;
            } else {
                token += ch;
                inToken = true;
            }
        }
        if (quoted) return Fault("a double quote is not closed");
        if (inToken) tokens.push_back(std::move(token));
        return true;
    }

    // The tokens from `first` on, each name=value.
    bool Fields(const std::vector<std::string>& tokens, std::size_t first, std::vector<Field>& fields) {
        std::set<std::string> seen;
        for (std::size_t i = first; i < tokens.size(); ++i) {
            const std::size_t equals = tokens[i].find('=');
            if (equals == std::string::npos || equals == 0)
                return Fault("expected name=value, found '" + tokens[i] + "'");
            Field field{tokens[i].substr(0, equals), tokens[i].substr(equals + 1)};
            if (!seen.insert(field.name).second) return Fault("field '" + field.name + "' is given twice");
            fields.push_back(std::move(field));
        }
        return true;
    }

    bool Number(const Field& field, DWORD& value) { return Number(field.name, field.value, value); }

    bool Number(const std::string& what, const std::string& text, DWORD& value) {
        unsigned long long parsed = 0;
        if (text.empty() || text.size() > 10) return Fault(what + " must be a number from 0 to 4294967295");
        for (const char ch : text) {
            if (ch < '0' || ch > '9') return Fault(what + " must be a number from 0 to 4294967295");
            parsed = parsed * 10 + static_cast<unsigned>(ch - '0');
        }
        if (parsed > 0xFFFFFFFFull) return Fault(what + " must be a number from 0 to 4294967295");
        value = static_cast<DWORD>(parsed);
        return true;
    }

    bool Text(const Field& field, std::wstring& value) {
        value.clear();
        if (field.value.empty()) return true;
        const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, field.value.data(),
                                                static_cast<int>(field.value.size()), nullptr, 0);
        if (units <= 0) return Fault(field.name + " is not valid UTF-8");
        value.resize(static_cast<std::size_t>(units));
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, field.value.data(), static_cast<int>(field.value.size()),
                              &value[0], units);
        return true;
    }

    template <std::size_t N>
    bool Failures(const Field& field, const NamedValue (&names)[N], unsigned& bits) {
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = field.value.find(',', start);
            const std::string name = field.value.substr(start, comma == std::string::npos ? comma : comma - start);
            const NamedValue* entry = Lookup(names, name);
            if (!entry) return Fault("unknown failure '" + name + "'");
            bits |= entry->value;
            if (comma == std::string::npos) return true;
            start = comma + 1;
        }
    }

    bool UnknownField(const std::string& record, const Field& field) {
        return Fault("unknown field '" + field.name + "' for " + record);
    }

private:
    int number_;
    std::string& error_;
};

// A drive record (`letterText` its letter), or a volume record with no
// letter (`letterText` empty), whose fields are a drive's.
bool ParseDrive(LineParser& p, const std::string& letterText, const std::vector<Field>& fields,
                SimulatedDrive& drive) {
    const bool lettered = !letterText.empty();
    const bool colon = letterText.size() == 2 && letterText[1] == ':';
    if (lettered && (!(letterText.size() == 1 || colon) || !((letterText[0] >= 'A' && letterText[0] <= 'Z') ||
                                                             (letterText[0] >= 'a' && letterText[0] <= 'z'))))
        return p.Fault("'" + letterText + "' is not a drive letter");
    if (lettered) drive.letter = static_cast<wchar_t>(letterText[0] & ~0x20);
    bool typed = !lettered;
    for (const Field& f : fields) {
        bool ok = true;
        if (f.name == "type") {
            const NamedValue* named = Lookup(kDriveTypes, f.value);
            DWORD number = 0;
            if (named) {
                drive.type = named->value;
            } else if (!f.value.empty() && f.value[0] >= '0' && f.value[0] <= '9') {
                ok = p.Number(f, number);
                drive.type = number;
            } else {
                ok = p.Fault("unknown drive type '" + f.value + "'");
            }
            typed = true;
        } else if (f.name == "number") {
            ok = p.Number(f, drive.deviceNumber);
        } else if (f.name == "dos") {
            ok = p.Text(f, drive.dosName);
        } else if (f.name == "sectors") {
            ok = p.Number(f, drive.sectorsPerCluster);
        } else if (f.name == "bytes") {
            ok = p.Number(f, drive.bytesPerSector);
        } else if (f.name == "clusters") {
            ok = p.Number(f, drive.totalClusters);
        } else if (f.name == "free") {
            ok = p.Number(f, drive.freeClusters);
        } else if (f.name == "label") {
            ok = p.Text(f, drive.label);
        } else if (f.name == "fs") {
            ok = p.Text(f, drive.fileSystem);
        } else if (f.name == "serial") {
            ok = p.Number(f, drive.serial);
        } else if (f.name == "changes") {
            ok = p.Number(f, drive.mediaChanges);
        } else if (f.name == "image") {
            ok = p.Text(f, drive.image);
        } else if (f.name == "delay") {
            ok = p.Number(f, drive.writeDelayMs);
        } else if (f.name == "pulled-at-write") {
            ok = p.Number(f, drive.pulledAtWrite);
        } else if (f.name == "guid") {
            ok = p.Number(f, drive.diskGuid);
        } else if (f.name == "swap") {
            ok = p.Text(f, drive.swapImage);
        } else if (f.name == "partition") {
            ok = p.Number(f, drive.partition);
        } else if (f.name == "held") {
            ok = p.Failures(f, kHeldBy, drive.failures);
        } else if (f.name == "state") {
            ok = p.Failures(f, kMediumStates, drive.failures);
        } else if (f.name == "fail") {
            ok = p.Failures(f, kDriveFailures, drive.failures);
        } else {
            ok = p.UnknownField("drive", f);
        }
        if (!ok) return false;
    }
    if (!typed) return p.Fault("drive " + letterText + " needs type=");
    if (!lettered && !drive.partition) return p.Fault("volume needs number= and partition= of a disk");
    return true;
}

bool ParseInterface(LineParser& p, const std::string& kind, const std::string& path,
                    const std::vector<Field>& fields, SimulatedInterface& iface) {
    if (kind != "disk" && kind != "floppy") return p.Fault("interface class must be disk or floppy");
    iface.floppy = kind == "floppy";
    if (!p.Text(Field{"path", path}, iface.devicePath)) return false;
    if (iface.devicePath.empty()) return p.Fault("interface needs a device path");
    bool hasInstance = false;
    for (const Field& f : fields) {
        bool ok = true;
        if (f.name == "instance") {
            DWORD instance = 0;
            ok = p.Number(f, instance);
            iface.instance = instance;
            hasInstance = true;
        } else if (f.name == "number") {
            ok = p.Number(f, iface.deviceNumber);
        } else if (f.name == "fail") {
            ok = p.Failures(f, kInterfaceFailures, iface.failures);
        } else {
            ok = p.UnknownField("interface", f);
        }
        if (!ok) return false;
    }
    if (!hasInstance || iface.instance == 0) return p.Fault("interface needs instance= other than 0");
    return true;
}

bool ParseDevice(LineParser& p, const std::string& instanceText, const std::vector<Field>& fields,
                 SimulatedDevice& device) {
    DWORD instance = 0;
    if (!p.Number("the device instance", instanceText, instance)) return false;
    if (instance == 0) return p.Fault("device instance 0 stands for no device");
    device.instance = instance;
    for (const Field& f : fields) {
        bool ok = true;
        if (f.name == "parent") {
            DWORD parent = 0;
            ok = p.Number(f, parent);
            device.parent = parent;
        } else if (f.name == "id") {
            ok = p.Text(f, device.id);
        } else if (f.name == "fail") {
            ok = p.Failures(f, kDeviceFailures, device.failures);
        } else {
            ok = p.UnknownField("device", f);
        }
        if (!ok) return false;
    }
    return true;
}

bool ParseDisk(LineParser& p, const std::string& numberText, const std::vector<Field>& fields,
               SimulatedDisk& disk) {
    if (!p.Number("the disk number", numberText, disk.number)) return false;
    for (const Field& f : fields) {
        bool ok = true;
        if (f.name == "image") {
            ok = p.Text(f, disk.image);
        } else if (f.name == "bus") {
            const NamedValue* named = Lookup(kBusTypes, f.value);
            ok = named ? (disk.busType = named->value, true) : p.Fault("unknown bus '" + f.value + "'");
        } else if (f.name == "media") {
            ok = f.value == "removable" || f.value == "fixed" ? (disk.removable = f.value == "removable", true)
                                                              : p.Fault("media is removable or fixed");
        } else if (f.name == "pulled-at-write") {
            ok = p.Number(f, disk.pulledAtWrite);
        } else if (f.name == "guid") {
            ok = p.Number(f, disk.guid);
        } else {
            ok = p.UnknownField("disk", f);
        }
        if (!ok) return false;
    }
    if (disk.image.empty()) return p.Fault("disk " + numberText + " needs image=");
    return true;
}

bool ParseLine(LineParser& p, const std::string& line, SimulatedDriveTable& table) {
    std::vector<std::string> tokens;
    if (!p.Split(line, tokens)) return false;
    if (tokens.empty()) return true;
    const std::string& keyword = tokens[0];
    if (keyword != "drive" && keyword != "interface" && keyword != "device" && keyword != "fail" &&
        keyword != "user" && keyword != "disk" && keyword != "windows" && keyword != "system" &&
        keyword != "pagefile" && keyword != "volume")
        return p.Fault("unknown record '" + keyword + "'");
    if (keyword == "system") {
        const std::string letter = tokens.size() == 2 ? tokens[1] : std::string();
        if (letter.size() != 2 || letter[1] != ':' || !std::isalpha(static_cast<unsigned char>(letter[0])))
            return p.Fault("system takes the Windows folder's drive letter, as C:");
        table.systemDrive = static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(letter[0])));
        return true;
    }
    if (keyword == "pagefile") {
        if (tokens.size() != 2) return p.Fault("pagefile takes one path, as C:\\pagefile.sys, and no fields");
        std::wstring path;
        if (!p.Text(Field{"pagefile", tokens[1]}, path)) return false;
        if (path.empty()) return p.Fault("pagefile needs a path");
        // The registry names a page file by its NT path.
        table.pageFiles.push_back(path[0] == L'\\' ? path : L"\\??\\" + path);
        return true;
    }
    if (keyword == "user") {
        if (tokens.size() != 2 || (tokens[1] != "administrator" && tokens[1] != "standard"))
            return p.Fault("user is administrator or standard");
        table.elevated = tokens[1] == "administrator";
        return true;
    }
    if (keyword == "windows") {
        if (tokens.size() != 2 || (tokens[1] != "8.1" && tokens[1] != "10"))
            return p.Fault("windows is 8.1 or 10");
        table.windows10 = tokens[1] == "10";
        return true;
    }
    if (keyword == "fail") {
        if (tokens.size() != 2) return p.Fault("fail takes one name and no fields");
        return p.Failures(Field{"fail", tokens[1]}, kGlobalFailures, table.failures);
    }
    // Values before the fields: the interface has its class and its path, a
    // volume with no letter none.
    const std::size_t positional = keyword == "interface" ? 2 : keyword == "volume" ? 0 : 1;
    if (tokens.size() < 1 + positional) {
        return p.Fault(keyword == "interface" ? "interface needs a class (disk or floppy) and a device path"
                                              : keyword + " needs a value after the keyword");
    }
    std::vector<Field> fields;
    if (!p.Fields(tokens, 1 + positional, fields)) return false;

    if (keyword == "drive") {
        SimulatedDrive drive;
        if (!ParseDrive(p, tokens[1], fields, drive)) return false;
        for (const SimulatedDrive& other : table.drives) {
            if (other.letter == drive.letter) return p.Fault("drive " + tokens[1] + " is listed twice");
        }
        table.drives.push_back(std::move(drive));
    } else if (keyword == "volume") {
        SimulatedDrive volume;
        volume.type = DRIVE_REMOVABLE;
        if (!ParseDrive(p, std::string(), fields, volume)) return false;
        wchar_t key = kFirstUnletteredVolume;
        for (const SimulatedDrive& other : table.drives) key += HasLetter(other) ? 0 : 1;
        volume.letter = key;
        table.drives.push_back(std::move(volume));
    } else if (keyword == "disk") {
        SimulatedDisk disk;
        if (!ParseDisk(p, tokens[1], fields, disk)) return false;
        for (const SimulatedDisk& other : table.disks) {
            if (other.number == disk.number) return p.Fault("disk " + tokens[1] + " is listed twice");
        }
        table.disks.push_back(std::move(disk));
    } else if (keyword == "interface") {
        SimulatedInterface iface;
        if (!ParseInterface(p, tokens[1], tokens[2], fields, iface)) return false;
        for (const SimulatedInterface& other : table.interfaces) {
            if (::_wcsicmp(other.devicePath.c_str(), iface.devicePath.c_str()) == 0)
                return p.Fault("device path is listed twice");
        }
        table.interfaces.push_back(std::move(iface));
    } else {
        SimulatedDevice device;
        if (!ParseDevice(p, tokens[1], fields, device)) return false;
        for (const SimulatedDevice& other : table.devices) {
            if (other.instance == device.instance) return p.Fault("device " + tokens[1] + " is listed twice");
        }
        table.devices.push_back(std::move(device));
    }
    return true;
}

std::string Utf8(const wchar_t* text) {
    if (!text) return "(no path)";
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

}  // namespace

bool ParseDriveTable(const std::string& text, SimulatedDriveTable& table, std::string& error) {
    SimulatedDriveTable parsed;
    std::size_t start = 0;
    // A UTF-8 byte-order mark, as some Windows editors write one.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    for (int number = 1; start <= text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;

        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        LineParser parser(number, error);
        if (!ParseLine(parser, line, parsed)) return false;
    }
    table = std::move(parsed);
    return true;
}

bool LoadDriveTable(const wchar_t* path, SimulatedDriveTable& table, std::string& error) {
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(path ? ::_wfopen(path, L"rb") : nullptr, &std::fclose);
    if (!file) {
        error = "cannot open " + Utf8(path);
        return false;
    }
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) text.append(chunk, got);
    if (std::ferror(file.get())) {
        error = "cannot read " + Utf8(path);
        return false;
    }
    return ParseDriveTable(text, table, error);
}

}  // namespace drives
