// CCP4 and MRC maps (.ccp4, .map, .mrc): data modes 0 (8-bit), 1 (16-bit) and
// 2 (32-bit float), either byte order, any axis order, start indices, extended
// header, MRC origin. Failures throw EldError (Recoverable) naming the file and
// the header field.
#pragma once

#include <string>

#include "mapdata/foreign_map.h"

namespace eld {

// Reads the whole map; values are reordered so that axis a runs fastest.
ForeignMap ReadCcp4Map(const std::string& path);

}  // namespace eld
