// Saving the peak list from the menu and at the end of the program: the file
// dialog, the write and its failure message.
#pragma once

#include "mapdata/dialogs.h"
#include "mapdata/peak_list.h"

namespace eld {

// The menu's Save peak list and the shutdown's save of pending peaks: asks for
// the file with the save dialog (default "newatoms.dat", the filter above),
// skips everything when the dialog is cancelled, writes the file and returns
// true when it was written. A failed write is reported through dialogs.Message
// (naming the file) and returns false. Does not clear the list. The caller
// refuses to save with PeakCount 0 ("You do not have any peaks").
bool SavePeakList(SceneState& s, Dialogs& dialogs);

}  // namespace eld
