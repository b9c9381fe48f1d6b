#include "app/peak_saving.h"

#include <cstdio>
#include <filesystem>

#include "export/atomic_file.h"
#include "mapdata/eld_error.h"

namespace eld {

bool SavePeakList(SceneState& s, Dialogs& dialogs) {
    // Convert before asking, so the file holds the list as it was when chosen.
    std::string text;
    try {
        text = PeakListText(s);
    } catch (const EldError& e) {
        dialogs.Message(e.what());  // a peak no file can hold: no file to ask for
        return false;
    }
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

void NotePeakAdded(UnsavedPeaks& u, const SceneState& s) {
    u.text.clear();
    int number = 0;
    for (int n = u.savedCount; n < s.peaks.PeakCount; ++n) {
        try {
            u.text += PeakLine(number + 1, PeakFractional(s, n)) + "\r\n";
            ++number;
        } catch (const EldError&) {
            // Not finite: the save reports it; a kept file could not hold it either.
        }
    }
    u.mapFileName = s.map.MapFileName;
}

void NotePeaksSaved(UnsavedPeaks& u, const SceneState& s) {
    u.savedCount = s.peaks.PeakCount;
    u.text.clear();
}

void ForgetPeaks(UnsavedPeaks& u) {
    u = UnsavedPeaks{};
}

std::string RecoveredPeaksPath(const std::string& mapFileName) {
    const std::filesystem::path map(mapFileName);
    return (map.parent_path() / (map.stem().string() + ".recovered-peaks.dat")).string();
}

std::string KeepUnsavedPeaks(UnsavedPeaks& u) {
    if (u.text.empty()) return "";
    const std::string text = u.text;
    u.text.clear();  // once, whatever happens next
    const std::string besideMap = RecoveredPeaksPath(u.mapFileName);
    const std::string here = std::filesystem::path(besideMap).filename().string();
    for (const std::string& path : {besideMap, here}) {
        try {
            AtomicWrite(path, text);
            std::fprintf(stderr, "eldview: the unsaved peaks are kept in %s\n", path.c_str());
            return path;
        } catch (const EldError& e) {
            std::fprintf(stderr, "eldview: %s\n", e.what());
        }
    }
    std::fprintf(stderr, "eldview: the unsaved peaks could not be kept in a file:\n%s",
                 text.c_str());
    return "";
}

}  // namespace eld
