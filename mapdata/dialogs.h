// Every message box, file dialog, colour dialog and beep of the program goes
// through this interface, so tests can script the answers. It includes no
// toolkit header: GL-level code (picking) may use it too.
#pragma once

#include <string>

namespace eld {

// A position on the screen in pixels (x to the right, y downward).
struct ScreenPoint {
    int x = 0, y = 0;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A modal box with one OK button. Implementations also write
    // "eldview: TEXT" to stderr.
    virtual void Message(const std::string& text) = 0;
    // A modal Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // The same question with the box kept clear of `avoid` (a marker the user
    // must see while answering). Without a way to place boxes it is AskYesNo.
    virtual bool AskYesNoAwayFrom(const std::string& text, ScreenPoint avoid) {
        (void)avoid;
        return AskYesNo(text);
    }
    // File dialogs: filter in "Description|pattern;pattern|..." form as the
    // program states it; returns the chosen path, or "" when cancelled.
    virtual std::string OpenFile(const std::string& filter) = 0;
    virtual std::string SaveFile(const std::string& default_name, const std::string& filter) = 0;
    // Colour dialog starting from r, g, b (0..255); false when cancelled.
    virtual bool ChooseColour(int& r, int& g, int& b) = 0;
    virtual void Beep() = 0;
};

}  // namespace eld
