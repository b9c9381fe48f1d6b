// eldmap surface: the iso-surfaces the viewer extracts, as OBJ, PLY or STL.
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/atomic_file.h"
#include "mapdata/data_files.h"
#include "mapdata/read_map.h"
#include "surface/marching_cubes.h"
#include "eldmap/args.h"
#include "eldmap/commands.h"
#include "eldmap/load.h"

namespace eld::eldmap {
namespace {

const char kUsage[] =
    "usage: eldmap surface MAP [--level V]... [-o OUT.obj|.ply|.stl] [--weld] [--json]\n"
    "                          [--repeat N]\n"
    "\n"
    "Extracts one iso-surface per level exactly as the viewer does (the same\n"
    "triangles in the same order). Without --level the three default layer\n"
    "limits of the map are used (0.1, 0.3 and 0.5 of its density range).\n"
    "\n"
    "Options:\n"
    "  --level V   a density limit; repeat for several surfaces\n"
    "  --model M   the atoms of a structure model (.pdb, .ent, .cif, .mmcif)\n"
    "  -o OUT      write the surfaces; the extension picks the format:\n"
    "                .obj  text, one 'o level_K' group per level\n"
    "                .ply  binary little-endian, one mesh; a 'comment level_K'\n"
    "                      line per level gives its limit and its faces\n"
    "                .stl  binary, one solid; each facet's attribute word\n"
    "                      holds its level number K\n"
    "              All levels go into the one file, level 1 first.\n"
    "  --weld      merge bit-equal vertices into an indexed mesh (OBJ, PLY);\n"
    "              without it every triangle is written as its own three\n"
    "              vertices, in store order, so the file reproduces the store\n"
    "  --json      print the level, triangle count and extraction time in\n"
    "              milliseconds of each surface as JSON\n"
    "  --repeat N  extract each surface N times and report the fastest time\n"
    "\n"
    "Without -o and --json a line per level is printed. A surface that needs\n"
    "more than 400 000 triangles ends eldmap with the viewer's message.\n";

struct Options {
    std::string map, output;
    std::vector<float> levels;
    bool weld = false, json = false, help = false;
    int repeat = 1;
};

std::string Parse(int argc, char** argv, Options& o) {
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) return nullptr;
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--level") {
            float v;
            const char* t = value();
            if (!t || !ParseFloat(t, v)) return "--level needs a number";
            o.levels.push_back(v);
        } else if (a == "-o") {
            const char* t = value();
            if (!t || !*t) return "-o needs a file name";
            o.output = t;
        } else if (a == "--weld") {
            o.weld = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--repeat") {
            const char* t = value();
            if (!t || !ParseInt(t, o.repeat) || o.repeat < 1)
                return "--repeat needs a whole number of at least 1";
        } else if (std::string problem = TakeMapArgument(a, o.map); !problem.empty()) {
            return problem;
        }
    }
    if (o.help) return "";
    if (o.map.empty()) return "no map given";
    if (!o.output.empty() && !HasExtension(o.output, ".obj") && !HasExtension(o.output, ".ply") &&
        !HasExtension(o.output, ".stl"))
        return "'" + o.output + "': the output must end in .obj, .ply or .stl";
    return "";
}

struct LevelSurface {
    float level = 0;
    double milliseconds = 0;
    std::vector<SurfaceTriangle> triangles;
};

// Vertices keyed by their bits, numbered from `first` in order of appearance.
struct Welder {
    struct Hash {
        std::size_t operator()(const std::array<std::uint32_t, 3>& k) const {
            return (std::size_t(k[0]) * 73856093u) ^ (std::size_t(k[1]) * 19349663u) ^
                   (std::size_t(k[2]) * 83492791u);
        }
    };
    std::unordered_map<std::array<std::uint32_t, 3>, std::uint32_t, Hash> index;
    std::vector<XYZ> vertices;
    std::uint32_t Add(const XYZ& p) {
        std::array<std::uint32_t, 3> key;
        std::memcpy(key.data(), &p, sizeof key);
        auto [it, fresh] = index.emplace(key, static_cast<std::uint32_t>(vertices.size()));
        if (fresh) vertices.push_back(p);
        return it->second;
    }
};

