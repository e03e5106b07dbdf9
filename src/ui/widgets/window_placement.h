#pragma once

#include <QMargins>
#include <QRect>

class QApplication;
class QWidget;

namespace ondrel::ui {

// The part of the screen `window` is on (the primary screen before it has one) that task bars
// and docks leave free, in device-independent pixels; empty without a screen.
QRect workAreaOf(const QWidget* window);

// The window manager's frame around `window`: the real one once the window is on screen,
// otherwise a title bar and thin borders, so that a window laid out before it is shown still fits.
QMargins frameMarginsOf(const QWidget* window);

// Where a window whose frame (title bar and borders included) is `frame` must go to lie inside
// `area`: shrunk to the area where it is larger (unless `fixedSize`), then moved in.
QRect fitFrameInto(QRect frame, const QRect& area, bool fixedSize);

// Moves (and where it may, shrinks) a top-level window so that it lies fully inside its screen's
// work area.
void fitIntoWorkArea(QWidget* window);

// Makes a window at least as wide as its title needs, so that the title bar does not cut it.
void widenForTitle(QWidget* window);

// Esc closes `window` (a tool window, which, unlike a dialog, does not do so by itself).
void closeOnEscape(QWidget* window);

// From now on every top-level window of the application is fitted into its screen's work area
// each time it is shown, dialogs and tool windows made wide enough for their titles first.
void keepWindowsInsideWorkArea(QApplication& app);

} // namespace ondrel::ui
