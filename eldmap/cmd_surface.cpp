// eldmap surface: the iso-surfaces the viewer extracts, as OBJ, PLY or STL.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "eldmap/cli.h"
#include "eldmap/load.h"
#include "eldmap/text.h"
#include "export/atomic_file.h"
#include "mapdata/command_line.h"
#include "mapdata/data_files.h"
#include "surface/marching_cubes.h"

namespace eld::eldmap {
namespace {

const char kDetails[] =
    "Extracts one iso-surface per level exactly as the viewer does (the same\n"
    "triangles in the same order). Without --level the three default layer\n"
    "limits of the map are used (0.1, 0.3 and 0.5 of its density range).\n"
    "\n"
    "The output's extension picks the format; all levels go into the one file,\n"
    "level 1 first:\n"
    "  .obj  text, one 'o level_K' group per level\n"
    "  .ply  binary little-endian, one mesh; a 'comment level_K' line per level\n"
    "        gives its limit and its faces\n"
    "  .stl  binary, one solid; each facet's attribute word holds its level K\n"
    "\n"
    "--weld writes an indexed mesh (OBJ, PLY): a vertex per grid edge the\n"
    "surface crosses, shared by every triangle on that edge, so each closed\n"
    "piece of surface is one watertight mesh. Without it every triangle is\n"
    "written as its own three vertices, in store order, so the file reproduces\n"
    "the store.\n"
    "\n"
    "--json prints the level, triangle count and extraction time in milliseconds\n"
    "of each surface; without -o and --json a line per level is printed. The\n"
    "surfaces have no size limit unless --max-triangles sets one.\n"
    "\n"
    "--radius R keeps the viewer's map radius: only the cubes whose centre lies\n"
    "within R Angstrom of the --centre-at point (scene coordinates, by default\n"
    "the grid's middle) are visited, so the surface is the whole map's triangles\n"
    "of those cubes, in the same order.\n";

struct Options {
    MapInput map;
    std::string output;
    std::vector<std::string> levels;
    bool weld = false, json = false;
    int repeat = 1;
    std::int64_t maxTriangles = 0;
    RegionOptions region;
};

struct LevelSurface {
    float level = 0;
    double milliseconds = 0;
    SurfaceMesh mesh;
};

// The indexed form of one surface: vertices numbered in order of first use.
struct Indexed {
    std::vector<XYZ> vertices;
    std::vector<std::uint32_t> faces;  // three per triangle
};

Indexed Index(const SurfaceMesh& m, bool weld) {
    Indexed out;
    out.faces.reserve(3 * m.triangles.size());
    std::unordered_map<std::uint64_t, std::uint32_t> byEdge;
    for (std::size_t t = 0; t < m.triangles.size(); ++t)
        for (int c = 0; c < 3; ++c) {
            const XYZ& p = m.triangles[t].v[c];
            const auto next = static_cast<std::uint32_t>(out.vertices.size());
            std::uint32_t index = next;
            if (weld) index = byEdge.emplace(m.edges[3 * t + c], next).first->second;
            if (index == next) out.vertices.push_back(p);
            out.faces.push_back(index);
        }
    return out;
}

void WriteObj(const std::vector<LevelSurface>& surfaces, const Options& o) {
    const FileNumbers num{o.output};
    AtomicFile f(o.output);
    f.write("# eldmap surface of " + Printable(o.map.path) + "\n");
    std::uint64_t first = 1;  // OBJ counts vertices from 1 over the whole file
    for (std::size_t K = 0; K < surfaces.size(); ++K) {
        const LevelSurface& s = surfaces[K];
        const Indexed mesh = Index(s.mesh, o.weld);
        std::string text = "o level_" + std::to_string(K + 1) + "\n# limit " + Num(s.level) + ", " +
                           std::to_string(s.mesh.triangles.size()) + " triangles\n";
        auto face = [&](std::size_t n) {
            text += "f " + std::to_string(first + mesh.faces[n]) + " " +
                    std::to_string(first + mesh.faces[n + 1]) + " " +
                    std::to_string(first + mesh.faces[n + 2]) + "\n";
        };
        auto vertex = [&](const XYZ& p) {
            text += "v " + num(p.x) + " " + num(p.y) + " " + num(p.z) + "\n";
        };
        if (o.weld) {
            for (const XYZ& p : mesh.vertices) vertex(p);
            for (std::size_t n = 0; n < mesh.faces.size(); n += 3) face(n);
        } else {
            // Each face right after its own three vertices, as the store holds them.
            for (std::size_t n = 0; n < mesh.faces.size(); n += 3) {
                for (int c = 0; c < 3; ++c) vertex(mesh.vertices[n + c]);
                face(n);
                if (text.size() > (1u << 20)) {
                    f.write(text);
                    text.clear();
                }
            }
        }
        first += mesh.vertices.size();
        f.write(text);
    }
    f.commit();
}

template <typename T>
void Put(std::string& out, T v) {
    char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));  // little-endian host
    out.append(b, sizeof(T));
}

