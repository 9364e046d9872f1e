// A mountinfo line: "ID PARENT MAJOR:MINOR ROOT MOUNTPOINT OPTIONS ...", with
// blanks, tabs, newlines and backslashes in paths written as \ooo octal.
#include "devices/mount_table.h"

#include <fstream>
#include <sstream>

namespace fat32 {
namespace {

std::string Unescape(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                text += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

}  // namespace

std::string MountPointOf(unsigned major, unsigned minor, const std::string& mountinfo) {
    std::ifstream file(mountinfo);
    const std::string device = std::to_string(major) + ":" + std::to_string(minor);
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string id, parent, number, root, mountPoint;
        if (fields >> id >> parent >> number >> root >> mountPoint && number == device)
            return Unescape(mountPoint);
    }
    return std::string();
}

}  // namespace fat32
