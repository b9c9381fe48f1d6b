#include "ui/fltk_dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Color_Chooser.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>

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
        out += parts[i] + "\t" + Patterns(parts[i + 1]);
    }
    return out;
}

FltkDialogs::FltkDialogs() {
    fl_message_title_default("eldview");
    // FLTK's own chooser behaves the same everywhere, with or without GTK.
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
}

void FltkDialogs::Message(const std::string& text) {
    std::fprintf(stderr, "eldview: %s\n", text.c_str());
    fl_message("%s", text.c_str());
}

bool FltkDialogs::AskYesNo(const std::string& text) {
    std::fprintf(stderr, "eldview: %s\n", text.c_str());
    return fl_choice("%s", "No", "Yes", nullptr, text.c_str()) == 1;
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
    chooser.options(Fl_Native_File_Chooser::SAVEAS_CONFIRM);
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
