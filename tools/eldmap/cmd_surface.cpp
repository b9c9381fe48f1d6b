#include "tools/eldmap/commands.h"

namespace eld::eldmap {

// Placeholder until the command lands; replaced by its real implementation.
int Surface(int, char**) { return Error("'surface' is not available in this build yet"); }

}  // namespace eld::eldmap
