// The shipped POV-Ray header must define every identifier a scene can use, with
// the radii and colours the viewer draws.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "export/povray.h"
#include "mapdata/atoms.h"
#include "mapdata/data_files.h"
#include "surface/layer_properties.h"

namespace {

struct Declared {
    std::map<std::string, std::string> values;  // identifier -> text after '='
};

Declared ReadHeader() {
    // Only the part before the end line is copied into scenes, so only that
    // part counts.
    std::string text =
        eld::ReadPovrayHeader(eld::DataFilePath(ELD_BIN_DIR, eld::kPovrayHeaderName));
    Declared d;
    std::regex decl(R"(#declare\s+(\w+)\s*=\s*([^;]*);)");
    for (std::sregex_iterator it(text.begin(), text.end(), decl), end; it != end; ++it)
        d.values[(*it)[1]] = (*it)[2];
    return d;
}

// "rgb <r, g, b>" or "rgb v" -> three numbers.
bool ParseRgb(const std::string& text, float rgb[3]) {
    std::smatch m;
    if (std::regex_match(
            text, m, std::regex(R"(rgb\s*<\s*([-.\d]+)\s*,\s*([-.\d]+)\s*,\s*([-.\d]+)\s*>)"))) {
        for (int i = 0; i < 3; ++i) rgb[i] = std::stof(m[i + 1]);
        return true;
    }
    if (std::regex_match(text, m, std::regex(R"(rgb\s+([-.\d]+))"))) {
        rgb[0] = rgb[1] = rgb[2] = std::stof(m[1]);
        return true;
    }
    return false;
}

TEST(PovHead, EveryAtomNameHasTheViewersRadiusAndColour) {
    Declared d = ReadHeader();
    auto table = eld::ReadAtomParameters(eld::DataFilePath(ELD_BIN_DIR, "atompar2.txt"));
    ASSERT_GT(table.size(), 10u);
    for (const auto& row : table) {
        std::string name = row.TypeName;
        // A scene appends the stored name, blanks and all; POV-Ray ends the
        // identifier at the first blank.
        std::string id = name.substr(0, name.find(' '));
        ASSERT_FALSE(id.empty()) << "name '" << name << "'";
        auto r = d.values.find("AtomRadiusFor" + id);
        ASSERT_NE(r, d.values.end()) << "AtomRadiusFor" << id;
        EXPECT_FLOAT_EQ(std::stof(r->second), eld::AtomRadius(name)) << id;
        auto c = d.values.find("ColorFor" + id);
        ASSERT_NE(c, d.values.end()) << "ColorFor" << id;
        float rgb[3], want[3];
        ASSERT_TRUE(ParseRgb(c->second, rgb)) << c->second;
        eld::AtomColour(name, want);
        for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(rgb[i], want[i]) << id << " component " << i;
    }
}

TEST(PovHead, SceneIdentifiersAndLayerColoursAreDefined) {
    Declared d = ReadHeader();
    for (const char* id : {"cylRadius", "bondcylRadius", "Gray40", "Gray80", "Gray"})
        EXPECT_TRUE(d.values.count(id)) << id;
    eld::SceneState s;
    eld::SetLayersProperites(s, 0.0f, 1.0f);
    for (int L = 1; L <= 3; ++L) {
        std::string id = "Level" + std::to_string(L) + "Color";
        ASSERT_TRUE(d.values.count(id)) << id;
        float rgb[3];
        ASSERT_TRUE(ParseRgb(d.values[id], rgb)) << d.values[id];
        for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(rgb[i], s.layers.SurfaceColour[L][i]) << id;
    }
}

}  // namespace
