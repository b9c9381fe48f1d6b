#include "tools/eldmap/commands.h"

namespace eld::eldmap {

// Placeholder until the command lands; replaced by its real implementation.
int Render(int, char**) { return Error("'render' is not available in this build yet"); }

}  // namespace eld::eldmap
