#include "ui/help_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <cstdlib>
#include <sstream>

#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "mapdata/input_file.h"

namespace eld {

std::string ReadHelpText(const std::string& data_folder) {
    const std::string path = DataFilePath(data_folder, "readme.txt");
    std::string raw;
    try {
        raw = ReadWholeFile(path, "help text");
    } catch (const EldError& e) {
        return std::string(e.what()) + "\r\n";
    }
    std::istringstream in(raw);
    std::string text, line;
    while (std::getline(in, line)) {
        // A file written with CRLF line ends gives lines ending in CR.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text += line;
        text += "\r\n";
    }
    return text;
}

struct frmHelp::Widgets {
    ~Widgets() {
        delete win;  // the display first: it refers to the buffer
        delete buffer;
    }
    Fl_Double_Window* win = nullptr;
    Fl_Text_Display* Text1 = nullptr;
    Fl_Text_Buffer* buffer = nullptr;
};

namespace {

void HideOnClose(Fl_Widget* w, void*) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    w->hide();
}

// The box breaks lines at LF and would show a CR as a visible character.
std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

}  // namespace

frmHelp::frmHelp() = default;
frmHelp::~frmHelp() = default;

void frmHelp::Show(const std::string& data_folder) {
    if (w_ && w_->win->shown() && w_->win->visible()) {
        w_->win->show();
        return;
    }
    Destroy();
    w_ = std::make_unique<Widgets>();
    w_->buffer = new Fl_Text_Buffer();
    w_->buffer->text(WithoutCarriageReturns(ReadHelpText(data_folder)).c_str());
    auto* win = w_->win = new Fl_Double_Window(560, 420, "Help");
    win->callback(HideOnClose);
    w_->Text1 = new Fl_Text_Display(0, 0, 560, 420);
    w_->Text1->buffer(w_->buffer);
    w_->Text1->textfont(FL_COURIER);
    w_->Text1->textsize(13);
    win->resizable(w_->Text1);
    win->end();
    win->show();
}

void frmHelp::Hide() {
    if (w_) w_->win->hide();
}

void frmHelp::Destroy() {
    Hide();
    w_.reset();
}

Fl_Window* frmHelp::window() const {
    return w_ ? w_->win : nullptr;
}

std::string frmHelp::DisplayedText() const {
    if (!w_ || !w_->buffer) return "";
    char* t = w_->buffer->text();
    std::string out(t);
    free(t);
    return out;
}

}  // namespace eld
