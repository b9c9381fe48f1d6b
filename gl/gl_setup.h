// Pixel formats per display mode, the fatal-error texts and the default GL
// state. The toolkit side (app/) turns the plain request below into its own
// window mode and shows the texts through eld::Dialogs; nothing here opens a
// window or a box.
#pragma once

#include <optional>
#include <string>

#include "mapdata/modes.h"

namespace eld {

// The program's title: the default title of every message box.
inline constexpr const char* kProgramTitle = "eldview";

// What the window's pixel format must offer. Colour and depth are 16 bits at
// least; the interlaced mode needs one stencil bit for its line mask and the
// hardware-stereo mode quad-buffered stereo. Alpha, accumulation and auxiliary
// buffers are never asked for.
struct PixelFormatRequest {
    bool rgb = true;
    bool double_buffer = true;
    bool depth = true;
    bool stencil = false;
    bool stereo = false;
    int colour_bits = 16;
    int depth_bits = 16;
    int stencil_bits = 0;
};

// The format of a display mode; Nothing has none and gives nullopt. A driver that grants less
// than asked (no stereo, no stencil) is not an error: drawing goes on.
std::optional<PixelFormatRequest> PixelFormatFor(StereoMode DisplayMode);

// The only pixel-format failure reported: no format could be chosen at all.
inline constexpr const char* kNoPixelFormatMessage = "Could not retrieve pixel format!";

// Text and title of the fatal-error box; after it the program ends.
std::string FatalErrorText(const std::string& message);  // "Fatal Error: " + message
std::string FatalErrorTitle();                           // "Fatal Error In eldview"

// Depth test, dithering, GL_LESS, clear depth 1.0, colour material (the
// current colour sets ambient and diffuse of both faces).
void InitDepthState();
// Front specular white, shininess 50, light 0 as a head light along -z (set
// while the model-view matrix is the identity), lighting and light 0 on.
void InitLighting();
// The whole start-up state in its order: InitDepthState, InitLighting, clear
// colour black with alpha 0. Needs a current context.
void InitDefaultState();

// "Warning: OpenGL error nuber:" followed by the error number in decimal.
std::string GlErrorWarning(unsigned int error);

}  // namespace eld
