#include "mapdata/data_files.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace eld {

std::string ExecutableFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string FindDataFolder() {
    std::string exe = ExecutableFolder();
    std::error_code ec;
    if (std::filesystem::exists(DataFilePath(exe, "atompar2.txt"), ec)) return exe;
    std::string share = exe + "/../share/eldview";
    if (std::filesystem::exists(DataFilePath(share, "atompar2.txt"), ec)) return share;
    return exe;
}

std::string DataFilePath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace eld
