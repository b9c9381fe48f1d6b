#include "eldmap/cli.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

#include "eld_version.h"
#include "eldmap/text.h"
#include "mapdata/command_line.h"
#include "mapdata/level_text.h"
#include "view/view_control.h"

namespace eld::eldmap {

namespace {

// --help starts with "usage: eldmap NAME SYNOPSIS", then the summary, the
// options and the longer text.
class HelpFormatter : public CLI::Formatter {
  public:
    std::map<const CLI::App*, std::string> synopsis;

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
        return make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) +
               make_groups(app, mode) + make_subcommands(app, mode) + "\n" + make_footer(app);
    }
    std::string make_usage(const CLI::App* app, std::string name) const override {
        auto it = synopsis.find(app);
        if (it == synopsis.end()) return CLI::Formatter::make_usage(app, name);
        std::string full = app->get_name();
        for (const CLI::App* p = app->get_parent(); p; p = p->get_parent())
            full = p->get_name() + " " + full;
        return "usage: " + full + " " + it->second + "\n";
    }
};

// Grouped here so that --help lists the same option the same way everywhere.
const char kGroup[] = "Options";

// WxH with each side 1..16384.
bool ParseSize(const std::string& text, int& w, int& h) {
    const char* p = text.c_str();
    const char* end = p + text.size();
    auto a = std::from_chars(p, end, w);
    if (a.ec != std::errc() || a.ptr == end || (*a.ptr != 'x' && *a.ptr != 'X')) return false;
    auto b = std::from_chars(a.ptr + 1, end, h);
    if (b.ec != std::errc() || b.ptr != end || b.ptr == a.ptr + 1) return false;
    return w >= 1 && h >= 1 && w <= 16384 && h <= 16384;
}

// A number that from_chars reads whole, finite also as a 32-bit float (the
// scene holds the region in floats).
bool ParseFloat(const char* p, const char* end, double& v) {
    const auto r = std::from_chars(p, end, v);
    return r.ec == std::errc() && r.ptr == end && p != end && std::isfinite(static_cast<float>(v));
}

// X,Y,Z: three such numbers, nothing else.
bool ParseCentre(const std::string& text, std::array<double, 3>& c) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int a = 0; a < 3; ++a) {
        const char* stop = a < 2 ? std::find(p, end, ',') : end;
        if ((a < 2 && stop == end) || !ParseFloat(p, stop, c[a])) return false;
        if (a < 2) p = stop + 1;
    }
    return true;
}

}  // namespace

CLI::App* NewCommand(CLI::App& parent, const std::string& name, const std::string& synopsis,
                     const std::string& summary, const std::string& details) {
    CLI::App* cmd = parent.add_subcommand(name, summary);
    cmd->footer(details);
    if (auto f = std::dynamic_pointer_cast<HelpFormatter>(cmd->get_formatter()))
        f->synopsis[cmd] = synopsis;
    return cmd;
}

// Not required() here: RunCommandLine says "no map given" for every command.
void AddMapArgument(CLI::App& cmd, MapInput& in) {
    cmd.add_option("MAP", in.path,
                   "the map: .mt1, .fou, .grd; CCP4/MRC (.ccp4, .map, .mrc, also .gz) or a "
                   "Gaussian cube (.cube, .cub), converted as eldmap convert does");
    cmd.add_option("--model", in.model,
                   "the atoms of a structure model (.pdb, .ent, .cif, .mmcif, also .gz) "
                   "instead of the map's")
        ->type_name("MODEL")
        ->group(kGroup);
}

std::string CheckExtension(const std::string& path, const std::vector<std::string>& extensions) {
    for (const std::string& e : extensions)
        if (EndsWithNoCase(path, e)) return "";
    std::string list;
    for (std::size_t n = 0; n < extensions.size(); ++n)
        list += (n == 0 ? "" : n + 1 == extensions.size() ? " or " : ", ") + extensions[n];
    return "'" + path + "': the output must end in " + list;
}

void AddOutputOption(CLI::App& cmd, std::string& path, const std::vector<std::string>& extensions,
                     bool required) {
    std::string list;
    for (const std::string& e : extensions) list += (list.empty() ? "" : "|") + e;
    CLI::Option* o =
        cmd.add_option("-o,--output", path, "the file to write (" + list + ")")
            ->type_name("OUT")
            ->group(kGroup)
            ->check([extensions](const std::string& p) {
                return p.empty() ? std::string("needs a file name") : CheckExtension(p, extensions);
            });
    if (required) o->required();
}

