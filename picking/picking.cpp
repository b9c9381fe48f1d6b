#include "picking/picking.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <functional>

#include "render/frame.h"

namespace eld {

namespace {

constexpr const char* kOneLayerMessage = "Exactly 1 layer must be used for 3D ELD map picking  !!";

}  // namespace

SelectionHits SelectionPass(const SceneState& s, float X, float Y,
                            const std::function<void()>& draw) {
    // Every candidate under the pick region must be recorded, hidden or not.
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DEPTH_TEST);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);

    // One word more than GL is told about, as a guard.
    std::vector<GLuint> buffer(kSelectBufferSize + 1, 0);
    glSelectBuffer(kSelectBufferSize, buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Mouse Y runs downward, GL window Y upward.
    gluPickMatrix(X, viewport[3] - Y, 1.0, 1.0, viewport);
    Kamera(s, Eye::CentralEyePicking);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    recalcModelView(s);

    draw();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glFlush();

    SelectionHits hits;
    hits.count = glRenderMode(GL_RENDER);
    // With one name on the stack every record is 4 words: 1, zmin, zmax, name.
    for (int r = 0; r < hits.count && 4 * r + 3 < kSelectBufferSize; ++r)
        hits.names.push_back(buffer[4 * r + 3]);
    return hits;
}

namespace {

XYZ Centroid(const SurfaceTriangle& t) {
    return {(t.v[0].x + t.v[1].x + t.v[2].x) / 3.0f, (t.v[0].y + t.v[1].y + t.v[2].y) / 3.0f,
            (t.v[0].z + t.v[1].z + t.v[2].z) / 3.0f};
}

// Which triangles can reach the pick region at all. The projection (with the
// pick matrix) and the model-view are taken from GL once; a triangle whose
// three vertices lie beyond the same side of the region in clip space cannot
// be hit and is not sent. The region spans -1..1 there (one pixel); the test
// keeps half a pixel of margin, and anything near or behind the eye is sent, so
// GL still decides every hit and the names come back as without the test.
class PickRegionCull {
  public:
    PickRegionCull() {
        float p[16], mv[16];
        glGetFloatv(GL_PROJECTION_MATRIX, p);
        glGetFloatv(GL_MODELVIEW_MATRIX, mv);
        // m = p * mv, column-major.
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) sum += p[k * 4 + r] * mv[c * 4 + k];
                m_[c * 4 + r] = sum;
            }
    }

    bool MayHit(const SurfaceTriangle& t) const {
        constexpr float kMargin = 2.0f;  // the region is -1..1: half a pixel more each side
        unsigned all = 0xF;
        for (const XYZ& v : t.v) {
            const float x = m_[0] * v.x + m_[4] * v.y + m_[8] * v.z + m_[12];
            const float y = m_[1] * v.x + m_[5] * v.y + m_[9] * v.z + m_[13];
            const float w = m_[3] * v.x + m_[7] * v.y + m_[11] * v.z + m_[15];
            if (!(w > 1e-6f)) return true;
            unsigned out = 0;
            if (x > kMargin * w) out |= 1;
            if (x < -kMargin * w) out |= 2;
            if (y > kMargin * w) out |= 4;
            if (y < -kMargin * w) out |= 8;
            all &= out;
        }
        return all == 0;
    }

  private:
    float m_[16];
};

// "Not passed the high bound" in the sense of the step's direction.
bool NotPassed(float v, float high, float step) {
    return step > 0 ? v <= high : v >= high;
}

}  // namespace

SectionRectangle SectionPickRectangle(const SceneState& s) {
    const MapGridRecord& g = s.map.MapGrid;
    SectionRectangle r;
    r.x_low = g.GridOrigin[0];
    r.x_high = g.GridOrigin[0] + (g.GridPoints[0] - 1) * g.GridStep[0];
    r.y_low = g.GridOrigin[1];
    r.y_high = g.GridOrigin[1] + (g.GridPoints[1] - 1) * g.GridStep[1];
    r.z = g.GridOrigin[2] + (s.surfaces.ContourLayer - 1) * g.GridStep[2];
    return r;
}

