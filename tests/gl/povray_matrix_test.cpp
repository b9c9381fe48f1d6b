// The scene file's matrix must be the one the screen uses: compare the core's
// arithmetic with what GL builds from the same view fields.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "render/frame.h"
#include "export/povray.h"
#include "gl/osmesa_context.h"
#include "view/trackball.h"

namespace {

TEST(PovrayMatrixGl, SameAsRecalcModelViewForATurnedScaledShiftedView) {
    eld::OsMesaContext ctx(16, 16);
    eld::SceneState s;
    float q[4];
    eld::Trackball(q, 0.1f, -0.2f, 0.7f, 0.4f);  // some rotation off every axis
    std::copy(q, q + 4, s.view.ViewQuaternion);
    s.view.ViewTranslation[0] = 0.9f;
    s.view.ViewTranslation[1] = -1.2f;
    s.view.ViewTranslation[2] = 3.3f;
    s.view.ViewScale = 1.7f;
    eld::recalcModelView(s);
    float gl[16], core[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, gl);
    eld::ModelViewFromView(s, core);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(core[i], gl[i], 1e-5f) << "element " << i;
    EXPECT_GT(std::abs(core[1]), 0.01f);  // really turned
}

}  // namespace
