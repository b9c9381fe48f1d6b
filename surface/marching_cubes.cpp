// Marching cubes over the whole grid into the fixed triangle store.
//
// The output is defined by the plain cube-by-cube algorithm (loop order, table
// order, 32-bit vertex arithmetic); this implementation produces exactly the
// same triangles, only faster:
//  - each grid point is compared with the limit once per extraction, into bit
//    rows of 64 points, so that whole runs of cubes that lie wholly above or
//    below the limit are skipped with a few word operations;
//  - the axis-1 loop is split into contiguous chunks run on their own threads,
//    and the chunks' triangles are concatenated in loop order.
// Vertices must match the plain algorithm bit for bit, so no multiply-add is
// contracted into a fused one (-ffp-contract=off, set for this file in
// CMakeLists.txt).

#include "surface/marching_cubes.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "surface/marching_squares.h"

namespace eld {
namespace {

// Cube edges 1..12: start and end corner, axis (0 = x) and the offset of the
// start corner from corner 0 along x, y and z.
struct EdgeGeometry {
    std::uint8_t start, end, axis, ox, oy, oz;
};
constexpr EdgeGeometry kEdges[13] = {
    {0, 0, 0, 0, 0, 0},  // unused
    {0, 1, 0, 0, 0, 0}, {1, 2, 1, 1, 0, 0}, {3, 2, 0, 0, 1, 0}, {0, 3, 1, 0, 0, 0},
    {4, 5, 0, 0, 0, 1}, {5, 6, 1, 1, 0, 1}, {7, 6, 0, 0, 1, 1}, {4, 7, 1, 0, 0, 1},
    {0, 4, 2, 0, 0, 0}, {1, 5, 2, 1, 0, 0}, {3, 7, 2, 0, 1, 0}, {2, 6, 2, 1, 1, 0},
};

// One case of the table in the form the inner loop wants.
struct CaseEntry {
    std::uint8_t cutCount = 0;
    std::uint8_t cut[12] = {};  // valid edge numbers only (others compute nothing)
    std::uint8_t triangleCount = 0;
    std::uint8_t edges[30] = {};
    bool resetVertices = false;  // a triangle uses an edge the case does not compute
};

struct Job {
    int n1, n2, n3;
    std::vector<float> pos[3];  // pos[a][n] = origin + (n - 1) * step, n = 1..N
    float step[3];
    // The region: cube centres per axis (n = 1..N-1), the slabs and rows
    // that can hold a cube of it.
    MapRegion region;
    bool whole = true;
    std::vector<double> centre[3];
    int iFirst = 1, iLast = 0, jFirst = 1, jLast = 0;
    float limit;
    const float* values;
    std::size_t strideI, strideJ;  // in floats
    int words;                     // bit words per row, plus one zero word
    CaseEntry cases[256];
};

void PrepareCases(const CellTable& t, CaseEntry* cases) {
    for (int c = 0; c < 256; ++c) {
        CaseEntry& e = cases[c];
        bool computed[13] = {};
        int cutCount = std::clamp<int>(t.CutEdgeTable[c][0], 0, 12);
        for (int m = 1; m <= cutCount; ++m) {
            int edge = t.CutEdgeTable[c][m];
            if (edge < 1 || edge > 12) continue;
            e.cut[e.cutCount++] = static_cast<std::uint8_t>(edge);
            computed[edge] = true;
        }
        int tris = std::clamp<int>(t.TriangleTable[c][0], 0, 10);
        e.triangleCount = static_cast<std::uint8_t>(tris);
        for (int n = 0; n < 3 * tris; ++n) {
            int edge = std::clamp<int>(t.TriangleTable[c][n + 1], 0, 12);
            e.edges[n] = static_cast<std::uint8_t>(edge);
            if (!computed[edge]) e.resetVertices = true;
        }
    }
}

// bits[w] bit b = value of grid point k = 64w + b + 1 lies above the limit.
void RowBits(const float* v, int n, float limit, std::uint64_t* bits, int words) {
    int k = 0, w = 0;
#if defined(__SSE2__)
    const __m128 lim = _mm_set1_ps(limit);
    for (; k + 64 <= n; k += 64, ++w) {
        std::uint64_t m = 0;
        for (int q = 0; q < 16; ++q) {
            __m128 x = _mm_loadu_ps(v + k + 4 * q);
            m |= static_cast<std::uint64_t>(_mm_movemask_ps(_mm_cmpgt_ps(x, lim))) << (4 * q);
        }
        bits[w] = m;
    }
#endif
    while (k < n) {
        std::uint64_t m = 0;
        for (int q = 0; q < 64 && k + q < n; ++q)
            m |= static_cast<std::uint64_t>(v[k + q] > limit) << q;
        bits[w++] = m;
        k += 64;
    }
    for (; w < words; ++w) bits[w] = 0;
}

// The progress bar before slab i of n1 - 1: 100 at the last slab.
int SlabPercent(int i, int n1) {
    return static_cast<int>(std::int64_t{100} * i / (n1 - 1));
}

// The rows of plane i that cubes of the region read.
void PlaneBits(const Job& job, int i, std::uint64_t* plane) {
    for (int j = job.jFirst; j <= job.jLast + 1; ++j)
        RowBits(job.values + i * job.strideI + j * job.strideJ + 1, job.n3, job.limit,
                plane + static_cast<std::size_t>(j) * job.words, job.words);
}

// The first and last n in 1..count with inside(n), where inside holds on one
// run about the centre nearest `target` (centres are monotone along an axis,
// and the distance only grows away from the nearest one). first > last: none.
template <class Inside>
void InsideRun(const std::vector<double>& c, int count, double target, Inside inside, int& first,
               int& last) {
    first = 1, last = 0;
    if (count < 1) return;
    const bool rising = c[count] >= c[1];
    int lo = 1, hi = count;  // first n at or past target
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (rising ? c[mid] >= target : c[mid] <= target) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    int m = lo;
    if (m > 1 && std::abs(c[m - 1] - target) <= std::abs(c[m] - target)) m = m - 1;
    if (!inside(m)) return;
    lo = m, hi = count;  // last inside
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (inside(mid)) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    last = lo;
    lo = 1, hi = m;  // first inside
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (inside(mid)) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    first = lo;
}

double Square(double v) {
    return v * v;
}

// Slabs and rows that can hold cubes of the region: the distance along one
// or two axes alone already exceeds the radius elsewhere (the sum of squares
// is formed in the order CentreInRegion forms it, and adding never lowers it).
void PrepareRegion(Job& job, const MapRegion& region) {
    const int counts[3] = {job.n1 - 1, job.n2 - 1, job.n3 - 1};
    job.region = region;
    job.whole = WholeMap(region);
    job.iFirst = job.jFirst = 1;
    job.iLast = counts[0];
    job.jLast = counts[1];
    if (job.whole) return;
    for (int a = 0; a < 3; ++a) {
        job.centre[a].assign(static_cast<std::size_t>(counts[a]) + 1, 0.0);
        for (int n = 1; n <= counts[a]; ++n)
            job.centre[a][n] = double(job.pos[a][n]) + 0.5 * double(job.step[a]);
    }
    const double r2 = region.radius * region.radius;
    InsideRun(
        job.centre[0], counts[0], region.centre[0],
        [&](int i) { return Square(job.centre[0][i] - region.centre[0]) <= r2; }, job.iFirst,
        job.iLast);
    InsideRun(
        job.centre[1], counts[1], region.centre[1],
        [&](int j) { return Square(job.centre[1][j] - region.centre[1]) <= r2; }, job.jFirst,
        job.jLast);
}

// Cubes k = first..last of row (i, j) that lie in the region; all of them
// for the whole map.
void RowRun(const Job& job, int i, int j, int& first, int& last) {
    first = 1, last = job.n3 - 1;
    if (job.whole) return;
    const MapRegion& r = job.region;
    const double r2 = r.radius * r.radius;
    const double xy =
        Square(job.centre[0][i] - r.centre[0]) + Square(job.centre[1][j] - r.centre[1]);
    if (!(xy <= r2)) {
        first = 1, last = 0;
        return;
    }
    InsideRun(
        job.centre[2], job.n3 - 1, r.centre[2],
        [&](int k) { return xy + Square(job.centre[2][k] - r.centre[2]) <= r2; }, first, last);
}

struct ChunkResult {
    int count = 0;
    bool overflow = false;
};

// Where a chunk's triangles go. Room(count, n) is the place for n more
// triangles after `count`, or nullptr when the store may not hold them.
// The viewer's store: fixed, allocated once.
struct FixedSink {
    static constexpr bool kEdges = false;
    SurfaceTriangle* out;
    int capacity;
    SurfaceTriangle* Room(int count, int n) { return count + n > capacity ? nullptr : out + count; }
    std::uint64_t* EdgeRoom(int) { return nullptr; }
};

// Batch work: vectors that grow with the triangles found, up to `max` (0: no
// limit), with the grid edge of every vertex when Edges is true.
template <bool Edges>
struct GrowSink {
    static constexpr bool kEdges = Edges;
    std::vector<SurfaceTriangle>& triangles;
    std::vector<std::uint64_t>& edges;
    std::int64_t max;
    SurfaceTriangle* Room(int count, int n) {
        const std::size_t need = static_cast<std::size_t>(count) + n;
        if (max > 0 && static_cast<std::int64_t>(need) > max) return nullptr;
        if (need > triangles.size()) {
            if (need > std::size_t{INT32_MAX}) return nullptr;  // counts are 32-bit
            const std::size_t grown = std::max({need, 2 * triangles.size(), std::size_t{4096}});
            triangles.resize(grown);
            if (Edges) edges.resize(3 * grown);
        }
        return triangles.data() + count;
    }
    std::uint64_t* EdgeRoom(int count) { return edges.data() + 3 * std::size_t(count); }
};

// Cubes i = iBegin..iEnd-1 into the sink, from its index 0. Before slab i the
// chunk on the calling thread reports its percent through `progress`; the
// others only publish i in `started` for the calling thread to report in slab
// order.
template <typename Sink>
ChunkResult RunChunk(const Job& job, int iBegin, int iEnd, Sink& sink,
                     const std::atomic<bool>& stop, const std::function<void(int)>* progress,
                     std::atomic<int>* started) {
    ChunkResult r;
    const int W = job.words;
    std::vector<std::uint64_t> planeA(static_cast<std::size_t>(job.n2 + 1) * W);
    std::vector<std::uint64_t> planeB(planeA.size());
    std::uint64_t* P = planeA.data();
    std::uint64_t* Q = planeB.data();
    const float dx = job.step[0], dy = job.step[1], dz = job.step[2];
    const float* zpos = job.pos[2].data();
    // Edge vertices as three separate arrays: each coordinate is stored and
    // read back as one float, so loads never straddle two pending stores
    // (a failed store-to-load forward cost more than the division here).
    float vx[13] = {}, vy[13] = {}, vz[13] = {};

    PlaneBits(job, iBegin, P);
    for (int i = iBegin; i < iEnd; ++i) {
        if (stop.load(std::memory_order_relaxed)) break;
        if (progress) {
            (*progress)(SlabPercent(i, job.n1));
        } else if (started) {
            started->store(i, std::memory_order_release);
            started->notify_one();
        }
        PlaneBits(job, i + 1, Q);
        const float x0 = job.pos[0][i];
        const float x1 = x0 + dx;
        for (int j = job.jFirst; j <= job.jLast; ++j) {
            int kFirst, kLast;
            RowRun(job, i, j, kFirst, kLast);
            if (kFirst > kLast) continue;
            // Bit b of word w is cube k = 64 w + b + 1.
            const int wFirst = (kFirst - 1) >> 6, wLast = (kLast - 1) >> 6;
            const std::uint64_t firstMask = ~std::uint64_t{0} << ((kFirst - 1) & 63);
            const std::uint64_t lastMask = ~std::uint64_t{0} >> (63 - ((kLast - 1) & 63));
            const std::uint64_t* r0 = P + static_cast<std::size_t>(j) * W;
            const std::uint64_t* r3 = P + static_cast<std::size_t>(j + 1) * W;
            const std::uint64_t* r1 = Q + static_cast<std::size_t>(j) * W;
            const std::uint64_t* r2 = Q + static_cast<std::size_t>(j + 1) * W;
            const float* f0 = job.values + i * job.strideI + j * job.strideJ;
            const float* f1 = f0 + job.strideI;
            const float* f2 = f1 + job.strideJ;
            const float* f3 = f0 + job.strideJ;
            const float y0 = job.pos[1][j];
            const float y1 = y0 + dy;
            for (int w = wFirst; w <= wLast; ++w) {
                const std::uint64_t a = r0[w], b = r1[w], c = r2[w], d = r3[w];
                const std::uint64_t an = (a >> 1) | (r0[w + 1] << 63);
                const std::uint64_t bn = (b >> 1) | (r1[w + 1] << 63);
                const std::uint64_t cn = (c >> 1) | (r2[w + 1] << 63);
                const std::uint64_t dn = (d >> 1) | (r3[w + 1] << 63);
                const std::uint64_t any = a | b | c | d | an | bn | cn | dn;
                const std::uint64_t all = a & b & c & d & an & bn & cn & dn;
                std::uint64_t mixed = any & ~all;
                if (w == wFirst) mixed &= firstMask;
                if (w == wLast) mixed &= lastMask;
                while (mixed) {
                    const int p = __builtin_ctzll(mixed);
                    mixed &= mixed - 1;
                    const unsigned cubeCase = ((a >> p) & 1) | ((b >> p) & 1) << 1 |
                                              ((c >> p) & 1) << 2 | ((d >> p) & 1) << 3 |
                                              ((an >> p) & 1) << 4 | ((bn >> p) & 1) << 5 |
                                              ((cn >> p) & 1) << 6 | ((dn >> p) & 1) << 7;
                    const CaseEntry& ce = job.cases[cubeCase];
                    const int k = 64 * w + p + 1;
                    const float D[8] = {f0[k],     f1[k],     f2[k],     f3[k],
                                        f0[k + 1], f1[k + 1], f2[k + 1], f3[k + 1]};
                    const float z0 = zpos[k];
                    const float lo[3] = {x0, y0, z0};
                    const float hi[3] = {x1, y1, z0 + dz};
                    const float st[3] = {dx, dy, dz};
                    if (ce.resetVertices) {
                        std::fill(vx, vx + 13, 0.0f);
                        std::fill(vy, vy + 13, 0.0f);
                        std::fill(vz, vz + 13, 0.0f);
                    }
                    for (int m = 0; m < ce.cutCount; ++m) {
                        const int e = ce.cut[m];
                        const EdgeGeometry& g = kEdges[e];
                        const float t = EdgeFraction(D[g.start], D[g.end], job.limit);
                        const float along = lo[g.axis] + t * st[g.axis];
                        vx[e] = g.axis == 0 ? along : g.ox ? hi[0] : lo[0];
                        vy[e] = g.axis == 1 ? along : g.oy ? hi[1] : lo[1];
                        vz[e] = g.axis == 2 ? along : g.oz ? hi[2] : lo[2];
                    }
                    SurfaceTriangle* dst = sink.Room(r.count, ce.triangleCount);
                    if (!dst) {
                        r.overflow = true;
                        return r;
                    }
                    for (int n = 0; n < 3 * ce.triangleCount; ++n) {
                        const int e = ce.edges[n];
                        XYZ& corner = dst[n / 3].v[n % 3];
                        corner.x = vx[e];
                        corner.y = vy[e];
                        corner.z = vz[e];
                    }
                    if constexpr (Sink::kEdges) {
                        std::uint64_t* ids = sink.EdgeRoom(r.count);
                        for (int n = 0; n < 3 * ce.triangleCount; ++n) {
                            const EdgeGeometry& g = kEdges[ce.edges[n]];
                            ids[n] =
                                GridEdgeId(i + g.ox, j + g.oy, k + g.oz, g.axis, job.n2, job.n3);
                        }
                    }
                    r.count += ce.triangleCount;
                }
            }
        }
        std::swap(P, Q);
    }
    return r;
}

// Anonymous memory for one chunk's triangles. Fresh pages cost a fault each
// on first touch; huge pages cut the number of faults 512-fold.
class TriangleScratch {
  public:
    explicit TriangleScratch(std::size_t triangles) {
        constexpr std::size_t kHuge = std::size_t{2} << 20;
        length_ = triangles * sizeof(SurfaceTriangle) + kHuge;
        base_ = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base_ == MAP_FAILED) throw std::bad_alloc();
        auto addr = reinterpret_cast<std::uintptr_t>(base_);
        auto aligned = (addr + kHuge - 1) & ~(kHuge - 1);
#ifdef MADV_HUGEPAGE
        madvise(reinterpret_cast<void*>(aligned), length_ - (aligned - addr), MADV_HUGEPAGE);
#endif
        data_ = reinterpret_cast<SurfaceTriangle*>(aligned);
    }
    ~TriangleScratch() {
        munmap(base_, length_);
    }
    TriangleScratch(const TriangleScratch&) = delete;
    TriangleScratch& operator=(const TriangleScratch&) = delete;
    SurfaceTriangle* data() const {
        return data_;
    }

