#include "export/povray.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "export/atomic_file.h"
#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "mapdata/input_file.h"
#include "mapdata/number_field.h"
#include "view/trackball.h"

namespace eld {

namespace {

// Pieces are handed to the file once this much has gathered.
constexpr std::size_t kDrainSize = 1 << 20;

// Stored counts never exceed the stores, even in a hand-made state.
int Clamp(int count, std::size_t stored) {
    return std::max(0, std::min(count, static_cast<int>(stored)));
}

// A scene file never holds inf or nan (POV-Ray cannot read them): a grid whose
// extent overflows 32-bit numbers stops the writing instead.
std::string PovNumber(float v) {
    if (!std::isfinite(v))
        fail("a number of the scene is " + std::string(std::isnan(v) ? "nan" : "inf") +
             " (the map's grid does not fit in 32-bit numbers); nothing was written");
    return NumberField(v);
}

// The map name in a line comment: a control character (a line end above all)
// would end the comment and leave the rest of the name as scene text, so each
// becomes \xNN.
std::string CommentText(const std::string& name) {
    std::string text;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7f) {
            text += c;
            continue;
        }
        static const char kHex[] = "0123456789ABCDEF";
        text += {'\\', 'x', kHex[u >> 4], kHex[u & 15]};
    }
    return text;
}

}  // namespace

void PovSink::Put(std::string_view piece) {
    text += piece;
    if (file && text.size() >= kDrainSize) Drain();
}

void PovSink::Line(std::string_view line) {
    text += line;
    text += "\r\n";
    if (file && text.size() >= kDrainSize) Drain();
}

void PovSink::Drain() {
    if (!file) return;
    file->write(text);
    text.clear();
}

std::string ReadPovrayHeader(const std::string& path) {
    std::istringstream in(ReadWholeFile(path, "POV-Ray header"));
    std::string out, line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == kPovrayHeaderEnd) return out;
        out += line;
        out += "\r\n";
    }
    fail("cannot use the POV-Ray header '" + path + "': it has no line \"" + kPovrayHeaderEnd +
         "\"; the scene was not written");
}

void ModelViewFromView(const SceneState& s, float m[16]) {
    // The same steps and float roundings as glLoadIdentity, glMultMatrixf(R),
    // glTranslatef and glScalef, so the scene file holds what the screen used.
    float r[16];
    BuildRotationMatrix(r, s.view.ViewQuaternion);
    std::copy(r, r + 16, m);
    const float* t = s.view.ViewTranslation;
    for (int i = 0; i < 4; ++i)
        m[12 + i] = m[i] * t[0] + m[4 + i] * t[1] + m[8 + i] * t[2] + m[12 + i];
    for (int i = 0; i < 12; ++i) m[i] *= s.view.ViewScale;
}

bool SegmentLongEnough(float x1, float y1, float z1, float x2, float y2, float z2) {
    float dx = x1 - x2, dy = y1 - y2, dz = z1 - z2;
    float length =
        static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy +
                                     static_cast<double>(dz) * dz));
    return length >= 0.0001f;
}

void WriteCylinder(PovSink& out, float x1, float y1, float z1, float x2, float y2, float z2,
                   std::string_view RadiusName) {
    if (!SegmentLongEnough(x1, y1, z1, x2, y2, z2)) return;
    // Assembled in place: this runs three times per surface triangle.
    std::string& t = out.text;
    t += "cylinder{<";
    t += PovNumber(x1);
    t += ',';
    t += PovNumber(y1);
    t += ',';
    t += PovNumber(z1);
    t += ">,<";
    t += PovNumber(x2);
    t += ',';
    t += PovNumber(y2);
    t += ',';
    t += PovNumber(z2);
    t += ">,";
    t += RadiusName;
    out.Line("}");
}

void WriteCylinder(PovSink& out, const XYZ& a, const XYZ& b, std::string_view RadiusName) {
    WriteCylinder(out, a.x, a.y, a.z, b.x, b.y, b.z, RadiusName);
}

void WriteLayerPigment(PovSink& out, int L) {
    out.Line("pigment { color Level" + std::to_string(L) + "Color }");
}

void CopyPovrayHeader(PovSink& out, const std::string& header_text) {
    out.Put(header_text);
}

void WriteAtomsPov(PovSink& out, const SceneState& s) {
    int atoms = Clamp(s.map.AtomCount, std::min(s.map.AtomData.size(), s.map.AtomNames.size()));
    for (int n = 0; n < atoms; ++n) {
        const auto& a = s.map.AtomData[n];
        const std::string& name = s.map.AtomNames[n];
        out.Line("sphere {<" + PovNumber(a[0]) + "," + PovNumber(a[1]) + "," + PovNumber(a[2]) +
                 ">,AtomRadiusFor" + name + " pigment { color ColorFor" + name + "}}");
    }
    out.Line("union {");
    int bonds = Clamp(s.map.BondCount, s.map.BondList.size());
    for (int b = 0; b < bonds; ++b) {
        int i = s.map.BondList[b].a, j = s.map.BondList[b].b;
        if (i < 0 || j < 0 || i >= atoms || j >= atoms) continue;
        const auto &p = s.map.AtomData[i], &q = s.map.AtomData[j];
        WriteCylinder(out, p[0], p[1], p[2], q[0], q[1], q[2], "bondcylRadius");
    }
    out.Line("pigment { color Gray }");
    out.Line("}");
}

