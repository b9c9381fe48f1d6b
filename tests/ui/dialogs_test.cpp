// The FLTK dialogs as the user meets them: file filters through FLTK's own
// chooser, and the buttons and icons of the message boxes. Everything but the
// filter texts needs a display and is skipped without one.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "mapdata/command_line.h"
#include "mapdata/peak_list.h"
#include "tests/core/temp_folder.h"
#include "ui/fltk_dialogs.h"

namespace eld {
namespace {

namespace fs = std::filesystem;

void Walk(Fl_Group* g, const std::function<void(Fl_Widget*)>& f) {
    for (int i = 0; i < g->children(); ++i) {
        f(g->child(i));
        if (Fl_Group* sub = g->child(i)->as_group()) Walk(sub, f);
    }
}

// FLTK's own chooser with a filter given the way FltkDialogs gives it; show()
// would pass the parsed filter on to the chooser window, done here directly.
struct ChooserProbe : Fl_FLTK_File_Chooser {
    explicit ChooserProbe(const std::string& fltk_filter)
        : Fl_FLTK_File_Chooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE) {
        filter(fltk_filter.c_str());
        _file_chooser->filter(_parsedfilt);
        Walk(_file_chooser->newButton->window(), [this](Fl_Widget* w) {
            if (auto* c = dynamic_cast<Fl_Choice*>(w)) show = c;
            if (auto* b = dynamic_cast<Fl_File_Browser*>(w); b && !list) list = b;
        });
    }
    // Label and pattern of entry i, and the files it lists in dir.
    std::string Label(int i) const { return show->text(i); }
    std::string Pattern(int i) {
        _file_chooser->filter_value(i);
        return list->filter();
    }
    std::set<std::string> Listed(int i, const fs::path& dir) {
        _file_chooser->filter_value(i);
        list->load(dir.c_str());
        std::set<std::string> names;
        for (int k = 1; k <= list->size(); ++k)
            if (list->text(k) && std::string(list->text(k)) != "../") names.insert(list->text(k));
        return names;
    }
    int Count() const { return _nfilters; }
    Fl_Choice* show = nullptr;
    Fl_File_Browser* list = nullptr;
};

TEST(FileDialogs, EveryFilterShowsItsNameOnceAndListsItsFiles) {
    // FLTK's filter holds "NAME \tPATTERN" lines; its chooser shows "NAME (PATTERN)".
    struct Entry {
        const char* name;
        const char* pattern;
        std::set<std::string> listed;
    };
    struct Case {
        const char* filter;
        std::vector<Entry> entries;
    };
    const std::set<std::string> all = {"a.dat", "b.mt1", "c.fou", "d.grd", "e.pov", "f.tga",
                                       "g.png", "h.txt", "i.ccp4", "j.mrc.gz", "k.cif", "l.pdb"};
    const Entry maps{"ELD map files", "*.{mt1,fou,grd}", {"b.mt1", "c.fou", "d.grd"}};
    const Entry all_files{"All files", "*", all};
    const Case cases[] = {
        {kMapFileFilter, {maps, all_files}},
        {kOpenDialogFilter,
         {maps,
          {"Maps of other programs",
           "*.{ccp4,map,mrc,ccp4.gz,map.gz,mrc.gz,cube,cub}",
           {"i.ccp4", "j.mrc.gz"}},
          all_files}},
        {kModelFileFilter,
         {{"Structure models",
           "*.{pdb,ent,cif,mmcif,pdb.gz,ent.gz,cif.gz,mmcif.gz}",
           {"k.cif", "l.pdb"}},
          all_files}},
        {kPeakListFilter, {{"Peak data file", "*.dat", {"a.dat"}}, all_files}},
        {kPovrayFilter, {{"POVRAY files", "*.pov", {"e.pov"}}, all_files}},
        {kImageFilter, {{"TGA pictures", "*.tga", {"f.tga"}}, {"PNG pictures", "*.png", {"g.png"}}}},
    };
    for (const Case& c : cases) {
        std::string fltk;
        for (const Entry& e : c.entries)
            fltk += (fltk.empty() ? "" : "\n") + std::string(e.name) + " \t" + e.pattern;
        EXPECT_EQ(ToFltkFilter(c.filter), fltk) << c.filter;
    }
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display for the chooser";

    const testing::TempDir tmp;
    const fs::path dir = tmp.path;
    for (const std::string& name : all) tmp.Put(name, "x");
    for (const Case& c : cases) {
        ChooserProbe probe(ToFltkFilter(c.filter));
        ASSERT_EQ(probe.Count(), static_cast<int>(c.entries.size())) << c.filter;
        for (int i = 0; i < probe.Count(); ++i) {
            EXPECT_EQ(probe.Label(i),
                      std::string(c.entries[i].name) + " (" + c.entries[i].pattern + ")")
                << c.filter;
            EXPECT_EQ(probe.Pattern(i), c.entries[i].pattern) << c.filter;
            EXPECT_EQ(probe.Listed(i, dir), c.entries[i].listed) << c.entries[i].name;
        }
    }
}

// What a modal box showed: its visible buttons and its icon.
struct BoxSeen {
    std::vector<std::string> buttons;
    bool icon_visible = false;
    std::string icon_label;
    Fl_Color icon_colour = 0;
    std::string title;
};

// Records the first shown modal window, then closes it; polls until it is up.
void WatchForBox(void* data) {
    auto& seen = *static_cast<BoxSeen*>(data);
    for (Fl_Window* win = Fl::first_window(); win; win = Fl::next_window(win)) {
        if (!win->modal() || !win->shown()) continue;
        seen.title = win->label() ? win->label() : "";
        Walk(win, [&](Fl_Widget* c) {
            if (dynamic_cast<Fl_Button*>(c) && c->visible() && c->label())
                seen.buttons.push_back(c->label());
        });
        Fl_Widget* icon = fl_message_icon();
        seen.icon_visible = icon->visible();
        seen.icon_label = icon->label() ? icon->label() : "";
        seen.icon_colour = icon->color();
        win->hide();
        return;
    }
    Fl::repeat_timeout(0.05, WatchForBox, data);
}

// Runs show(), which opens a modal box, and tells what the box showed.
BoxSeen SeeBox(const std::function<void()>& show) {
    BoxSeen seen;
    Fl::add_timeout(0.05, WatchForBox, &seen);
    show();
    EXPECT_FALSE(seen.buttons.empty()) << "no box was shown";
    return seen;
}

TEST(MessageBoxes, PlainMessagesHaveOneOkButtonAndNoIconTheFatalBoxTheStopIcon) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    FltkDialogs dialogs;
    const std::vector<std::string> ok{"OK"};
    BoxSeen plain = SeeBox([&] { dialogs.Message("You do not have any peaks"); });
    EXPECT_EQ(std::tie(plain.buttons, plain.icon_visible, plain.title),
              std::tuple(ok, false, "eldview"));
    BoxSeen fatal = SeeBox([] { ShowFatalBox("Fatal Error In eldview", "Fatal Error: x"); });
    EXPECT_EQ(std::tie(fatal.buttons, fatal.icon_visible, fatal.icon_label, fatal.title),
              std::tuple(ok, true, "X", "Fatal Error In eldview"));
    EXPECT_EQ(fatal.icon_colour, FL_RED);
}

}  // namespace
}  // namespace eld