std::vector<std::array<float, 2>> DrawSectionQuads(float x_low, float x_high, float y_low,
                                                   float y_high, float z) {
    std::vector<std::array<float, 2>> centres(1, {0.0f, 0.0f});
    const float dx = (x_high - x_low) / kSectionSubdivisions;
    const float dy = (y_high - y_low) / kSectionSubdivisions;
    // A zero step would never pass the bound.
    if (!(dx != 0.0f) || !(dy != 0.0f)) return centres;
    GLuint k = 0;
    // Repeated addition, as the contour map's own grid is laid out; the last row
    // and column reach one step past the high bounds.
    for (float x = x_low; NotPassed(x, x_high, dx); x += dx) {
        for (float y = y_low; NotPassed(y, y_high, dy); y += dy) {
            ++k;
            glLoadName(k);
            glBegin(GL_QUADS);
            glVertex3f(x, y, z);
            glVertex3f(x + dx, y, z);
            glVertex3f(x + dx, y + dy, z);
            glVertex3f(x, y + dy, z);
            glEnd();
            centres.push_back({x + dx / 2, y + dy / 2});
        }
    }
    return centres;
}

void DrawSurfaceTriangles(const SceneState& s, int layer) {
    const std::vector<SurfaceTriangle>& tri = s.surfaces.Triangles[layer];
    const int count = std::min<int>(s.surfaces.TriangleCount[layer], static_cast<int>(tri.size()));
    for (int t = 0; t < count; ++t) {
        glLoadName(static_cast<GLuint>(t + 1));
        glBegin(GL_TRIANGLES);
        for (const XYZ& v : tri[t].v) glVertex3f(v.x, v.y, v.z);
        glEnd();
    }
}

SelectionHits SelectSectionQuad(const SceneState& s, float X, float Y, const SectionRectangle& r,
                                std::vector<std::array<float, 2>>& centres) {
    return SelectionPass(
        s, X, Y, [&] { centres = DrawSectionQuads(r.x_low, r.x_high, r.y_low, r.y_high, r.z); });
}

SelectionHits SelectSurfaceTriangles(const SceneState& s, float X, float Y, int layer) {
    return SelectionPass(s, X, Y, [&] {
        // Large layers: only the triangles that can reach the region are sent.
        const PickRegionCull cull;
        const std::vector<SurfaceTriangle>& tri = s.surfaces.Triangles[layer];
        const int count =
            std::min<int>(s.surfaces.TriangleCount[layer], static_cast<int>(tri.size()));
        for (int t = 0; t < count; ++t) {
            if (!cull.MayHit(tri[t])) continue;
            glLoadName(static_cast<GLuint>(t + 1));
            glBegin(GL_TRIANGLES);
            for (const XYZ& v : tri[t].v) glVertex3f(v.x, v.y, v.z);
            glEnd();
        }
    });
}

bool PickOnSection(SceneState& s, float X, float Y, float x_low, float x_high, float y_low,
                   float y_high, float z) {
    std::vector<std::array<float, 2>> centres;
    const SelectionHits hits =
        SelectSectionQuad(s, X, Y, {x_low, x_high, y_low, y_high, z}, centres);
    std::uint32_t k = hits.names.empty() ? 0 : hits.names[0];
    if (k >= centres.size()) k = 0;
    s.peaks.PickedPoint[0] = centres[k][0];
    s.peaks.PickedPoint[1] = centres[k][1];
    s.peaks.PickedPoint[2] = z;
    // Up to four quads meet at a corner; more means the region is not one spot.
    return hits.count >= 1 && hits.count <= 4;
}

int PickingLayer(const SceneState& s) {
    int visible = 0, layer = 0;
    for (int L = 1; L <= kLayers; ++L) {
        if (On(s.layers.LayerVisible[L])) {
            ++visible;
            layer = L;
        }
    }
    return visible == 1 ? layer : 0;
}

bool PickOnSurface(SceneState& s, Dialogs& dialogs, float X, float Y) {
    const int layer = PickingLayer(s);
    if (layer == 0) {
        dialogs.Message(kOneLayerMessage);
        return false;
    }
    const SelectionHits hits = SelectSurfaceTriangles(s, X, Y, layer);
    // Two crossings: the line of sight enters and leaves one closed blob.
    if (hits.count != 2 || hits.names.size() != 2) return false;
    const std::uint32_t t1 = hits.names[0], t2 = hits.names[1];
    const auto count = static_cast<std::uint32_t>(s.surfaces.TriangleCount[layer]);
    if (t1 < 1 || t2 < 1 || t1 > count || t2 > count) return false;
    const XYZ c1 = Centroid(s.surfaces.Triangles[layer][t1 - 1]);
    const XYZ c2 = Centroid(s.surfaces.Triangles[layer][t2 - 1]);
    s.peaks.PickedPoint[0] = (c2.x + c1.x) / 2;
    s.peaks.PickedPoint[1] = (c2.y + c1.y) / 2;
    s.peaks.PickedPoint[2] = (c2.z + c1.z) / 2;
    return true;
}

}  // namespace eld
