#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <vector>

#include "gl/primitives.h"
#include "mapdata/atoms.h"
#include "mapdata/geometry.h"

namespace eld {

namespace {

// Triangles actually held for layer L (the count never exceeds the store, but
// a stale count must not read past it).
int StoredTriangles(const SceneState& s, int L) {
    return std::min<long>(s.surfaces.TriangleCount[L],
                          static_cast<long>(s.surfaces.Triangles[L].size()));
}

int StoredSegments(const SceneState& s, int L) {
    return std::min<long>(s.surfaces.ContourSegmentCount[L],
                          static_cast<long>(s.surfaces.ContourSegments[L].size()));
}

void Vertex(const XYZ& p) {
    glVertex3f(p.x, p.y, p.z);
}

GLUquadric* NewSolidQuadric() {
    GLUquadric* q = gluNewQuadric();
    gluQuadricDrawStyle(q, GLU_FILL);
    gluQuadricNormals(q, GLU_SMOOTH);
    gluQuadricOrientation(q, GLU_OUTSIDE);
    return q;
}

// Line segments go to GL from a vertex array, one glDrawArrays per batch:
// recorded into display list 1 that costs a fraction of one glVertex call
// per point. The segments and their ends keep the order the per-triangle
// strips and loops had, so the rasterised picture is the same.
constexpr int kBatchSegments = 1 << 16;

class LineBatch {
  public:
    LineBatch() {
        points_.reserve(2 * kBatchSegments);
        glEnableClientState(GL_VERTEX_ARRAY);
    }
    ~LineBatch() {
        Flush();
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    LineBatch(const LineBatch&) = delete;
    LineBatch& operator=(const LineBatch&) = delete;

    void Segment(const XYZ& a, const XYZ& b) {
        points_.push_back(a);
        points_.push_back(b);
        if (points_.size() >= 2 * static_cast<std::size_t>(kBatchSegments)) Flush();
    }
    // Draws what is pending; the next colour change must come after it.
    void Flush() {
        if (points_.empty()) return;
        glVertexPointer(3, GL_FLOAT, sizeof(XYZ), points_.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(points_.size()));
        points_.clear();
    }

  private:
    std::vector<XYZ> points_;
};
static_assert(sizeof(XYZ) == 3 * sizeof(float));

// Every visible layer's stored triangles in the layer's colour; `edges` adds
// the segments of one triangle.
template <class Edges>
void DrawLayerGrids(const SceneState& s, Edges edges) {
    glLineWidth(SurfaceLineWidth(s.program.DisplayMode));
    LineBatch batch;
    for (int L = 1; L <= kLayers; ++L) {
        if (!On(s.layers.LayerVisible[L])) continue;
        const int n = StoredTriangles(s, L);
        if (n <= 0) continue;
        glColor3fv(s.layers.SurfaceColour[L]);
        for (int t = 0; t < n; ++t) edges(batch, s.surfaces.Triangles[L][t].v);
        batch.Flush();
    }
}

}  // namespace

float SurfaceLineWidth(StereoMode DisplayMode) {
    return DisplayMode == StereoMode::StereoInterlaced ? 2.0f : 1.0f;
}

void SpiderGrid(const SceneState& s) {
    // A strip A, G, B and a line G, C per triangle.
    DrawLayerGrids(s, [](LineBatch& batch, const XYZ* v) {
        const XYZ g = TriangleCentroid(v[0], v[1], v[2]);
        batch.Segment(v[0], g);
        batch.Segment(g, v[1]);
        batch.Segment(g, v[2]);
    });
}

void TriangleGrid(const SceneState& s) {
    // A closed loop A, B, C per triangle.
    DrawLayerGrids(s, [](LineBatch& batch, const XYZ* v) {
        batch.Segment(v[0], v[1]);
        batch.Segment(v[1], v[2]);
        batch.Segment(v[2], v[0]);
    });
}

void ContourMap(const SceneState& s) {
    glLineWidth(kContourLineWidth);
    // All three limits, whatever the layers' visibility; each store is
    // already a list of segment ends.
    glEnableClientState(GL_VERTEX_ARRAY);
    for (int L = 1; L <= kLayers; ++L) {
        const int n = StoredSegments(s, L);
        if (n <= 0) continue;
        glColor3fv(s.layers.ContourColour[L]);
        glVertexPointer(3, GL_FLOAT, sizeof(XYZ), s.surfaces.ContourSegments[L].data());
        glDrawArrays(GL_LINES, 0, 2 * n);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    ContourSectionFrame(s);
}

void ContourSectionFrame(const SceneState& s) {
    const MapGridRecord& g = s.map.MapGrid;
    const float z = g.GridOrigin[2] + (s.surfaces.ContourLayer - 1) * g.GridStep[2];
    const float xlo = g.GridOrigin[0],
                xhi = g.GridOrigin[0] + (g.GridPoints[0] - 1) * g.GridStep[0];
    const float ylo = g.GridOrigin[1],
                yhi = g.GridOrigin[1] + (g.GridPoints[1] - 1) * g.GridStep[1];
    glColor3fv(kSectionFrameColour);
    glLineWidth(kSectionFrameWidth);
    glBegin(GL_LINE_LOOP);
    glVertex3f(xlo, ylo, z);
    glVertex3f(xhi, ylo, z);
    glVertex3f(xhi, yhi, z);
    glVertex3f(xlo, yhi, z);
    glEnd();
}

void DrawCell(const SceneState& s) {
    const XYZ* c = s.map.CellCorners;
    glColor3fv(kCellColour);
    glLineWidth(kCellLineWidth);
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < 4; ++i) Vertex(c[i]);
    glEnd();
    glBegin(GL_LINE_LOOP);
    for (int i = 4; i < 8; ++i) Vertex(c[i]);
    glEnd();
    glBegin(GL_LINES);
    for (int i = 0; i < 4; ++i) {
        Vertex(c[i]);
        Vertex(c[i + 4]);
    }
    glEnd();
}

void DrawAtoms(const SceneState& s) {
    // A quadric per recompilation; the list keeps the generated geometry, so
    // it is released at once.
    GLUquadric* quadric = NewSolidQuadric();
    const int atoms =
        std::min<long>(s.map.AtomCount,
                       static_cast<long>(std::min(s.map.AtomData.size(), s.map.AtomNames.size())));
    for (int i = 0; i < atoms; ++i) {
        glPushMatrix();
        float rgb[3] = {0, 0, 0};
        AtomColour(s.map.AtomNames[i], rgb);
        glColor3fv(rgb);
        glTranslatef(s.map.AtomData[i][0], s.map.AtomData[i][1], s.map.AtomData[i][2]);
        DrawSphere(quadric, AtomRadius(s.map.AtomNames[i]), kSphereDetail);
        glPopMatrix();
    }
    gluDeleteQuadric(quadric);

    glColor3fv(kBondColour);
    glDisable(GL_LIGHTING);
    glLineWidth(SurfaceLineWidth(s.program.DisplayMode));
    glBegin(GL_LINES);
    const int bonds = std::min<long>(s.map.BondCount, static_cast<long>(s.map.BondList.size()));
    for (int b = 0; b < bonds; ++b) {
        const int a1 = s.map.BondList[b].a, a2 = s.map.BondList[b].b;
        if (a1 < 0 || a2 < 0 || a1 >= atoms || a2 >= atoms) continue;
        glVertex3fv(s.map.AtomData[a1].data());
        glVertex3fv(s.map.AtomData[a2].data());
    }
    glEnd();
}

void DrawPeaks(const SceneState& s) {
    GLUquadric* quadric = NewSolidQuadric();
    const int peaks = std::min(s.peaks.PeakCount, kMaxPeaks);
    for (int p = 0; p < peaks; ++p) {
        glPushMatrix();
        glColor3fv(kPeakColour);
        glTranslatef(s.peaks.PeakList[p][0], s.peaks.PeakList[p][1], s.peaks.PeakList[p][2]);
        DrawSphere(quadric, kPeakRadius, kSphereDetail);
        glPopMatrix();
    }
    gluDeleteQuadric(quadric);
}

void DrawPickMarker(const SceneState& s) {
    glColor3f(1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glTranslatef(s.peaks.PickedPoint[0], s.peaks.PickedPoint[1], s.peaks.PickedPoint[2]);
    DrawCube(kPickMarkerEdge);
    glPopMatrix();
}

}  // namespace eld
