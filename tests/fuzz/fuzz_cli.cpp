// libFuzzer harness for both command lines. The input, split at NUL bytes, is
// the argument list: (a) eldmap's own parser with every command parses it and
// nothing runs: CLI11's parse errors are usage errors (status 2), anything else
// escaping is a finding; (b) the viewer's rule reads the same arguments joined
// as one text (ParseCommandText). Not in targets.h, as core_tests does not
// link eldmap: a finding gets its regression test beside eldmap's own tests.

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "eldmap/cli.h"
#include "mapdata/command_line.h"
#include "tests/fuzz/targets.h"

using eld::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args{"eldmap"};
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string a; std::getline(in, a, '\0');) args.push_back(a);
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    const int argc = static_cast<int>(argv.size());

    eld::eldmap::CommandLine line = eld::eldmap::NewCommandLine();
    const auto parsed = eld::eldmap::ParseCommandLine(line, argc, argv.data());
    Require(parsed.command ? parsed.status == 0 && parsed.error.empty() && parsed.out.empty()
                           : parsed.error.empty() != (parsed.status == 2),
            "a command to run with a message, or a status that does not match the message");
    Require(parsed.status == 0 || parsed.status == 2, "a status other than 0 or 2");

    const std::string text = eld::JoinArguments(argc, argv.data());
    const eld::CommandLineChoice c = eld::ParseCommandText(text);
    Require(text.size() >= c.FileText.size() &&
                text.compare(text.size() - c.FileText.size(), std::string::npos, c.FileText) == 0,
            "FileText is not the end of the command text");
    Require(c.DisplayMode != eld::StereoMode::Nothing, "no display mode chosen");
    Require(c.BadMapRadius ? c.MapRadius == 0 : c.MapRadius >= 0 && std::isfinite(c.MapRadius),
            "MapRadius negative or not finite although accepted");
    return 0;
}
