// Every message box, file dialog, colour dialog and beep of the program goes
// through this interface, so tests can script the answers. It includes no
// toolkit header: GL-level code (picking) may use it too.
#pragma once

#include <string>

namespace eld {

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A modal box with one OK button. Implementations also write
    // "eldview: TEXT" to stderr.
    virtual void Message(const std::string& text) = 0;
    // A modal Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // File dialogs: filter in "Description|pattern;pattern|..." form as the
    // program states it; returns the chosen path, or "" when cancelled.
    virtual std::string OpenFile(const std::string& filter) = 0;
    virtual std::string SaveFile(const std::string& default_name, const std::string& filter) = 0;
    // Colour dialog starting from r, g, b (0..255); false when cancelled.
    virtual bool ChooseColour(int& r, int& g, int& b) = 0;
    virtual void Beep() = 0;
};

}  // namespace eld
