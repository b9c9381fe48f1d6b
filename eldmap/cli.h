// eldmap's front end: one CLI11 parser for every command, and every option
// that more than one command takes, declared here once.
//
// A command is one file with an Add function that declares its subcommand and
// returns how to run it; main.cpp lists the Add functions. Usage errors (bad
// or missing options, an output that would replace the input, an unknown
// output extension) end eldmap with status 2 before any work; errors in the
// work (unreadable map, failed write) end it with status 1.
#pragma once

#include <CLI/CLI.hpp>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mapdata/scene_state.h"

namespace eld::eldmap {

struct Command {
    CLI::App* app = nullptr;
    std::function<int()> run;
};
using AddCommand = Command (*)(CLI::App& parent);

Command AddInfo(CLI::App& parent);
Command AddSurface(CLI::App& parent);
Command AddContour(CLI::App& parent);
Command AddRender(CLI::App& parent);
Command AddPov(CLI::App& parent);
Command AddConvert(CLI::App& parent);
Command AddPeaks(CLI::App& parent);

// A subcommand with its synopsis line ("usage: eldmap NAME SYNOPSIS"), its one
// line summary and the longer text shown after the options by --help.
CLI::App* NewCommand(CLI::App& parent, const std::string& name, const std::string& synopsis,
                     const std::string& summary, const std::string& details);

// The map a command reads and the structure model whose atoms replace the
// map's ("" for none). Every command that opens a map takes both.
struct MapInput {
    std::string path;
    std::string model;
};
void AddMapArgument(CLI::App& cmd, MapInput& in);

// -o/--output FILE; the extension (any case) must be one of `extensions`.
void AddOutputOption(CLI::App& cmd, std::string& path, const std::vector<std::string>& extensions,
                     bool required);
// The message when `path` does not end in one of `extensions`, else "".
std::string CheckExtension(const std::string& path, const std::vector<std::string>& extensions);
// Throws a usage error when `output` names the same file as the map or the
// model (also through links), so that a command never replaces what it reads.
// An empty output (none asked for) passes.
void RefuseOutputIsInput(const std::string& output, const MapInput& in);

// --level V or --level Nsigma, repeatable; the texts are read by LevelValue
// once the map is open (N sigma is mean + N rms of the map).
void AddLevelOption(CLI::App& cmd, std::vector<std::string>& levels);
// The one place where a --level text is read; "" or the reason it is no level.
std::string CheckLevelText(const std::string& text);
float LevelValue(const std::string& text, const SceneState& s);
// The levels asked for, or the map's three default layer limits.
std::vector<float> LevelsOrDefaults(const std::vector<std::string>& texts, const SceneState& s);

// --max-triangles N (0, the default, means no limit).
void AddMaxTriangles(CLI::App& cmd, std::int64_t& max);

// --radius R [--centre-at X,Y,Z]: the viewer's map radius. Only the cubes
// (squares) whose centre lies within R Angstrom of the centre are extracted;
// R 0 is the whole map. Without --centre-at the centre is the grid's middle.
struct RegionOptions {
    double radius = 0;
    std::optional<std::array<double, 3>> centre;
};
void AddRegionOptions(CLI::App& cmd, RegionOptions& r);
// The open map's region into s.switches.MapRadius and s.surfaces.RegionCentre
// (32-bit, as the viewer holds them), where every extraction reads it.
void ApplyRegion(SceneState& s, const RegionOptions& r);

// The options that choose what a view shows (render, pov).
struct ViewOptions {
    MapInput map;
    std::string output;
    int width = 564;  // the viewer's client area at start
    int height = 494;
    std::string view;  // "", "X", "Y" or "Z"
    int style = 1;     // SurfaceStyle: 1 web, 2 triangle
    bool atoms = true;
    bool cell = false;
    bool contour = true;
    std::int64_t maxTriangles = 0;
    RegionOptions region;
};
void AddViewOptions(CLI::App& cmd, ViewOptions& o, const std::vector<std::string>& extensions);
void ApplyViewOptions(SceneState& s, const ViewOptions& o);

// The parser with every command added. CLI::App cannot move, hence the pointer.
struct CommandLine {
    std::unique_ptr<CLI::App> app;
    std::vector<Command> commands;
};
CommandLine NewCommandLine();

// What parsing alone decided: the command to run, or none and the status
// eldmap ends with (0 after --help or --version, 2 after a usage error) with
// the text for stdout (help, version) or the usage error for stderr.
struct ParsedLine {
    const Command* command = nullptr;
    int status = 2;
    std::string out;
    std::string error;
};
// Parses without running anything: CLI11's parse errors become a status here,
// anything else thrown escapes.
ParsedLine ParseCommandLine(CommandLine& line, int argc, const char* const* argv);

// The whole command line: parses, runs the chosen command, returns the status.
int RunCommandLine(int argc, char** argv);

}  // namespace eld::eldmap
