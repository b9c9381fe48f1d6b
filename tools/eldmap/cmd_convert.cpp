#include "tools/eldmap/commands.h"

namespace eld::eldmap {

// Placeholder until the command lands; replaced by its real implementation.
int Convert(int, char**) { return Error("'convert' is not available in this build yet"); }

}  // namespace eld::eldmap
