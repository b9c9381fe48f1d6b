#include "mapdata/foreign_map.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "mapdata/eld_error.h"

namespace eld {

std::string ElementSymbol(int z) {
    static const char* const kSymbols[] = {
        "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",
        "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
        "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
        "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
        "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re",
        "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
        "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf", "Db",
        "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};
    constexpr int kCount = sizeof(kSymbols) / sizeof(kSymbols[0]);
    return z >= 1 && z <= kCount ? kSymbols[z - 1] : "";
}

std::string AtomNameForElement(const std::string& element) {
    std::string name;
    for (char c : element) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        const auto u = static_cast<unsigned char>(c);
        name += static_cast<char>(name.empty() ? std::toupper(u) : std::tolower(u));
    }
    name.resize(4, ' ');
    return name;
}

}  // namespace eld
