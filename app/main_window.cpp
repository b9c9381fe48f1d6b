// frmMain: the top-level window with its menu bar and the GL view that fills
// the client area; the view's drawing, resizing and event forwarding.
#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Gl_Window.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/fl_ask.H>
#include <FL/gl.h>

#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "ui/window_placement.h"
#include "gl/gl_setup.h"
#include "render/frame.h"

namespace eld {

namespace {

constexpr int kClientWidth = 564;
constexpr int kClientHeight = 494;
constexpr int kMenuHeight = 25;

// 1 for Shift alone (no Ctrl, Alt or Meta), else 0.
int ShiftState() {
    const int mods = Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META);
    return mods == FL_SHIFT ? 1 : 0;
}

// FLTK's button numbers to the handlers': 1 left, 2 right, 4 middle.
int ButtonOf(int fltkButton) {
    switch (fltkButton) {
        case FL_LEFT_MOUSE:
            return 1;
        case FL_RIGHT_MOUSE:
            return 2;
        case FL_MIDDLE_MOUSE:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

class MainGlView : public Fl_Gl_Window {
  public:
    MainGlView(App& a, int x, int y, int w, int h) : Fl_Gl_Window(x, y, w, h), a_(a) {}

    // Also called directly, with the context current, to draw a frame for
    // read-back without presenting it.
    void draw() override {
        SceneState& s = a_.s;
        if (!context_valid()) {
            // A new context: default depth and lighting state, and display
            // list 1 does not exist in it yet.
            InitDepthState();
            InitLighting();
            InvalidateScene(s);
        }
        glClearColor(s.view.ClearColour[0], s.view.ClearColour[1], s.view.ClearColour[2],
                     s.view.ClearColour[3]);
        if (warningOpen_) {
            // Drawn again behind the warning box: the frame after it follows.
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            return;
        }
        if (!valid()) ResizeFrame(s, w(), h());  // new size: viewport, aspect, stencil mask
        PaintFrame(s, w(), h(), DrawSceneContent, [this](unsigned int error) { Warn(error); });
    }

    int handle(int event) override {
        switch (event) {
            case FL_FOCUS:
            case FL_UNFOCUS:
            case FL_ENTER:
            case FL_LEAVE:
                return 1;
            case FL_PUSH:
                if (Fl::focus() != this) take_focus();
                Form_MouseDown(a_, ButtonOf(Fl::event_button()), ShiftState(),
                               static_cast<float>(Fl::event_x()),
                               static_cast<float>(Fl::event_y()));
                return 1;
            case FL_RELEASE:
                Form_MouseUp(a_, ButtonOf(Fl::event_button()), ShiftState(),
                             static_cast<float>(Fl::event_x()), static_cast<float>(Fl::event_y()));
                return 1;
            case FL_DRAG:
            case FL_MOVE:
                Form_MouseMove(a_, ButtonOf(Fl::event_button()), ShiftState(),
                               static_cast<float>(Fl::event_x()),
                               static_cast<float>(Fl::event_y()));
                return 1;
            case FL_MOUSEWHEEL:
                Form_MouseWheel(a_, Fl::event_dy());
                return 1;
            case FL_SHORTCUT:
                // A key that reached the main window while the view had no focus.
                if (window() != Fl::first_window()) return 0;
                [[fallthrough]];
            case FL_KEYBOARD:
                if (Fl::event_state() & (FL_ALT | FL_CTRL | FL_META)) {
                    // Arrows and Escape keep their meaning with a modifier;
                    // other combinations are the menu's shortcuts and access
                    // keys (Ctrl+O, Alt+F), which FLTK offers the menu bar once
                    // the view declines them.
                    const int key = Fl::event_key();
                    if (key != FL_Up && key != FL_Down && key != FL_Left && key != FL_Right &&
                        key != FL_Escape)
                        return 0;
                    Form_KeyDown(a_, key, ShiftState());
                    return 1;
                }
                Form_KeyDown(a_, Fl::event_key(), ShiftState());
                if (Fl::event_length() == 1 && !a_.s.program.QuitRequested)
                    Form_KeyPress(a_, static_cast<unsigned char>(Fl::event_text()[0]));
                return 1;
            default:
                return Fl_Gl_Window::handle(event);
        }
    }

  private:
    // A GL error pending when a frame starts is reported first; the frame is
    // drawn when the box is closed.
    void Warn(unsigned int error) {
        warningOpen_ = true;
        a_.dialogs.Message(GlErrorWarning(error));
        warningOpen_ = false;
        make_current();
    }

    App& a_;
    bool warningOpen_ = false;
};

namespace {

// Closing the window, and Escape when it reaches the window itself, end the
// program through the unload handler instead of just hiding the window.
void MainWindowCallback(Fl_Widget*, void* data) {
    Form_Unload(*static_cast<App*>(data));
}

}  // namespace

void CreateMainWindow(App& a) {
    a.frmMain = new Fl_Double_Window(kClientWidth, kClientHeight + kMenuHeight);
    a.menu = new Fl_Menu_Bar(0, 0, kClientWidth, kMenuHeight);
    // Keys belong to the view: when the window gets the focus back, FLTK must
    // not hand it to the menu bar (its access keys work as shortcuts anyway).
    a.menu->clear_visible_focus();
    BuildMenu(a);
    a.view = new MainGlView(a, 0, kMenuHeight, kClientWidth, kClientHeight);
    a.frmMain->end();
    a.frmMain->resizable(a.view);
    a.frmMain->callback(MainWindowCallback, &a);
    SetMainTitle(a, "eldview");
}

void SetMainTitle(App& a, const std::string& title) {
    a.title = title;
    if (a.frmMain) a.frmMain->label(a.title.c_str());
}

int GlWindowMode(const PixelFormatRequest& request, const std::function<bool(int)>& canDo) {
    int mode = FL_RGB;
    mode |= request.double_buffer ? FL_DOUBLE : FL_SINGLE;
    if (request.depth) mode |= FL_DEPTH;
    if (request.stencil) mode |= FL_STENCIL;
    if (request.stereo) mode |= FL_STEREO;
    // The closest format: what is asked for, else the same without stencil
    // and stereo, else plain colour.
    for (int candidate : {mode, mode & ~(FL_STENCIL | FL_STEREO), int(FL_RGB)})
        if (canDo(candidate)) return candidate;
    return 0;
}

void ChoosePixelFormat(App& a) {
    std::optional<PixelFormatRequest> request = PixelFormatFor(a.s.program.DisplayMode);
    if (!request) return;  // a mode without a pixel format draws nothing
    const int mode = GlWindowMode(*request, [](int m) { return Fl_Gl_Window::can_do(m) != 0; });
    if (mode == 0) {
        const std::string text = FatalErrorText(kNoPixelFormatMessage);
        const std::string title = FatalErrorTitle();
        ShowFatalBox(title, text);
        EndProgramNow(1);
    }
    a.view->mode(mode);
}

void ShowMainWindow(App& a) {
    a.frmMain->show();
    a.view->show();
    a.view->take_focus();
}

void ActivateMainWindow(App& a) {
    if (!a.frmMain || !a.frmMain->shown()) return;
    a.frmMain->show();
    a.view->take_focus();
}

void ReleaseView(App& a) {
    if (a.view && a.view->shown()) a.view->hide();  // deletes the context
}

void PlaceBesideMainWindow(App& a, Fl_Window& w) {
    Fl_Window& m = *a.frmMain;
    int X, Y, W, H;
    if (!m.shown()) {
        Fl::screen_work_area(X, Y, W, H);  // the screen the pointer is on
        const ScreenPoint start = MainWindowStart({X, Y, W, H}, m.w(), m.h(), w.w());
        m.position(start.x, start.y);
    }
    Fl::screen_work_area(X, Y, W, H, m.x() + m.w() / 2, m.y() + m.h() / 2);
    const ScreenPoint p = PanelBeside({X, Y, W, H}, {m.x(), m.y(), m.w(), m.h()}, w.w(), w.h());
    w.position(p.x, p.y);
}

void HideMainWindow(App& a) {
    if (a.frmMain) a.frmMain->hide();
}

int ViewWidth(const App& a) {
    return a.view ? a.view->w() : 0;
}
int ViewHeight(const App& a) {
    return a.view ? a.view->h() : 0;
}

ScreenPoint ViewToScreen(const App& a, float x, float y) {
    if (!a.view || !a.view->shown()) return {static_cast<int>(x), static_cast<int>(y)};
    return {a.view->x_root() + static_cast<int>(std::lround(x)),
            a.view->y_root() + static_cast<int>(std::lround(y))};
}

bool MakeViewCurrent(App& a) {
    if (!a.view || !a.view->shown() || !a.view->context()) return false;
    a.view->make_current();
    return true;
}

bool RenderForReadBack(App& a) {
    if (!MakeViewCurrent(a)) return false;
    a.view->draw();
    glReadBuffer(GL_BACK);
    glFinish();
    return true;
}

void Form_Paint(App& a) {
    if (!a.view || !a.view->shown() || a.s.program.QuitRequested) return;
    FollowViewCentre(a);  // the map radius's region keeps up with pans and centring
    a.view->redraw();
    Fl::flush();
}

void Form_Resize(App& a) {
    if (!a.view) return;
    a.view->invalidate();  // the next draw runs the resize handling first
    Form_Paint(a);
}

}  // namespace eld
