// The map radius: the layers hold only the map near the centre of view and
// follow it as the view is panned or centred on a picked point.
#include "app/app.h"
#include "view/view_control.h"

namespace eld {

void FollowViewCentre(App& a) {
    if (a.s.program.QuitRequested || !RegionLagsView(a.s)) return;
    GenerateFields(a, true);
}

void SetMapRadius(App& a, float radius) {
    a.s.switches.MapRadius = radius > 0 ? radius : 0.0f;
    if (a.controlPanel) a.controlPanel->ShowMapRadius();
    GenerateFields(a);
    Form_Paint(a);
}

void CentreOnLastPick(App& a) {
    CentreViewOn(a.s, a.s.peaks.PickedPoint);
    Form_Paint(a);
}

}  // namespace eld
