#include "eldmap/args.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mapdata/eld_error.h"

namespace eld::eldmap {

bool ParseFloat(const char* text, float& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    float v = std::strtof(text, &end);
    if (*end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool ParseInt(const char* text, int& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

bool HasExtension(const std::string& path, const std::string& ext) {
    if (path.size() < ext.size()) return false;
    for (std::size_t i = 0; i < ext.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - ext.size() + i])) !=
            std::tolower(static_cast<unsigned char>(ext[i])))
            return false;
    return true;
}

std::string FloatText(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    return buf;
}

std::string TakeModelOption(int& argc, char** argv) {
    std::string model;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--model") {
            if (i + 1 >= argc) fail("--model needs a model file (.pdb, .ent, .cif, .mmcif)");
            model = argv[++i];
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    return model;
}

std::string TakeMapArgument(const std::string& arg, std::string& map) {
    if (!arg.empty() && arg[0] == '-') return "unknown option '" + arg + "'";
    if (!map.empty()) return "more than one map given ('" + map + "', '" + arg + "')";
    map = arg;
    return "";
}

}  // namespace eld::eldmap
