// Saving the peak list from the menu and at the end of the program: the file
// dialog, the write and its failure message.
#pragma once

#include <string>

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

// The peaks confirmed since the last successful save, kept as the lines a
// peak-list file of them would hold (numbered from 1, fractional coordinates
// of the map they were picked in, so a later map cannot change them).
struct UnsavedPeaks {
    int savedCount = 0;  // peaks of PeakList already in a saved file
    std::string text;    // empty when nothing is unsaved
    std::string mapFileName;
};
// After a confirmed peak, a successful save, and Clear Peaks or another map.
void NotePeakAdded(UnsavedPeaks& u, const SceneState& s);
void NotePeaksSaved(UnsavedPeaks& u, const SceneState& s);
void ForgetPeaks(UnsavedPeaks& u);

// "<map stem>.recovered-peaks.dat" in the map's folder.
std::string RecoveredPeaksPath(const std::string& mapFileName);

// When the program must end: writes the unsaved peaks (atomically) to
// RecoveredPeaksPath, or under the same name in the current folder when the
// map's folder cannot take it, names the file on stderr and returns its path.
// Nothing unsaved: "" and no file. Neither place writable: the lines go to
// stderr and "" is returned.
std::string KeepUnsavedPeaks(UnsavedPeaks& u);

}  // namespace eld