void RefuseOutputIsInput(const std::string& output, const MapInput& in) {
    struct stat a, b;
    if (output.empty() || ::stat(output.c_str(), &a) != 0) return;
    for (const std::string& input : {in.path, in.model})
        if (!input.empty() && ::stat(input.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
            a.st_ino == b.st_ino)
            throw CLI::ValidationError("'" + output + "' is the input '" + input +
                                       "' itself; choose another output file");
}

std::string CheckLevelText(const std::string& text) {
    if (!ParseLevelText(text)) return "needs a number or N sigma (e.g. 3sigma), not '" + text + "'";
    return "";
}

float LevelValue(const std::string& text, const SceneState& s) {
    return static_cast<float>(eld::LevelValue(*ParseLevelText(text), s.map.MapGrid));
}

std::vector<float> LevelsOrDefaults(const std::vector<std::string>& texts, const SceneState& s) {
    if (texts.empty()) return std::vector<float>(s.layers.LayerLimit + 1, s.layers.LayerLimit + 4);
    std::vector<float> levels;
    for (const std::string& t : texts) levels.push_back(LevelValue(t, s));
    return levels;
}

void AddLevelOption(CLI::App& cmd, std::vector<std::string>& levels) {
    cmd.add_option("--level", levels,
                   "a density limit, or N sigma (mean + N rms of the map, e.g. 3sigma); repeat for "
                   "several (default: the map's three layer limits)")
        ->type_name("V")
        ->group(kGroup)
        ->allow_extra_args(false)
        ->check(CheckLevelText);
}

void AddMaxTriangles(CLI::App& cmd, std::int64_t& max) {
    cmd.add_option("--max-triangles", max,
                   "stop when a surface needs more than N triangles (default: no limit)")
        ->type_name("N")
        ->group(kGroup)
        ->check(CLI::Range(std::int64_t{1}, std::int64_t{2000000000}));
}

void AddRegionOptions(CLI::App& cmd, RegionOptions& r) {
    auto radius = [&r](const std::string& t) {
        if (!ParseFloat(t.data(), t.data() + t.size(), r.radius) || r.radius < 0)
            throw CLI::ValidationError("--radius needs a distance of at least 0 Angstrom, not '" +
                                       t + "'");
    };
    auto centre = [&r](const std::string& t) {
        if (!ParseCentre(t, r.centre.emplace()))
            throw CLI::ValidationError(
                "--centre-at needs X,Y,Z in Angstrom (e.g. 1.5,-2,0), not '" + t + "'");
    };
    CLI::Option* given =
        cmd.add_option_function<std::string>(
               "--radius", radius,
               "only the map within R Angstrom of the centre (default 0: the whole map)")
            ->type_name("R")
            ->group(kGroup);
    cmd.add_option_function<std::string>(
           "--centre-at,--center-at", centre,
           "the centre of --radius in scene coordinates (default: the grid's middle)")
        ->type_name("X,Y,Z")
        ->group(kGroup)
        ->needs(given);
}

void ApplyRegion(SceneState& s, const RegionOptions& r) {
    const MapGridRecord& g = s.map.MapGrid;
    s.switches.MapRadius = static_cast<float>(r.radius);
    for (int a = 0; a < 3; ++a)
        s.surfaces.RegionCentre[a] = static_cast<float>(
            r.centre ? (*r.centre)[a] : g.GridOrigin[a] + 0.5 * (g.N(a + 1) - 1) * g.GridStep[a]);
}

void AddViewOptions(CLI::App& cmd, ViewOptions& o, const std::vector<std::string>& extensions) {
    AddMapArgument(cmd, o.map);
    AddOutputOption(cmd, o.output, extensions, true);
    cmd.add_option_function<std::string>(
           "--size",
           [&o](const std::string& t) {
               if (!ParseSize(t, o.width, o.height))
                   throw CLI::ValidationError(
                       "--size needs WIDTHxHEIGHT, each 1 to 16384 (e.g. 564x494)");
           },
           "picture size in pixels (default 564x494, the viewer's window)")
        ->type_name("WxH")
        ->group(kGroup);
    cmd.add_option_function<std::string>(
           "--view", [&o](const std::string& t) { o.view = std::string(1, char(t[0] & ~0x20)); },
           "look along an axis (default: the start view)")
        ->type_name("x|y|z")
        ->group(kGroup)
        ->check(CLI::IsMember({"x", "y", "z", "X", "Y", "Z"}));
    cmd.add_option_function<std::string>(
           "--style", [&o](const std::string& t) { o.style = t == "web" ? 1 : 2; },
           "surface grid style (default web)")
        ->type_name("web|triangle")
        ->group(kGroup)
        ->check(CLI::IsMember({"web", "triangle"}));
    cmd.add_flag_callback(
           "--no-atoms", [&o] { o.atoms = false; }, "leave out atoms and bonds")
        ->group(kGroup);
    cmd.add_flag("--cell", o.cell, "show the unit cell")->group(kGroup);
    cmd.add_flag_callback(
           "--no-contour", [&o] { o.contour = false; },
           "leave out the contour map of the first section")
        ->group(kGroup);
    AddMaxTriangles(cmd, o.maxTriangles);
    AddRegionOptions(cmd, o.region);
    cmd.callback([&o] { RefuseOutputIsInput(o.output, o.map); });
}

void ApplyViewOptions(SceneState& s, const ViewOptions& o) {
    s.switches.SurfaceStyle = static_cast<std::int16_t>(o.style);
    s.switches.ShowAtoms = o.atoms ? kTrue : kFalse;
    s.switches.ShowCell = o.cell ? kTrue : kFalse;
    s.switches.ShowContourMap = o.contour ? kTrue : kFalse;
    if (const auto axis = AxisFromText(o.view)) SetView(s, *axis);
    InvalidateScene(s);
}

CommandLine NewCommandLine() {
    static constexpr AddCommand kCommands[] = {AddInfo, AddSurface, AddContour, AddRender,
                                               AddPov,  AddConvert, AddPeaks};
    CommandLine line;
    line.app = std::make_unique<CLI::App>(
        "Batch work on electron-density maps with the viewer's own core.\n\n"
        "MAP is a .mt1, .fou or .grd file, a CCP4/MRC map (.ccp4, .map, .mrc, also\n"
        "gzipped) or a Gaussian cube (.cube, .cub); every command that reads a map\n"
        "takes --model MODEL, the atoms of a structure model.\n",
        "eldmap");
    CLI::App& app = *line.app;
    app.formatter(std::make_shared<HelpFormatter>());
    app.set_version_flag("--version", std::string("eldmap ") + ELD_VERSION);
    app.require_subcommand(1);
    app.footer("'eldmap COMMAND --help' tells more.");
    app.option_defaults()->group(kGroup);
    for (AddCommand add : kCommands) line.commands.push_back(add(app));
    return line;
}

ParsedLine ParseCommandLine(CommandLine& line, int argc, const char* const* argv) {
    ParsedLine parsed;
    try {
        line.app->parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            std::ostringstream out, err;
            parsed.status = line.app->exit(e, out, err);
            parsed.out = out.str();
            return parsed;
        }
        std::string hint = "eldmap";
        for (const Command& c : line.commands)
            if (c.app->parsed()) hint += " " + c.app->get_name();
        parsed.error = std::string(e.what()) + " (see " + hint + " --help)";
        return parsed;
    }
    for (const Command& c : line.commands) {
        if (!c.app->parsed()) continue;
        const CLI::Option* map = c.app->get_option_no_throw("MAP");
        if (map && map->count() == 0) {
            parsed.error = "no map given (see eldmap " + c.app->get_name() + " --help)";
            return parsed;
        }
        parsed.command = &c;
        parsed.status = 0;
        return parsed;
    }
    return parsed;
}

int RunCommandLine(int argc, char** argv) {
    CommandLine line = NewCommandLine();
    const ParsedLine parsed = ParseCommandLine(line, argc, argv);
    std::fputs(parsed.out.c_str(), stdout);
    if (!parsed.error.empty()) Error(parsed.error);
    if (!parsed.command) return parsed.status;
    try {
        return parsed.command->run();
    } catch (const std::exception& e) {
        return Error(e.what());
    }
}

}  // namespace eld::eldmap
