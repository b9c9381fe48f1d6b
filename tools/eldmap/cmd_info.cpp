#include "tools/eldmap/commands.h"

namespace eld::eldmap {

// Placeholder until the command lands; replaced by its real implementation.
int Info(int, char**) { return Error("'info' is not available in this build yet"); }

}  // namespace eld::eldmap
