// The scene as a POV-Ray scene file (File > Save POVRAY file, eldmap pov).
//
// Surfaces, contour lines and the cell become thin cylinders (the surfaces in the
// same wire style as on screen), atoms spheres, bonds cylinders, all inside a
// union that carries the current model-view matrix; an outer union mirrors z,
// turning OpenGL's right-handed frame into POV-Ray's left-handed one. Camera,
// lights, radii and colours come from the header file ELDmap_POVray_head.def in
// the data folder, copied to the top of every scene up to its "//END OF FILE"
// line. Lines end in CR LF.
//
// Numbers are written as NumberField (mapdata/number_field.h): sign or blank,
// shortest general form with at most seven digits, one trailing blank.
#pragma once

#include <string>
#include <string_view>

#include "mapdata/scene_state.h"

namespace eld {

class AtomicFile;

inline constexpr const char* kPovrayHeaderName = "ELDmap_POVray_head.def";
inline constexpr const char* kPovrayHeaderEnd = "//END OF FILE";

// Where the scene text goes: appended to `text`, and, when `file` is set,
// handed on to it in large pieces so a big scene never sits in memory whole.
struct PovSink {
    std::string text;
    AtomicFile* file = nullptr;

    void Put(std::string_view piece);  // no line end
    void Line(std::string_view line);  // line + CR LF
    void Drain();                      // hands everything held to `file`
};

// The header's lines before its "//END OF FILE" line (exact and case-sensitive,
// a CR before the line feed ignored), each ending in CR LF. Throws
// EldError(Recoverable) naming the file when it cannot be read or has no end
// line.
std::string ReadPovrayHeader(const std::string& path);

// The model-view matrix of the view fields as OpenGL builds it (16 floats,
// column by column): R(ViewQuaternion) T(ViewTranslation) S(ViewScale).
void ModelViewFromView(const SceneState& s, float m[16]);

// True when the distance of the two points, as a float, is at least 0.0001.
bool SegmentLongEnough(float x1, float y1, float z1, float x2, float y2, float z2);

// "cylinder{<x1,y1,z1>,<x2,y2,z2>,RadiusName}" when the segment is long enough,
// else nothing.
void WriteCylinder(PovSink& out, const XYZ& a, const XYZ& b, std::string_view RadiusName);
void WriteCylinder(PovSink& out, float x1, float y1, float z1, float x2, float y2, float z2,
                   std::string_view RadiusName);

// "pigment { color LevelLColor }" for L = 1..3.
void WriteLayerPigment(PovSink& out, int L);

// The parts of the scene, each as written by WritePovrayScene.
void CopyPovrayHeader(PovSink& out, const std::string& header_text);
void WriteAtomsPov(PovSink& out, const SceneState& s);
void WriteWebGridPov(PovSink& out, const SceneState& s);
void WriteTriangleGridPov(PovSink& out, const SceneState& s);
void WriteContourMapPov(PovSink& out, const SceneState& s);
void WriteCellPov(PovSink& out, const SceneState& s);
void WriteModelMatrix(PovSink& out, const float m[16]);

// The whole scene after the header has been read: comments with MapFileName,
// header, "union {" twice, atoms, surfaces by SurfaceStyle, contour map and cell
// as switched on, the matrix, "}", "scale <1,1,-1>", "}".
void WritePovrayText(PovSink& out, const SceneState& s, const std::string& header_text);

// Reads DataFolder/ELDmap_POVray_head.def and writes the scene to FileName
// through a temporary file: a missing or unfinished header, or a failed write,
// throws EldError(Recoverable) naming the file and leaves no partial scene and
// any existing file as it was.
void WritePovrayScene(const SceneState& s, const std::string& FileName);

}  // namespace eld
