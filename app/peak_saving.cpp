#include "app/peak_saving.h"

#include "mapdata/eld_error.h"

namespace eld {

bool SavePeakList(SceneState& s, Dialogs& dialogs) {
    // Convert before asking, so the file holds the list as it was when chosen.
    const std::string text = PeakListText(s);
    const std::string path = dialogs.SaveFile(kPeakListDefaultName, kPeakListFilter);
    if (path.empty()) return false;
    try {
        WritePeakListFile(path, text);
    } catch (const EldError& e) {
        dialogs.Message(e.what());
        return false;
    }
    return true;
}

}  // namespace eld