void PutPoint(std::string& out, const XYZ& p, const FileNumbers& num) {
    for (float v : {p.x, p.y, p.z}) {
        num.Check(v);
        Put(out, v);
    }
}

void WritePly(const std::vector<LevelSurface>& surfaces, const Options& o) {
    const FileNumbers num{o.output};
    std::vector<XYZ> vertices;
    std::vector<std::uint32_t> faces;
    std::string comments;
    for (std::size_t K = 0; K < surfaces.size(); ++K) {
        const LevelSurface& s = surfaces[K];
        comments += "comment level_" + std::to_string(K + 1) + " limit " + Num(s.level) +
                    " faces " + std::to_string(faces.size() / 3) + " count " +
                    std::to_string(s.mesh.triangles.size()) + "\n";
        // Levels never share a vertex: each level's indices follow the last.
        const Indexed mesh = Index(s.mesh, o.weld);
        const auto base = static_cast<std::uint32_t>(vertices.size());
        vertices.insert(vertices.end(), mesh.vertices.begin(), mesh.vertices.end());
        for (std::uint32_t f : mesh.faces) faces.push_back(base + f);
    }
    // A header line ends at a newline, so the name goes in as printable text.
    std::string out = "ply\nformat binary_little_endian 1.0\ncomment eldmap surface of " +
                      Printable(o.map.path) + "\n" + comments + "element vertex " +
                      std::to_string(vertices.size()) +
                      "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
                      std::to_string(faces.size() / 3) +
                      "\nproperty list uchar uint vertex_indices\nend_header\n";
    out.reserve(out.size() + vertices.size() * 12 + faces.size() / 3 * 13);
    for (const XYZ& p : vertices) PutPoint(out, p, num);
    for (std::size_t n = 0; n < faces.size(); n += 3) {
        Put(out, std::uint8_t{3});
        Put(out, faces[n]);
        Put(out, faces[n + 1]);
        Put(out, faces[n + 2]);
    }
    AtomicWrite(o.output, out);
}

