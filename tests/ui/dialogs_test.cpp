// The FLTK dialogs and windows as the user meets them: file filters through
// FLTK's own chooser, the buttons and icons of the message boxes (these need a
// display and are skipped without one); where the control panel opens beside
// the main window on screens of several sizes (work areas in pixels; the main
// window 564 x 519, the panel 450 x 470) and where the pick question's box goes:
// never over the marker, always on the screen.
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
#include <vector>

#include "app/app.h"
#include "mapdata/command_line.h"
#include "mapdata/peak_list.h"
#include "tests/core/temp_folder.h"
#include "ui/fltk_dialogs.h"
#include "ui/window_placement.h"

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
    const std::set<std::string> all = {"a.dat", "b.mt1", "c.fou",  "d.grd",    "e.pov", "f.tga",
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
        {kImageFilter,
         {{"TGA pictures", "*.tga", {"f.tga"}}, {"PNG pictures", "*.png", {"g.png"}}}},
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

// Records the first shown modal window (its title, visible buttons, and the
// icon's label and colour if the icon shows), then closes it; polls until it is up.
void WatchForBox(void* data) {
    auto& seen = *static_cast<std::string*>(data);
    for (Fl_Window* win = Fl::first_window(); win; win = Fl::next_window(win)) {
        if (!win->modal() || !win->shown()) continue;
        seen = win->label() ? win->label() : "";
        Walk(win, [&](Fl_Widget* c) {
            if (dynamic_cast<Fl_Button*>(c) && c->visible() && c->label())
                seen += std::string(" [") + c->label() + "]";
        });
        if (Fl_Widget* icon = fl_message_icon(); icon->visible())
            seen += " icon " + std::string(icon->label() ? icon->label() : "") + " colour " +
                    std::to_string(icon->color());
        win->hide();
        return;
    }
    Fl::repeat_timeout(0.05, WatchForBox, data);
}

// Runs show(), which opens a modal box, and tells what the box showed.
std::string SeeBox(const std::function<void()>& show) {
    std::string seen;
    Fl::add_timeout(0.05, WatchForBox, &seen);
    show();
    return seen;
}

TEST(MessageBoxes, PlainMessagesHaveOneOkButtonAndNoIconTheFatalBoxTheStopIcon) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    FltkDialogs dialogs;
    EXPECT_EQ(SeeBox([&] { dialogs.Message("You do not have any peaks"); }), "eldview [OK]");
    EXPECT_EQ(SeeBox([] { ShowFatalBox("Fatal Error In eldview", "Fatal Error: x"); }),
              "Fatal Error In eldview [OK] icon X colour " + std::to_string(FL_RED));
}

TEST(WindowPlacement, PanelBesideTheMainWindowWhereTheScreenAllows) {
    struct Case {
        const char* what;
        ScreenRect work, main;
        ScreenPoint want;
    };
    const int g = kWindowGap;
    const Case cases[] = {
        {"room on the right", {0, 0, 1280, 1024}, {100, 200, 564, 519}, {100 + 564 + g, 200}},
        {"main at the right edge", {0, 0, 1280, 1024}, {700, 50, 564, 519}, {700 - g - 450, 50}},
        {"second monitor", {1280, 0, 1920, 1080}, {2170, 100, 564, 519}, {2170 + 564 + g, 100}},
        {"small screen, more room right", {0, 0, 1024, 768}, {100, 60, 564, 519}, {1024 - 450, 60}},
        {"small screen, more room left", {0, 0, 1024, 768}, {400, 60, 564, 519}, {0, 60}},
        {"main low on the screen", {0, 0, 1280, 800}, {0, 600, 564, 519}, {564 + g, 800 - 470}},
        {"taller than the screen", {0, 0, 1280, 400}, {0, 100, 564, 300}, {564 + g, kTitleRoom}},
    };
    for (const Case& c : cases) {
        const ScreenPoint p = PanelBeside(c.work, c.main, 450, 470);
        EXPECT_EQ(std::pair(p.x, p.y), std::pair(c.want.x, c.want.y)) << c.what;
    }
}

TEST(WindowPlacement, MainWindowStartsSoThatThePanelFitsBesideIt) {
    for (ScreenRect work : {ScreenRect{0, 0, 1030, 1024}, ScreenRect{0, 0, 1920, 1080},
                            ScreenRect{1280, 24, 1600, 900}}) {
        const ScreenPoint m = MainWindowStart(work, 564, 519, 450);
        const ScreenPoint p = PanelBeside(work, {m.x, m.y, 564, 519}, 450, 470);
        EXPECT_EQ(p.x, m.x + 564 + kWindowGap) << work.x << " " << work.w;
        EXPECT_EQ(m.x - work.x, work.x + work.w - (p.x + 450)) << "the pair is centred";
        EXPECT_LE(std::abs(2 * (m.y - work.y) + 519 - work.h), 1) << "and centred upright";
    }
    // Too narrow for the pair: the main window alone is centred, its title
    // bar kept on a low screen.
    const ScreenPoint m = MainWindowStart({0, 0, 800, 540}, 564, 519, 450);
    EXPECT_EQ(m.x, (800 - 564) / 2);
    EXPECT_EQ(m.y, kTitleRoom);
}

TEST(BoxPositionAwayFrom, LeavesThePointAndItsGapUncoveredAndStaysOnTheScreen) {
    struct Case {
        const char* what;
        ScreenPoint avoid;
        int sw, sh;
        ScreenPoint want;
    };
    const Case cases[] = {
        {"room above: centred over the point", {640, 143}, 1280, 1024, {435, 0}},
        {"near the top: below", {640, 100}, 1280, 1024, {435, 140}},
        {"left edge", {10, 500}, 1280, 1024, {0, 357}},
        {"right edge", {1275, 500}, 1280, 1024, {870, 357}},
        {"no room either way: on the screen", {200, 60}, 300, 120, {0, 17}},
    };
    for (const Case& c : cases) {
        const ScreenPoint p = BoxPositionAwayFrom(c.avoid, 410, 103, 40, 0, 0, c.sw, c.sh);
        EXPECT_EQ(std::pair(p.x, p.y), std::pair(c.want.x, c.want.y)) << c.what;
    }
}

}  // namespace
}  // namespace eld
