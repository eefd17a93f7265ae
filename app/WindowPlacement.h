#pragma once
// Where the main window goes: a first start fills a sensible share of the
// screen, and the whole frame, title bar included, is kept on the screen.
// Plain rectangle arithmetic, so it can be checked without a window.

#include <QMargins>
#include <QRect>
#include <QSize>

namespace q64 {

// The share of the available screen a first start takes, in each direction.
inline constexpr int kFirstStartPercent = 75;

// The frame rectangle of a first start on a screen whose free area is
// `available`: 75% of it each way, never below `minimum` nor beyond the
// screen, centred.
QRect FirstStartRect(const QRect& available, const QSize& minimum);

// `frame` moved (and, when larger than the screen, cut) so that it lies
// wholly inside `available`; a frame already inside is returned unchanged.
QRect FitOnScreen(const QRect& frame, const QRect& available);

// The smallest inner size the window may take on a screen whose free area is
// `available` when the window manager's frame adds `frame` around it: the
// program's `minimum`, but never more than the screen holds. Sizes are in the
// screen's logical pixels, so a scale factor of 2 halves what a screen holds.
QSize MinimumOnScreen(const QSize& minimum, const QRect& available, const QMargins& frame);

// The inner rectangle of a window wanted at `inner` whose frame adds `frame`:
// moved and, when the frame would not fit, made smaller (never below
// `minimum`) so that the whole frame, title bar and status bar included, lies
// inside `available`. A window that fits is returned unchanged.
QRect FitWindowOnScreen(const QRect& inner, const QMargins& frame, const QRect& available, const QSize& minimum);

// The tree's width beside the list on a first start: a third of the view,
// at least 180 pixels.
int FirstStartDivider(int viewWidth);

} // namespace q64
