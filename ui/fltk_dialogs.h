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
    std::string OpenFile(const std::string& filter) override;
    std::string SaveFile(const std::string& default_name, const std::string& filter) override;
    bool ChooseColour(int& r, int& g, int& b) override;
    void Beep() override;

  private:
    std::string directory_;  // the dialog's folder persists between uses
};

// "Desc|*.a;*.b|All|*.*" -> "Desc\t*.{a,b}\nAll\t*", the chooser's filter form.
std::string ToFltkFilter(const std::string& filter);

}  // namespace eld
