// Structure models through gemmi: mmCIF and small-molecule CIF here, PDB in
// gemmi_pdb.cpp.
#include <cctype>
#include <cmath>
#include <gemmi/cif.hpp>
#include <gemmi/mmcif.hpp>
#include <gemmi/smcif.hpp>

#include "mapdata/eld_error.h"
#include "mapdata/gemmi_io.h"
#include "mapdata/read_model.h"
#include "mapdata/scene_state.h"

namespace eld {
namespace {

enum class ModelKind { Unknown, Pdb, Cif };

std::string WithoutGz(const std::string& path) {
    return gemmi::iends_with(path, ".gz") ? path.substr(0, path.size() - 3) : path;
}

ModelKind KindOf(const std::string& path) {
    const std::string base = WithoutGz(path);
    if (gemmi::iends_with(base, ".pdb") || gemmi::iends_with(base, ".ent")) return ModelKind::Pdb;
    if (gemmi::iends_with(base, ".cif") || gemmi::iends_with(base, ".mmcif")) return ModelKind::Cif;
    return ModelKind::Unknown;
}

void SetCell(StructureModel& m, const gemmi::UnitCell& cell, const gemmi::SpaceGroup* sg,
             const std::string& hm) {
    m.HasCell = cell.is_crystal();
    if (m.HasCell) {
        const double p[6] = {cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma};
        for (int k = 0; k < 6; ++k) m.Cell[k] = p[k];
    }
    m.SpaceGroup = sg ? sg->xhm() : hm;
}

void AddAtom(StructureModel& m, const std::string& name, gemmi::Element el,
             const std::string& label, const gemmi::Position& pos) {
    const std::string which =
        "atom " + std::to_string(m.Atoms.size() + 1) + (label.empty() ? "" : " (" + label + ")");
    if (el == gemmi::El::X) fail(name + ": " + which + " has no known element");
    if (!std::isfinite(pos.x) || !std::isfinite(pos.y) || !std::isfinite(pos.z) ||
        std::fabs(pos.x) > 1e6 || std::fabs(pos.y) > 1e6 || std::fabs(pos.z) > 1e6)
        fail(name + ": " + which + " lies at (" + std::to_string(pos.x) + ", " +
             std::to_string(pos.y) + ", " + std::to_string(pos.z) +
             "), not a position within 1e6 Angstrom");
    if (static_cast<int>(m.Atoms.size()) >= kMaxAtoms)
        fail(name + ": more than " + std::to_string(kMaxAtoms) +
             " atoms; the viewer holds at most " + std::to_string(kMaxAtoms));
    m.Atoms.push_back({el.name(), label, {pos.x, pos.y, pos.z}});
}

}  // namespace

void TakeStructure(StructureModel& m, const gemmi::Structure& st, const std::string& name) {
    SetCell(m, st.cell, st.find_spacegroup(), st.spacegroup_hm);
    if (st.models.empty()) return;
    for (const gemmi::Chain& chain : st.models[0].chains)
        for (const gemmi::Residue& res : chain.residues)
            for (const gemmi::Atom& atom : res.atoms)
                AddAtom(m, name, atom.element, atom.name, atom.pos);
}

namespace {

void ReadCif(StructureModel& m, std::string_view bytes, const std::string& name) {
    gemmi::cif::Document doc = gemmi::cif::read_memory(bytes.data(), bytes.size(), name.c_str());
    for (gemmi::cif::Block& block : doc.blocks) {
        if (block.find_values("_atom_site.Cartn_x")) {
            m.Format = "mmCIF";
            TakeStructure(m, gemmi::make_structure_from_block(block), name);
            if (m.Atoms.empty())
                fail(name +
                     ": no atoms read from the _atom_site loop; an mmCIF atom list needs "
                     "the columns id, type_symbol, label_alt_id, label_asym_id, "
                     "Cartn_x, Cartn_y, Cartn_z, occupancy, B_iso_or_equiv and "
                     "auth_seq_id");
            return;
        }
        if (block.find_values("_atom_site_fract_x")) {
            m.Format = "small-molecule CIF";
            const gemmi::SmallStructure st = gemmi::make_small_structure_from_block(block);
            SetCell(m, st.cell, st.find_spacegroup(), st.spacegroup_hm);
            if (!m.HasCell)
                fail(name + ": block data_" + block.name +
                     " gives fractional coordinates but no _cell_length_* and _cell_angle_*");
            for (const gemmi::SmallStructure::Site& site : st.sites)
                AddAtom(m, name, site.element, site.label, st.cell.orthogonalize(site.fract));
            return;
        }
    }
    fail(name +
         ": no atoms: the CIF has neither _atom_site.Cartn_x (mmCIF) nor "
         "_atom_site_fract_x (small-molecule CIF)");
}

}  // namespace

std::vector<SymmetryOp> SpaceGroupOperations(const std::string& hermann_mauguin) {
    std::vector<SymmetryOp> ops;
    const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(hermann_mauguin);
    if (!sg) return ops;
    for (const gemmi::Op& op : sg->operations()) {
        if (op == gemmi::Op::identity()) continue;
        SymmetryOp o;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                o.Rotation[r][c] = static_cast<double>(op.rot[r][c]) / gemmi::Op::DEN;
            o.Translation[r] = static_cast<double>(op.tran[r]) / gemmi::Op::DEN;
        }
        ops.push_back(o);
    }
    return ops;
}

bool IsModelFileName(const std::string& path) {
    return KindOf(path) != ModelKind::Unknown;
}

StructureModel ReadModelBuffer(std::string_view bytes, const std::string& name) {
    const ModelKind kind = KindOf(name);
    if (kind == ModelKind::Unknown)
        fail(name + ": not a model file name; expected .pdb, .ent, .cif or .mmcif (or .gz of one)");
    StructureModel m;
    try {
        if (kind == ModelKind::Pdb) {
            ReadPdbModel(m, bytes, name);
        } else {
            ReadCif(m, bytes, name);
        }
    } catch (const EldError&) {
        throw;
    } catch (const std::exception& e) {
        const std::string what = e.what();
        fail(what.find(name) == std::string::npos ? name + ": " + what : what);
    }
    if (m.Atoms.empty())
        fail(name + ": no atoms in this " + m.Format + " file (ATOM/HETATM or _atom_site records)");
    return m;
}

StructureModel ReadModelFile(const std::string& path) {
    if (KindOf(path) == ModelKind::Unknown)
        fail(path + ": not a model file name; expected .pdb, .ent, .cif or .mmcif (or .gz of one)");
    return ReadModelBuffer(ReadFileMaybeGzipped(path, "model file"), path);
}

}  // namespace eld
