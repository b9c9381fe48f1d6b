// Feeds arbitrary text to the atompar2.txt reader and then to the bond search,
// whose type numbers come straight from the file and are used as row numbers.
// fuzz-needs: ReadAtomParameters FindBonds
#include <cstddef>
#include <cstdint>

#include "mapdata/atoms.h"
#include "mapdata/eld_error.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = eld::fuzz::WriteInput("atompar2.txt", data, size);
    std::vector<eld::AtomTypeRow> table;
    try {
        table = eld::ReadAtomParameters(path);
    } catch (const eld::EldError& e) {
        return eld::fuzz::Refused(e);
    }

    // A few atoms named after the table's own types, 1.5 apart in a row, so that
    // type assignment succeeds and the bond window is evaluated for real rows.
    eld::SceneState s;
    s.DataFolder = eld::fuzz::ScratchFolder().string();
    for (std::size_t k = 0; k < table.size() && k < 6; ++k) {
        std::string name = table[k].TypeName;
        name.resize(4, ' ');
        s.AtomNames.push_back(name);
        std::array<float, 13> row{};
        row[0] = 1.5f * static_cast<float>(k);
        s.AtomData.push_back(row);
    }
    s.AtomCount = static_cast<int>(s.AtomNames.size());
    try {
        eld::FindBonds(s);
    } catch (const eld::EldError& e) {
        return eld::fuzz::Refused(e);
    }
    if (s.BondCount != static_cast<int>(s.BondList.size())) std::abort();
    for (const eld::Bond& b : s.BondList)
        if (!(0 <= b.a && b.a < b.b && b.b < s.AtomCount)) std::abort();
    return 0;
}
