#include "ui/control_panel_icons.h"

#include <FL/fl_draw.H>

namespace eld {

PanelIconBox::PanelIconBox(int x, int y, int w, int h, PanelIcon icon)
    : Fl_Box(FL_DOWN_BOX, x, y, w, h, nullptr), icon_(icon) {
    color(FL_BLACK);
}

void PanelIconBox::draw() {
    draw_box();
    // Work in a square of side d inside the frame, so the pictures keep their
    // shape whatever size the box gets.
    const int d = (w() < h() ? w() : h()) - 6;
    const int x0 = x() + (w() - d) / 2, y0 = y() + (h() - d) / 2;
    auto X = [&](double f) { return x0 + static_cast<int>(f * d + 0.5); };
    auto Y = [&](double f) { return y0 + static_cast<int>(f * d + 0.5); };
    fl_push_clip(x() + 2, y() + 2, w() - 4, h() - 4);
    fl_line_style(FL_SOLID, 1);
    switch (icon_) {
        case PanelIcon::Cell: {
            // Front and back faces of an oblique box, joined at the corners.
            fl_color(FL_WHITE);
            fl_rect(X(0.0), Y(0.3), X(0.7) - X(0.0), Y(1.0) - Y(0.3));
            fl_rect(X(0.3), Y(0.0), X(1.0) - X(0.3), Y(0.7) - Y(0.0));
            fl_line(X(0.0), Y(0.3), X(0.3), Y(0.0));
            fl_line(X(0.7), Y(0.3), X(1.0), Y(0.0));
            fl_line(X(0.0), Y(1.0), X(0.3), Y(0.7));
            fl_line(X(0.7), Y(1.0), X(1.0), Y(0.7));
            break;
        }
        case PanelIcon::WebGrid: {
            // Lines along two directions only, as the web style draws them.
            fl_color(FL_CYAN);
            for (int i = 0; i <= 4; ++i) {
                const double f = i / 4.0;
                fl_line(X(0.0), Y(f), X(1.0), Y(f * 0.8 + 0.1));
                fl_line(X(f), Y(0.0), X(f * 0.8 + 0.1), Y(1.0));
            }
            break;
        }
        case PanelIcon::TriangleGrid: {
            fl_color(FL_GREEN);
            for (int i = 0; i <= 3; ++i) {
                const double f = i / 3.0;
                fl_line(X(0.0), Y(f), X(1.0), Y(f));
                fl_line(X(f), Y(0.0), X(f), Y(1.0));
            }
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) {
                    fl_line(X(i / 3.0), Y((j + 1) / 3.0), X((i + 1) / 3.0), Y(j / 3.0));
                }
            }
            break;
        }
        case PanelIcon::Atoms: {
            fl_color(FL_WHITE);
            fl_line_style(FL_SOLID, 2);
            fl_line(X(0.25), Y(0.7), X(0.75), Y(0.3));
            fl_line_style(FL_SOLID, 1);
            fl_color(FL_RED);
            fl_pie(X(0.0), Y(0.45), X(0.5) - X(0.0), Y(0.95) - Y(0.45), 0, 360);
            fl_color(FL_BLUE);
            fl_pie(X(0.55), Y(0.1), X(0.95) - X(0.55), Y(0.5) - Y(0.1), 0, 360);
            break;
        }
        case PanelIcon::ContourMap: {
            const Fl_Color colours[3] = {FL_BLUE, FL_GREEN, FL_RED};
            for (int i = 0; i < 3; ++i) {
                const double m = 0.15 * i;
                fl_color(colours[i]);
                fl_arc(X(m), Y(m + 0.1), X(1.0 - m) - X(m), Y(0.9 - m) - Y(m + 0.1), 0, 360);
            }
            break;
        }
    }
    fl_line_style(0);
    fl_pop_clip();
}

}  // namespace eld
