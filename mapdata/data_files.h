// Where the program's data files (cell_table.dat, atompar2.txt, ...) live: the
// folder of the running executable, or ../share/eldview/ beside it once installed.
#pragma once

#include <string>

namespace eld {

// The folder of the running executable, from /proc/self/exe, without a trailing '/'.
std::string ExecutableFolder();

// The folder to read data files from: the executable's folder when it holds
// atompar2.txt, else <executable folder>/../share/eldview when that does.
// Falls back to the executable's folder so that messages name a real place.
std::string FindDataFolder();

// folder + '/' + name.
std::string DataFilePath(const std::string& folder, const std::string& name);

}  // namespace eld
