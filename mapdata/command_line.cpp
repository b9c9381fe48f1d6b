#include "mapdata/command_line.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "mapdata/open_map.h"
#include "mapdata/read_model.h"

namespace eld {

std::string JoinArguments(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}

namespace {

// If text starts with the switch, drops it and its separator. The separator is
// whatever character follows; a text of switch + one character becomes empty.
bool StripSwitch(std::string& text, const std::string& name) {
    if (text.compare(0, name.size(), name) != 0) return false;
    text = text.size() > name.size() + 1 ? text.substr(name.size() + 1) : std::string();
    return true;
}

// "-MapRadius R": the number runs to the next blank, which goes with it.
bool StripMapRadius(CommandLineChoice& choice) {
    std::string& text = choice.FileText;
    if (!StripSwitch(text, "-MapRadius")) return false;
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string number = text.substr(0, end);
    text = end < text.size() ? text.substr(end + 1) : std::string();
    char* stop = nullptr;
    const double r = std::strtod(number.c_str(), &stop);
    if (number.empty() || *stop != '\0' || !(r >= 0) || !std::isfinite(r)) {
        choice.BadMapRadius = true;
        return true;
    }
    choice.MapRadius = static_cast<float>(r);
    return true;
}

}  // namespace

CommandLineChoice ParseCommandText(const std::string& text) {
    CommandLineChoice choice{StereoMode::Nothing, text};
    bool radius = StripMapRadius(choice);
    if (StripSwitch(choice.FileText, "-StereoHW")) choice.DisplayMode = StereoMode::StereoHW;
    if (StripSwitch(choice.FileText, "-StereoInterlaced"))
        choice.DisplayMode = StereoMode::StereoInterlaced;
    if (!radius) radius = StripMapRadius(choice);
    if (choice.DisplayMode == StereoMode::Nothing) choice.DisplayMode = StereoMode::NoStereo;
    choice.NoStereo = StripSwitch(choice.FileText, "-NoStereo");
    if (!radius) StripMapRadius(choice);
    return choice;
}

bool EndsWithNoCase(const std::string& name, const std::string& tail) {
    if (name.size() < tail.size()) return false;
    const std::size_t from = name.size() - tail.size();
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[from + i])) !=
            std::tolower(static_cast<unsigned char>(tail[i])))
            return false;
    return true;
}

std::string MapExtension(const std::string& path) {
    return path.size() <= 3 ? path : path.substr(path.size() - 3);
}

MapKind MapKindOf(const std::string& path) {
    const std::string ext = MapExtension(path);
    if (ext == "mt1" || ext == "MT1") return MapKind::Mt1;
    if (ext == "fou" || ext == "FOU") return MapKind::Fou;
    if (ext == "grd" || ext == "GRD") return MapKind::Grd;
    return MapKind::Unknown;
}

std::string WindowTitleFor(const std::string& map_file_name) {
    return kWindowTitlePrefix + map_file_name;
}

ForeignMapText SplitForeignMapText(const std::string& text) {
    auto foreign = [](const std::string& name) {
        const MapFamily f = MapFamilyOf(name);
        return f == MapFamily::Ccp4 || f == MapFamily::Cube;
    };
    if (MapKindOf(text) != MapKind::Unknown) return {};
    if (foreign(text)) return {text, ""};
    for (std::size_t blank = text.find(' '); blank != std::string::npos;
         blank = text.find(' ', blank + 1)) {
        const std::string map = text.substr(0, blank), model = text.substr(blank + 1);
        if (foreign(map) && IsModelFileName(model)) return {map, model};
    }
    return {};
}

}  // namespace eld
