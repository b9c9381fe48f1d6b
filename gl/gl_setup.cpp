#include "gl/gl_setup.h"

#include <GL/gl.h>

namespace eld {

std::optional<PixelFormatRequest> PixelFormatFor(StereoMode DisplayMode) {
    PixelFormatRequest r;
    if (DisplayMode == StereoMode::NoStereo) return r;
    if (DisplayMode == StereoMode::StereoHW) {
        r.stereo = true;
        return r;
    }
    if (DisplayMode == StereoMode::StereoInterlaced) {
        // One bit is all the line mask needs.
        r.stencil = true;
        r.stencil_bits = 1;
        return r;
    }
    return std::nullopt;
}

std::string FatalErrorText(const std::string& message) {
    return "Fatal Error: " + message;
}

std::string FatalErrorTitle() {
    return std::string("Fatal Error In ") + kProgramTitle;
}

void InitDepthState() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_DITHER);
    glDepthFunc(GL_LESS);
    glClearDepth(1.0);
    // Default colour-material mode: glColor sets ambient and diffuse of both
    // faces, so atoms and peaks take their colours under lighting.
    glEnable(GL_COLOR_MATERIAL);
}

void InitLighting() {
    const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat shininess[1] = {50.0f};
    // Directional, given while the model-view matrix is the identity: a head
    // light that stays with the viewer whatever the scene's rotation.
    const GLfloat position[4] = {0.0f, 0.0f, 100.0f, 0.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, shininess);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void InitDefaultState() {
    InitDepthState();
    InitLighting();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

std::string GlErrorWarning(unsigned int error) {
    return "Warning: OpenGL error nuber:" + std::to_string(error);
}

}  // namespace eld
