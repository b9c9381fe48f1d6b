#include "ui/fltk_dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Color_Chooser.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace eld {

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(sep, start);
        parts.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) break;
        start = p + 1;
    }
    return parts;
}

// "*.mt1;*.fou" -> "*.{mt1,fou}"; "*.*" -> "*".
std::string Patterns(const std::string& list) {
    std::vector<std::string> pats = Split(list, ';');
    std::vector<std::string> exts;
    for (const std::string& p : pats) {
        if (p == "*.*" || p == "*") return "*";
        exts.push_back(p.rfind("*.", 0) == 0 ? p.substr(2) : p);
    }
    if (exts.size() == 1) return "*." + exts[0];
    std::string out = "*.{";
    for (size_t i = 0; i < exts.size(); ++i) out += (i ? "," : "") + exts[i];
    return out + "}";
}

// The chooser shows each filter as its name followed by "(pattern)" and takes
// the pattern from the first "(" of that label: a name with a pattern list of
// its own, "Peak data file (*.dat)", would read "Peak data file
// (*.dat)(*.dat)" and list nothing. The name keeps the text before its "(".
std::string FilterName(const std::string& description) {
    std::string name = description.substr(0, description.find('('));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name + " ";
}

std::string Dir(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string ToFltkFilter(const std::string& filter) {
    std::vector<std::string> parts = Split(filter, '|');
    std::string out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (!out.empty()) out += "\n";
        out += FilterName(parts[i]) + "\t" + Patterns(parts[i + 1]);
    }
    return out;
}

FltkDialogs::FltkDialogs() {
    fl_message_title_default("eldview");
    // Message boxes answer with "OK" (FLTK's own word is "Close").
    fl_close = "OK";
    // FLTK's own chooser behaves the same everywhere, with or without GTK.
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
}

void FltkDialogs::Message(const std::string& text) {
    std::fprintf(stderr, "eldview: %s\n", text.c_str());
    // A plain box: the text and one OK button, no icon.
    Fl_Widget* icon = fl_message_icon();
    icon->hide();
    fl_message("%s", text.c_str());
    icon->show();
}

void ShowFatalBox(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "eldview: %s\n", text.c_str());
    // The stop icon: a white X on a red disc. The program ends after this box,
    // so the shared icon is not restored.
    Fl_Widget* icon = fl_message_icon();
    icon->box(FL_OVAL_BOX);
    icon->color(FL_RED);
    icon->labelcolor(FL_WHITE);
    icon->label("X");
    fl_message_title(title.c_str());
    fl_message("%s", text.c_str());
}

bool FltkDialogs::AskYesNo(const std::string& text) {
    std::fprintf(stderr, "eldview: %s\n", text.c_str());
    return fl_choice("%s", "No", "Yes", nullptr, text.c_str()) == 1;
}

ScreenPoint BoxPositionAwayFrom(ScreenPoint avoid, int w, int h, int gap, int sx, int sy, int sw,
                                int sh) {
    ScreenPoint p;
    p.x = std::clamp(avoid.x - w / 2, sx, std::max(sx, sx + sw - w));
    p.y = avoid.y - gap - h;
    if (p.y < sy) p.y = std::min(avoid.y + gap, std::max(sy, sy + sh - h));
    return p;
}

bool FltkDialogs::AskYesNoAwayFrom(const std::string& text, ScreenPoint avoid) {
    // fl_choice's box is FLTK's own window (the icon's parent); with the
    // hotspot off it keeps the position given here, instead of opening under
    // the pointer, which is where the marker is.
    Fl_Window* box = fl_message_icon() ? fl_message_icon()->window() : nullptr;
    if (!box) return AskYesNo(text);
    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_xywh(sx, sy, sw, sh, avoid.x, avoid.y);
    // A one-line question's box is 410 x 103; the gap clears the marker too.
    constexpr int kBoxW = 410, kBoxH = 103, kGap = 40;
    const int w = std::max(box->w(), kBoxW), h = std::max(box->h(), kBoxH);
    const ScreenPoint at = BoxPositionAwayFrom(avoid, w, h, kGap, sx, sy, sw, sh);
    box->position(at.x, at.y);
    const int hotspot = fl_message_hotspot();
    fl_message_hotspot(0);
    const bool yes = AskYesNo(text);
    fl_message_hotspot(hotspot);
    return yes;
}

std::string FltkDialogs::OpenFile(const std::string& filter) {
    Fl_Native_File_Chooser chooser;
    chooser.type(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.filter(ToFltkFilter(filter).c_str());
    if (!directory_.empty()) chooser.directory(directory_.c_str());
    if (chooser.show() != 0 || !chooser.filename()) return "";
    std::string path = chooser.filename();
    directory_ = Dir(path);
    return path;
}

std::string FltkDialogs::SaveFile(const std::string& default_name, const std::string& filter) {
    Fl_Native_File_Chooser chooser;
    chooser.type(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
    chooser.filter(ToFltkFilter(filter).c_str());
    // No "File exists" question: the name was just chosen, and a save replaces
    // the file.
    if (!directory_.empty()) chooser.directory(directory_.c_str());
    chooser.preset_file(default_name.c_str());
    if (chooser.show() != 0 || !chooser.filename()) return "";
    std::string path = chooser.filename();
    directory_ = Dir(path);
    return path;
}

bool FltkDialogs::ChooseColour(int& r, int& g, int& b) {
    uchar cr = static_cast<uchar>(r), cg = static_cast<uchar>(g), cb = static_cast<uchar>(b);
    if (!fl_color_chooser("Background Color", cr, cg, cb)) return false;
    r = cr;
    g = cg;
    b = cb;
    return true;
}

void FltkDialogs::Beep() {
    fl_beep();
}

}  // namespace eld
