#include "mapdata/presets.h"

#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "mapdata/text_reader.h"

namespace eld {

void LoadLayerLimitPresets(SceneState& s) {
    for (LayerLimitPreset& p : s.layers.LayerLimitPresets) p = LayerLimitPreset{};
    const std::string path = DataFilePath(s.program.DataFolder, "layer_limit_presets.txt");
    const std::string text = ReadWholeFile(path, "layer-limit preset file");
    TextReader in(text, path);
    LayerLimitPreset read[3];
    int lines = 0;
    auto next_line = [&](const char* what) {
        if (in.AtEnd())
            fail(path + ": the file has " + std::to_string(lines) +
                 " lines; twelve are needed (a description and three limits per preset)");
        ++lines;
        return in.ReadLine(what);
    };
    for (LayerLimitPreset& p : read) {
        p.Description = std::string(next_line("a preset description"));
        for (double& limit : p.Limit) limit = LeadingNumber(next_line("a preset limit"));
    }
    for (int p = 0; p < 3; ++p) s.layers.LayerLimitPresets[p] = read[p];
}

}  // namespace eld
