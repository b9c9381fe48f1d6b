// frmHelp, the "Help" window: readme.txt from the data folder in one scrollable,
// read-only text box that fills the window.
#pragma once

#include <memory>
#include <string>

class Fl_Window;

namespace eld {

// The readme as the window shows it: every line of DataFolder/readme.txt
// followed by "\r\n" (also the last one); an empty file gives "". When the
// file cannot be read, the text says so and names the file.
std::string ReadHelpText(const std::string& data_folder);

class frmHelp {
  public:
    frmHelp();
    ~frmHelp();
    frmHelp(const frmHelp&) = delete;
    frmHelp& operator=(const frmHelp&) = delete;

    // Builds the window from readme.txt and shows it (modeless). An open
    // window is only raised; the file is read again only after it was closed.
    void Show(const std::string& data_folder);
    void Hide();
    void Destroy();
    Fl_Window* window() const;
    // The text the box holds (line ends as "\n": the box shows no CR).
    std::string DisplayedText() const;

    struct Widgets;

  private:
    std::unique_ptr<Widgets> w_;
};

}  // namespace eld