namespace {

// Both surface styles: one union per visible layer, cylinders per triangle.
template <typename PerTriangle>
void WriteGrid(PovSink& out, const SceneState& s, PerTriangle per_triangle) {
    for (int L = 1; L <= kLayers; ++L) {
        if (!On(s.layers.LayerVisible[L])) continue;
        out.Line("union {");
        int count = Clamp(s.surfaces.TriangleCount[L], s.surfaces.Triangles[L].size());
        for (int t = 0; t < count; ++t) per_triangle(s.surfaces.Triangles[L][t]);
        WriteLayerPigment(out, L);
        out.Line("}");
    }
}

}  // namespace

void WriteWebGridPov(PovSink& out, const SceneState& s) {
    WriteGrid(out, s, [&](const SurfaceTriangle& t) {
        const XYZ &p = t.v[0], &q = t.v[1], &r = t.v[2];
        XYZ c = TriangleCentroid(p, q, r);
        WriteCylinder(out, p, c, "cylRadius");
        WriteCylinder(out, c, q, "cylRadius");
        WriteCylinder(out, c, r, "cylRadius");
    });
}

void WriteTriangleGridPov(PovSink& out, const SceneState& s) {
    WriteGrid(out, s, [&](const SurfaceTriangle& t) {
        WriteCylinder(out, t.v[0], t.v[1], "cylRadius");
        WriteCylinder(out, t.v[1], t.v[2], "cylRadius");
        WriteCylinder(out, t.v[2], t.v[0], "cylRadius");
    });
}

void WriteContourMapPov(PovSink& out, const SceneState& s) {
    // Contours of all three limits, whether their surfaces are shown or not.
    for (int L = 1; L <= kLayers; ++L) {
        out.Line("union {");
        int count = Clamp(s.surfaces.ContourSegmentCount[L], s.surfaces.ContourSegments[L].size());
        for (int i = 0; i < count; ++i) {
            const ContourSegment& seg = s.surfaces.ContourSegments[L][i];
            WriteCylinder(out, seg.end[0], seg.end[1], "cylRadius");
        }
        WriteLayerPigment(out, L);
        out.Line("}");
    }
    // The frame of the section plane, at the height of ContourLayer.
    const MapGridRecord& g = s.map.MapGrid;
    float ox = g.GridOrigin[0], oy = g.GridOrigin[1], oz = g.GridOrigin[2];
    float zc = static_cast<float>(s.surfaces.ContourLayer - 1) * g.GridStep[2] + oz;
    float xmax = (g.GridPoints[0] - 1.0f) * g.GridStep[0] + ox;
    float ymax = (g.GridPoints[1] - 1.0f) * g.GridStep[1] + oy;
    out.Line("union {");
    WriteCylinder(out, ox, oy, zc, xmax, oy, zc, "cylRadius");
    WriteCylinder(out, xmax, oy, zc, xmax, ymax, zc, "cylRadius");
    WriteCylinder(out, xmax, ymax, zc, ox, ymax, zc, "cylRadius");
    WriteCylinder(out, ox, ymax, zc, ox, oy, zc, "cylRadius");
    out.Line("pigment { color Gray40 }");
    out.Line("}");
}

void WriteCellPov(PovSink& out, const SceneState& s) {
    // Corner pairs of the twelve edges, numbered from 1: bottom face, top face,
    // then the four uprights.
    static constexpr int kEdges[12][2] = {{1, 2}, {2, 3}, {3, 4}, {4, 1}, {5, 6}, {6, 7},
                                          {7, 8}, {8, 5}, {1, 5}, {2, 6}, {3, 7}, {4, 8}};
    out.Line("union {");
    for (const auto& e : kEdges)
        WriteCylinder(out, s.map.CellCorners[e[0] - 1], s.map.CellCorners[e[1] - 1], "cylRadius");
    out.Line("pigment { color Gray80 }");
    out.Line("}");
}

void WriteModelMatrix(PovSink& out, const float m[16]) {
    // POV-Ray's matrix rows are OpenGL's columns without their fourth element.
    out.Line("matrix <");
    for (int c = 0; c < 4; ++c) {
        std::string row =
            PovNumber(m[4 * c]) + " , " + PovNumber(m[4 * c + 1]) + " , " + PovNumber(m[4 * c + 2]);
        if (c < 3) row += " , ";
        out.Line(row);
    }
    out.Line(">");
}

void WritePovrayText(PovSink& out, const SceneState& s, const std::string& header_text) {
    out.Line("// Original ELD map filename:");
    out.Line("// " + CommentText(s.map.MapFileName));
    CopyPovrayHeader(out, header_text);
    out.Line("union {");
    out.Line("union {");
    if (On(s.switches.ShowAtoms)) WriteAtomsPov(out, s);
    if (s.switches.SurfaceStyle == 1) WriteWebGridPov(out, s);
    if (s.switches.SurfaceStyle == 2) WriteTriangleGridPov(out, s);
    if (On(s.switches.ShowContourMap)) WriteContourMapPov(out, s);
    if (On(s.switches.ShowCell)) WriteCellPov(out, s);
    float m[16];
    ModelViewFromView(s, m);
    WriteModelMatrix(out, m);
    out.Line("}");
    out.Line("scale <1,1,-1>");
    out.Line("}");
}

void WritePovrayScene(const SceneState& s, const std::string& FileName) {
    // The header is read in full before the scene file is touched, so a bad
    // header leaves nothing behind.
    std::string header = ReadPovrayHeader(DataFilePath(s.program.DataFolder, kPovrayHeaderName));
    AtomicFile file(FileName);
    PovSink out;
    out.file = &file;
    try {
        WritePovrayText(out, s, header);
    } catch (const EldError& e) {
        fail(FileName + ": " + e.what());
    }
    out.Drain();
    file.commit();
}

}  // namespace eld
