// The real dialogs: FLTK message boxes, its native file chooser and colour chooser.
#pragma once

#include <string>

#include "mapdata/dialogs.h"

namespace eld {

class FltkDialogs : public Dialogs {
  public:
    FltkDialogs();
    void Message(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    bool AskYesNoAwayFrom(const std::string& text, ScreenPoint avoid) override;
    std::string OpenFile(const std::string& filter) override;
    std::string SaveFile(const std::string& default_name, const std::string& filter) override;
    bool ChooseColour(int& r, int& g, int& b) override;
    void Beep() override;

  private:
    std::string directory_;  // the dialog's folder persists between uses
};

// Top-left corner for a box of w x h pixels on the screen area (sx, sy, sw,
// sh) that leaves `avoid` and `gap` pixels around it uncovered: above the
// point when there is room, else below it, centred on it across and kept on
// the screen.
ScreenPoint BoxPositionAwayFrom(ScreenPoint avoid, int w, int h, int gap, int sx, int sy, int sw,
                                int sh);

// "Desc (*.a,*.b)|*.a;*.b|All|*.*" -> "Desc \t*.{a,b}\nAll \t*", the chooser's
// filter form; the chooser adds "(pattern)" to each name itself.
std::string ToFltkFilter(const std::string& filter);

// The fatal-error box: the stop icon, the text and one OK button, under its
// own title; the text also goes to stderr. The caller ends the program.
void ShowFatalBox(const std::string& title, const std::string& text);

}  // namespace eld
