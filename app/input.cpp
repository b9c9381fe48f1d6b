// Mouse and keyboard of the main window: drags turn and zoom the scene, the
// right button picks, keys pan, choose axis views, step the contour section,
// show the control panel and quit.
#include <FL/Enumerations.H>

#include <cmath>
#include <cstdint>

#include "app/app.h"
#include "view/view_control.h"

namespace eld {

void Form_MouseDown(App& a, int button, int shift, float x, float y) {
    if (button == 1) {
        BeginDrag(a.s, x, y, shift == 1);
    } else if (button == 2) {
        PickPoint(a, x, y);
    } else if (button == 4) {
        a.panDragActive = true;
        a.panLastX = x;
        a.panLastY = y;
    }
}

void Form_MouseUp(App& a, int button, int, float, float) {
    if (button == 1) EndDrag(a.s);  // a drag released while moving keeps spinning
    if (button == 4) a.panDragActive = false;
}

void Form_MouseMove(App& a, int, int, float x, float y) {
    bool paint = false;
    if (a.panDragActive) {
        PanByPixels(a.s, x - a.panLastX, y - a.panLastY, ViewWidth(a), ViewHeight(a));
        a.panLastX = x;
        a.panLastY = y;
        paint = true;
    }
    // A zoom drag repaints at once; a rotate drag leaves the frame to the spin
    // step of the idle loop.
    if (DragMove(a.s, x, y, ViewWidth(a), ViewHeight(a))) paint = true;
    if (paint) Form_Paint(a);
}

void Form_MouseWheel(App& a, int dy) {
    if (dy == 0) return;
    WheelZoom(a.s, dy, ViewHeight(a));
    Form_Paint(a);
}

void Form_KeyDown(App& a, int keyCode, int) {
    a.s.view.SpinActive = kFalse;
    switch (keyCode) {
        case FL_Up:
            PanView(a.s, PanKey::Up);
            break;
        case FL_Down:
            PanView(a.s, PanKey::Down);
            break;
        case FL_Right:
            PanView(a.s, PanKey::Right);
            break;
        case FL_Left:
            PanView(a.s, PanKey::Left);
            break;
        case FL_Escape:
            Form_Unload(a);
            return;
        default:
            break;
    }
    Form_Paint(a);  // every key paints, also keys without a function
}

namespace {

// The number of sections along axis 3; "+" compares with the float field and
// only a value above it is replaced by it, rounded.
void StepContourLayer(App& a, int delta) {
    SceneState& s = a.s;
    int layer = s.surfaces.ContourLayer + delta;
    if (layer < 1) layer = 1;
    const float nz = s.map.MapGrid.GridPoints[2];
    if (static_cast<float>(layer) > nz) layer = static_cast<int>(std::lround(nz));
    s.surfaces.ContourLayer = static_cast<std::int16_t>(layer);
    // The panel's Z-layer box shows the new section.
    if (a.controlPanel) a.controlPanel->ShowContourLayer();
    GenerateFields(a);
}

}  // namespace

void Form_KeyPress(App& a, int keyAscii) {
    a.s.view.SpinActive = kFalse;
    switch (keyAscii) {
        case 'h':
            ShowControlPanel(a);
            break;
        case 'q':
            Form_Unload(a);
            return;
        case 'a':
            PanView(a.s, PanKey::Near);
            break;
        case 's':
            PanView(a.s, PanKey::Far);
            break;
        case 'c':
            CentreView(a.s);
            break;
        case 'p':
            CentreViewOn(a.s, a.s.peaks.PickedPoint);  // the last pick
            break;
        case 'x':
            SetView(a, Axis::X);
            break;
        case 'y':
            SetView(a, Axis::Y);
            break;
        case 'z':
            SetView(a, Axis::Z);
            break;
        case '-':
            StepContourLayer(a, -1);
            break;
        case '+':
            StepContourLayer(a, +1);
            break;
        default:
            break;  // upper-case letters too
    }
    Form_Paint(a);
}

void SpinStep(App& a) {
    eld::SpinStep(a.s);
    Form_Paint(a);
}

void SetView(App& a, Axis direction) {
    eld::SetView(a.s, direction);
    Form_Paint(a);
}

}  // namespace eld