  private:
    void* base_ = nullptr;
    std::size_t length_ = 0;
    SurfaceTriangle* data_ = nullptr;
};

// The triangle store of a layer: allocated once, advised to huge pages before
// it is first touched.
void EnsureTriangleStore(std::vector<SurfaceTriangle>& store) {
    if (store.size() == static_cast<std::size_t>(kMaxTrianglesPerLayer)) return;
    store.clear();
    store.shrink_to_fit();
    store.reserve(kMaxTrianglesPerLayer);
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    auto begin = (reinterpret_cast<std::uintptr_t>(store.data()) + kHuge - 1) & ~(kHuge - 1);
    auto end =
        reinterpret_cast<std::uintptr_t>(store.data() + kMaxTrianglesPerLayer) & ~(kHuge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
    store.resize(kMaxTrianglesPerLayer);
}

// The extraction's fixed inputs; nullptr when the grid or the region has no
// cubes (after walking the progress through the slabs when N2 or N3 is 1).
std::unique_ptr<Job> MakeJob(const MapGridRecord& grid, const DensityGridArray& density,
                             const CellTable& table, float limit,
                             const std::function<void(int)>& progress, const MapRegion& region) {
    const int n1 = grid.N(1), n2 = grid.N(2), n3 = grid.N(3);
    if (n1 < 2) return nullptr;
    if (n2 < 2 || n3 < 2) {
        // Slabs without cubes: the bar still walks through them.
        if (progress)
            for (int i = 1; i < n1; ++i) progress(SlabPercent(i, n1));
        return nullptr;
    }
    if (density.n1 < n1 || density.n2 < n2 || density.n3 < n3)
        fail("the density grid (" + std::to_string(density.n1) + " x " +
             std::to_string(density.n2) + " x " + std::to_string(density.n3) +
             ") is smaller than MapGrid GridPoints");

    auto job = std::make_unique<Job>();
    job->n1 = n1;
    job->n2 = n2;
    job->n3 = n3;
    const int counts[3] = {n1, n2, n3};
    for (int a = 0; a < 3; ++a) {
        job->step[a] = grid.GridStep[a];
        job->pos[a].assign(static_cast<std::size_t>(counts[a]) + 2, 0.0f);
        for (int n = 1; n <= counts[a]; ++n)
            job->pos[a][n] = grid.GridOrigin[a] + static_cast<float>(n - 1) * grid.GridStep[a];
    }
    job->limit = limit;
    job->values = density.values.data();
    job->strideJ = static_cast<std::size_t>(density.n3) + 1;
    job->strideI = job->strideJ * (static_cast<std::size_t>(density.n2) + 1);
    job->words = (n3 + 63) / 64 + 1;
    PrepareCases(table, job->cases);
    PrepareRegion(*job, region);
    if (job->iLast < job->iFirst) return nullptr;
    return job;
}

// How many chunks the region's slabs are cut into: threads, or when that is
// <= 0 one per core (one for small regions); never more than there are slabs.
int ChunkCount(const Job& job, int threads) {
    const int slabs = job.iLast - job.iFirst + 1;
    if (threads <= 0) {
        const double cubes = double(slabs) * (job.jLast - job.jFirst + 1) * (job.n3 - 1);
        threads = cubes < (1 << 18) ? 1 : int(std::max(1u, std::thread::hardware_concurrency()));
    }
    return std::clamp(threads, 1, slabs);
}

// The region's slabs in `threads` (ChunkCount) contiguous chunks: chunk t runs
// run(t, iBegin, iEnd, stop, progress-or-null, started-or-null) on its own
// thread, chunk 0 on the caller's, which also reports the other chunks'
// slabs in slab order. A chunk that overflows stops the others. Rethrows the
// first error; returns each chunk's result.
using ChunkFn =
    std::function<ChunkResult(int t, int iBegin, int iEnd, const std::atomic<bool>& stop,
                              const std::function<void(int)>* progress, std::atomic<int>* started)>;
std::vector<ChunkResult> RunChunks(const Job& job, int threads,
                                   const std::function<void(int)>& progress, const ChunkFn& run) {
    const int slabs = job.iLast - job.iFirst + 1;
    std::atomic<bool> stop{false};
    // started[t]: the slab chunk t works on; past its end once it is over.
    std::unique_ptr<std::atomic<int>[]> started(new std::atomic<int>[threads]);
    for (int t = 0; t < threads; ++t) started[t].store(0);
    const bool reporting = static_cast<bool>(progress);
    std::vector<ChunkResult> results(threads);
    std::vector<std::exception_ptr> errors(threads);
    std::vector<std::thread> workers;
    auto begin = [&](int t) {
        return job.iFirst + static_cast<int>(std::int64_t(slabs) * t / threads);
    };
    try {
        for (int t = 1; t < threads; ++t) {
            workers.emplace_back([&, t] {
                try {
                    results[t] = run(t, begin(t), begin(t + 1), stop, nullptr,
                                     reporting ? &started[t] : nullptr);
                } catch (...) {
                    errors[t] = std::current_exception();
                }
                if (results[t].overflow || errors[t]) stop = true;
                started[t].store(std::numeric_limits<int>::max());
                started[t].notify_one();
            });
        }
    } catch (...) {
        // No thread: stop the chunks already running, then report.
        stop = true;
        for (std::thread& w : workers) w.join();
        throw;
    }
    try {
        results[0] = run(0, begin(0), begin(1), stop, reporting ? &progress : nullptr, nullptr);
        // The other chunks' slabs, reported in slab order as they are reached.
        for (int t = 1; reporting && t < threads; ++t) {
            for (int i = begin(t); i < begin(t + 1); ++i) {
                int at = started[t].load();
                while (at < i && !stop.load()) {
                    started[t].wait(at);
                    at = started[t].load();
                }
                if (at < i || stop.load()) break;
                progress(SlabPercent(i, job.n1));
            }
        }
    } catch (...) {
        errors[0] = std::current_exception();
    }
    if (results[0].overflow || errors[0]) stop = true;
    for (std::thread& w : workers) w.join();
    for (const std::exception_ptr& e : errors)
        if (e) std::rethrow_exception(e);
    return results;
}

template <bool Edges>
void ExtractGrowing(const Job& job, SurfaceMesh& out, std::int64_t max, int threads,
                    const std::function<void(int)>& progress) {
    // Chunk 0 fills out's own vectors (keeping their capacity from an earlier
    // call); the others their own, appended in loop order afterwards.
    std::vector<SurfaceMesh> parts(threads);
    out.triangles.resize(out.triangles.capacity());
    if (Edges) out.edges.resize(3 * out.triangles.size());
    const std::vector<ChunkResult> results =
        RunChunks(job, threads, progress,
                  [&](int t, int b, int e, const std::atomic<bool>& stop,
                      const std::function<void(int)>* p, std::atomic<int>* started) {
                      SurfaceMesh& m = t == 0 ? out : parts[t];
                      GrowSink<Edges> sink{m.triangles, m.edges, max};
                      return RunChunk(job, b, e, sink, stop, p, started);
                  });
    std::int64_t total = 0;
    for (const ChunkResult& r : results) {
        if (r.overflow) fail_fatal(TooManyTrianglesMessage(max));
        total += r.count;
    }
    if ((max > 0 && total > max) || total > INT32_MAX) fail_fatal(TooManyTrianglesMessage(max));
    out.triangles.resize(static_cast<std::size_t>(results[0].count));
    out.edges.resize(Edges ? 3 * out.triangles.size() : 0);
    for (std::size_t t = 1; t < results.size(); ++t) {
        const auto n = static_cast<std::size_t>(results[t].count);
        out.triangles.insert(out.triangles.end(), parts[t].triangles.begin(),
                             parts[t].triangles.begin() + n);
        if (Edges)
            out.edges.insert(out.edges.end(), parts[t].edges.begin(),
                             parts[t].edges.begin() + 3 * n);
    }
}

}  // namespace

std::string TooManyTrianglesMessage(std::int64_t max) {
    return "the surface needs more than " + std::to_string(max) +
           " triangles (see --max-triangles)";
}

int ExtractSurface(const MapGridRecord& grid, const DensityGridArray& density,
                   const CellTable& table, float limit, SurfaceTriangle* out, int capacity,
                   int threads, const std::function<void(int)>& progress, const MapRegion& region) {
    const std::unique_ptr<Job> job = MakeJob(grid, density, table, limit, progress, region);
    if (!job) return 0;
    threads = ChunkCount(*job, threads);
    std::vector<std::unique_ptr<TriangleScratch>> scratch(threads);
    for (int t = 1; t < threads; ++t) scratch[t] = std::make_unique<TriangleScratch>(capacity);
    const std::vector<ChunkResult> results =
        RunChunks(*job, threads, progress,
                  [&](int t, int b, int e, const std::atomic<bool>& stop,
                      const std::function<void(int)>* p, std::atomic<int>* started) {
                      FixedSink sink{t == 0 ? out : scratch[t]->data(), capacity};
                      return RunChunk(*job, b, e, sink, stop, p, started);
                  });

    std::int64_t total = 0;
    for (const ChunkResult& r : results) {
        if (r.overflow) fail_fatal(kTooManyTrianglesMessage);
        total += r.count;
    }
    if (total > capacity) fail_fatal(kTooManyTrianglesMessage);
    int at = results[0].count;
    for (std::size_t t = 1; t < results.size(); ++t) {
        std::memcpy(static_cast<void*>(out + at), scratch[t]->data(),
                    sizeof(SurfaceTriangle) * results[t].count);
        at += results[t].count;
    }
    return at;
}

void ExtractSurfaceMesh(const MapGridRecord& grid, const DensityGridArray& density,
                        const CellTable& table, float limit, SurfaceMesh& out, bool withEdges,
                        std::int64_t maxTriangles, int threads,
                        const std::function<void(int)>& progress, const MapRegion& region) {
    const std::unique_ptr<Job> job = MakeJob(grid, density, table, limit, progress, region);
    if (!job) {
        out.triangles.clear();
        out.edges.clear();
        return;
    }
    threads = ChunkCount(*job, threads);
    if (withEdges)
        ExtractGrowing<true>(*job, out, maxTriangles, threads, progress);
    else
        ExtractGrowing<false>(*job, out, maxTriangles, threads, progress);
}

void GenerateLayerSurface(SceneState& s, float limit, int L, const ProgressFn& progress) {
    if (L < 1 || L > kLayers) fail("layer number " + std::to_string(L) + " is outside 1..3");
    if (!s.surfaces.CellTables.CellTableLoaded) {
        ReadCellTable(s.surfaces.CellTables, DataFilePath(s.program.DataFolder, "cell_table.dat"));
        s.surfaces.CellTables.CellTableLoaded = true;
    }
    s.surfaces.TriangleCount[L] = 0;
    if (progress) progress(L, 0);
    std::function<void(int)> percent;
    if (progress) percent = [&](int p) { progress(L, p); };
    if (s.surfaces.TriangleCapacity == kMaxTrianglesPerLayer) {
        EnsureTriangleStore(s.surfaces.Triangles[L]);
        s.surfaces.TriangleCount[L] = ExtractSurface(
            s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, limit,
            s.surfaces.Triangles[L].data(), kMaxTrianglesPerLayer, 0, percent, ExtractionRegion(s));
    } else {
        // Batch work: the store grows with the triangles found.
        SurfaceMesh mesh;
        mesh.triangles = std::move(s.surfaces.Triangles[L]);
        ExtractSurfaceMesh(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, limit, mesh,
                           false, s.surfaces.TriangleCapacity, 0, percent, ExtractionRegion(s));
        s.surfaces.TriangleCount[L] = static_cast<int>(mesh.triangles.size());
        s.surfaces.Triangles[L] = std::move(mesh.triangles);
    }
    if (progress) progress(L, kLayerDone);
}

MapRegion ExtractionRegion(const SceneState& s) {
    MapRegion r;
    for (int a = 0; a < 3; ++a) r.centre[a] = s.surfaces.RegionCentre[a];
    r.radius = s.switches.MapRadius > 0 ? s.switches.MapRadius : 0;
    return r;
}

bool ExtractFields(SceneState& s, const ProgressFn& progress) {
    for (int L = 1; L <= kLayers; ++L)
        if (On(s.layers.LayerVisible[L]))
            GenerateLayerSurface(s, s.layers.LayerLimit[L], L, progress);
    bool complete = true;
    if (On(s.switches.ShowContourMap))
        for (int L = 1; L <= kLayers; ++L)
            if (!GenerateContour(s, s.layers.LayerLimit[L], L)) complete = false;
    InvalidateScene(s);
    return complete;
}

}  // namespace eld
