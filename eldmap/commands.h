// The subcommands of eldmap, one file each. Each gets the arguments after its
// own name and returns the exit status; errors are printed as "eldmap: MESSAGE".
#pragma once

#include <string>

namespace eld::eldmap {

int Info(int argc, char** argv);
int Surface(int argc, char** argv);
int Contour(int argc, char** argv);
int Render(int argc, char** argv);
int Pov(int argc, char** argv);
int Convert(int argc, char** argv);
int Peaks(int argc, char** argv);

// Prints "eldmap: message" to stderr and returns 1.
int Error(const std::string& message);

}  // namespace eld::eldmap
