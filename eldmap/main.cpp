// eldmap: batch work on electron-density maps with the viewer's own core.
#include "eldmap/cli.h"

int main(int argc, char** argv) {
    return eld::eldmap::RunCommandLine(argc, argv);
}
