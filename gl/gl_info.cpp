#include "gl/gl_info.h"

#include <GL/gl.h>

namespace eld {

static std::string GlString(GLenum name) {
    const GLubyte* s = glGetString(name);
    return s ? reinterpret_cast<const char*>(s) : "";
}

GlInfo ReadGlInfo() {
    return GlInfo{GlString(GL_VENDOR), GlString(GL_VERSION)};
}

}  // namespace eld