void Append(std::string& out, const char* format, double a, double b, double c) {
    char buf[96];
    int n = std::snprintf(buf, sizeof buf, format, a, b, c);
    out.append(buf, static_cast<std::size_t>(n));
}

void WriteObj(const std::vector<LevelSurface>& surfaces, const Options& o) {
    AtomicFile f(o.output);
    f.write("# eldmap surface of " + o.map + "\n");
    std::string text;
    std::uint64_t next = 1;  // OBJ counts vertices from 1 over the whole file
    for (std::size_t K = 0; K < surfaces.size(); ++K) {
        const LevelSurface& s = surfaces[K];
        text = "o level_" + std::to_string(K + 1) + "\n# limit " + FloatText(s.level) + ", " +
               std::to_string(s.triangles.size()) + " triangles\n";
        if (!o.weld) {
            for (const SurfaceTriangle& t : s.triangles) {
                for (const XYZ& p : t.v) Append(text, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
                text += "f " + std::to_string(next) + " " + std::to_string(next + 1) + " " +
                        std::to_string(next + 2) + "\n";
                next += 3;
                if (text.size() > (1u << 20)) {
                    f.write(text);
                    text.clear();
                }
            }
        } else {
            Welder w;
            std::vector<std::uint32_t> faces;
            for (const SurfaceTriangle& t : s.triangles)
                for (const XYZ& p : t.v) faces.push_back(w.Add(p));
            for (const XYZ& p : w.vertices) Append(text, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
            for (std::size_t n = 0; n < faces.size(); n += 3)
                text += "f " + std::to_string(next + faces[n]) + " " +
                        std::to_string(next + faces[n + 1]) + " " +
                        std::to_string(next + faces[n + 2]) + "\n";
            next += w.vertices.size();
        }
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

void WritePly(const std::vector<LevelSurface>& surfaces, const Options& o) {
    std::vector<XYZ> vertices;
    std::vector<std::uint32_t> faces;
    std::string comments;
    Welder w;
    for (std::size_t K = 0; K < surfaces.size(); ++K) {
        const LevelSurface& s = surfaces[K];
        comments += "comment level_" + std::to_string(K + 1) + " limit " + FloatText(s.level) +
                    " faces " + std::to_string(faces.size() / 3) + " count " +
                    std::to_string(s.triangles.size()) + "\n";
        for (const SurfaceTriangle& t : s.triangles)
            for (const XYZ& p : t.v) {
                if (o.weld) {
                    faces.push_back(w.Add(p));
                } else {
                    faces.push_back(static_cast<std::uint32_t>(vertices.size()));
                    vertices.push_back(p);
                }
            }
    }
    if (o.weld) vertices = w.vertices;
    std::string out = "ply\nformat binary_little_endian 1.0\ncomment eldmap surface of " + o.map +
                      "\n" + comments + "element vertex " + std::to_string(vertices.size()) +
                      "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
                      std::to_string(faces.size() / 3) +
                      "\nproperty list uchar uint vertex_indices\nend_header\n";
    out.reserve(out.size() + vertices.size() * 12 + faces.size() / 3 * 13);
    for (const XYZ& p : vertices) {
        Put(out, p.x);
        Put(out, p.y);
        Put(out, p.z);
    }
    for (std::size_t n = 0; n < faces.size(); n += 3) {
        Put(out, std::uint8_t{3});
        Put(out, faces[n]);
        Put(out, faces[n + 1]);
        Put(out, faces[n + 2]);
    }
    AtomicWrite(o.output, out);
}

void WriteStl(const std::vector<LevelSurface>& surfaces, const Options& o) {
    std::string out(80, ' ');
    std::string title = "eldmap surface";
    out.replace(0, title.size(), title);
    std::uint32_t count = 0;
    for (const LevelSurface& s : surfaces) count += static_cast<std::uint32_t>(s.triangles.size());
    Put(out, count);
    out.reserve(out.size() + std::size_t(count) * 50);
    for (std::size_t K = 0; K < surfaces.size(); ++K)
        for (const SurfaceTriangle& t : surfaces[K].triangles) {
            const XYZ &a = t.v[0], &b = t.v[1], &c = t.v[2];
            float u[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
            float v[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
            float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                          u[0] * v[1] - u[1] * v[0]};
            float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (float& x : n) x = len > 0 ? x / len : 0.0f;
            for (float x : n) Put(out, x);
            for (const XYZ& p : t.v) {
                Put(out, p.x);
                Put(out, p.y);
                Put(out, p.z);
            }
            Put(out, static_cast<std::uint16_t>(K + 1));
        }
    AtomicWrite(o.output, out);
}

}  // namespace

int Surface(int argc, char** argv) {
    const std::string model = TakeModelOption(argc, argv);
    Options o;
    std::string problem = Parse(argc, argv, o);
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!problem.empty()) return Error(problem + " (see eldmap surface --help)");

    SceneState s;
    OpenMapWithLayerDefaults(s, o.map, model);
    if (o.levels.empty()) o.levels.assign(s.layers.LayerLimit + 1, s.layers.LayerLimit + 4);

    // The case table and the store are set up once, outside the timing, as in
    // a viewer that has already shown a surface.
    ReadCellTable(s.surfaces.CellTables, DataFilePath(s.program.DataFolder, "cell_table.dat"));
    s.surfaces.CellTables.CellTableLoaded = true;
    GenerateLayerSurface(s, o.levels[0], 1);

    std::vector<LevelSurface> surfaces;
    for (float level : o.levels) {
        LevelSurface out;
        out.level = level;
        for (int r = 0; r < o.repeat; ++r) {
            auto t0 = std::chrono::steady_clock::now();
            GenerateLayerSurface(s, level, 1);
            double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count();
            if (r == 0 || ms < out.milliseconds) out.milliseconds = ms;
        }
        out.triangles.assign(s.surfaces.Triangles[1].begin(), s.surfaces.Triangles[1].begin() + s.surfaces.TriangleCount[1]);
        surfaces.push_back(std::move(out));
    }

    if (!o.output.empty()) {
        if (HasExtension(o.output, ".obj"))
            WriteObj(surfaces, o);
        else if (HasExtension(o.output, ".ply"))
            WritePly(surfaces, o);
        else
            WriteStl(surfaces, o);
    }
    if (o.json) {
        std::printf("{\"map\": \"");
        for (char c : o.map) {
            if (c == '"' || c == '\\')
                std::printf("\\%c", c);
            else if (static_cast<unsigned char>(c) < 0x20)
                std::printf("\\u%04x", c);
            else
                std::putchar(c);
        }
        std::printf("\", \"surfaces\": [");
        for (std::size_t K = 0; K < surfaces.size(); ++K)
            std::printf("%s\n  {\"level\": %.9g, \"triangles\": %zu, \"milliseconds\": %.4f}",
                        K ? "," : "", double(surfaces[K].level), surfaces[K].triangles.size(),
                        surfaces[K].milliseconds);
        std::printf("\n]}\n");
    } else if (o.output.empty()) {
        for (std::size_t K = 0; K < surfaces.size(); ++K)
            std::printf("level %zu: limit %s, %zu triangles, %.3f ms\n", K + 1,
                        FloatText(surfaces[K].level).c_str(), surfaces[K].triangles.size(),
                        surfaces[K].milliseconds);
    }
    return 0;
}

}  // namespace eld::eldmap