void WriteStl(const std::vector<LevelSurface>& surfaces, const Options& o) {
    const FileNumbers num{o.output};
    std::string out(80, ' ');
    std::string title = "eldmap surface";
    out.replace(0, title.size(), title);
    std::uint32_t count = 0;
    for (const LevelSurface& s : surfaces)
        count += static_cast<std::uint32_t>(s.mesh.triangles.size());
    Put(out, count);
    out.reserve(out.size() + std::size_t(count) * 50);
    for (std::size_t K = 0; K < surfaces.size(); ++K)
        for (const SurfaceTriangle& t : surfaces[K].mesh.triangles) {
            const XYZ &a = t.v[0], &b = t.v[1], &c = t.v[2];
            float u[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
            float v[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
            float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                          u[0] * v[1] - u[1] * v[0]};
            float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (float& x : n) x = len > 0 && std::isfinite(len) ? x / len : 0.0f;
            for (float x : n) Put(out, x);
            for (const XYZ& p : t.v) PutPoint(out, p, num);
            Put(out, static_cast<std::uint16_t>(K + 1));
        }
    AtomicWrite(o.output, out);
}

void PrintJson(const std::vector<LevelSurface>& surfaces, const Options& o) {
    Json j;
    j["map"] = Utf8(o.map.path);
    j["surfaces"] = Json::array();
    for (const LevelSurface& s : surfaces)
        j["surfaces"].push_back({{"level", JsonFloat(s.level)},
                                 {"triangles", s.mesh.triangles.size()},
                                 {"milliseconds", s.milliseconds}});
    std::printf("%s\n", j.dump(2, ' ', true).c_str());
}

int Run(const Options& o) {
    SceneState s;
    OpenMapForCommand(s, o.map, MapUse::LayerDefaults, o.maxTriangles);
    ApplyRegion(s, o.region);
    // The case table is read once, outside the timing, as in a viewer that
    // has already shown a surface.
    ReadCellTable(s.surfaces.CellTables, DataFilePath(s.program.DataFolder, "cell_table.dat"));
    s.surfaces.CellTables.CellTableLoaded = true;

    std::vector<LevelSurface> surfaces;
    for (float level : LevelsOrDefaults(o.levels, s)) {
        LevelSurface out;
        out.level = level;
        for (int r = 0; r < o.repeat; ++r) {
            auto t0 = std::chrono::steady_clock::now();
            ExtractSurfaceMesh(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, level,
                               out.mesh, o.weld, o.maxTriangles, 0, {}, ExtractionRegion(s));
            double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count();
            if (r == 0 || ms < out.milliseconds) out.milliseconds = ms;
        }
        surfaces.push_back(std::move(out));
    }

    if (EndsWithNoCase(o.output, ".obj"))
        WriteObj(surfaces, o);
    else if (EndsWithNoCase(o.output, ".ply"))
        WritePly(surfaces, o);
    else if (EndsWithNoCase(o.output, ".stl"))
        WriteStl(surfaces, o);
    if (o.json) {
        PrintJson(surfaces, o);
    } else if (o.output.empty()) {
        for (std::size_t K = 0; K < surfaces.size(); ++K)
            std::printf("level %zu: limit %s, %zu triangles, %s ms\n", K + 1,
                        Num(surfaces[K].level).c_str(), surfaces[K].mesh.triangles.size(),
                        Num(surfaces[K].milliseconds, 4).c_str());
    }
    return 0;
}

}  // namespace

Command AddSurface(CLI::App& parent) {
    auto o = std::make_shared<Options>();
    CLI::App* cmd =
        NewCommand(parent, "surface",
                   "MAP [--level V]... [-o OUT.obj|.ply|.stl] [--weld] [--json] [--repeat N]\n"
                   "                      [--max-triangles N] [--radius R [--centre-at X,Y,Z]]",
                   "iso-surfaces as the viewer extracts them", kDetails);
    AddMapArgument(*cmd, o->map);
    AddLevelOption(*cmd, o->levels);
    AddOutputOption(*cmd, o->output, {".obj", ".ply", ".stl"}, false);
    cmd->add_flag("--weld", o->weld, "one vertex per grid edge (an indexed, watertight mesh)");
    cmd->add_flag("--json", o->json, "print each level's triangle count and time as JSON");
    cmd->add_option("--repeat", o->repeat, "extract each surface N times, report the fastest")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    AddMaxTriangles(*cmd, o->maxTriangles);
    AddRegionOptions(*cmd, o->region);
    cmd->callback([o] { RefuseOutputIsInput(o->output, o->map); });
    return {cmd, [o] { return Run(*o); }};
}

}  // namespace eld::eldmap
