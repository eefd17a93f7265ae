#pragma once
// Pictures of the window and of each dialog as they stand on the screen,
// window-manager frames included, for checking the layout on a virtual
// display ("quorvel64 --screenshots DIR", used by `make screenshots`).

#include <QString>
#include <functional>

class QPixmap;

namespace q64 {

class MainFrame;

// Writes `picture` as a PNG file (whole, through the program's file-change
// mechanism); false when it could not be written.
bool SavePicture(const QPixmap& picture, const QString& path);

// The pictures the tour takes, in order (file names without ".png").
QStringList ScreenshotTourNames();

// Starts the tour on a shown `frame`: after a pause for the window manager,
// one picture of the whole screen per step into `folder` (NN-name.png), each
// dialog shown beside the window and closed again; then calls `done` with
// the number of pictures written. Runs on the event loop; returns at once.
void StartScreenshotTour(MainFrame& frame, const QString& folder, std::function<void(int written)> done);

} // namespace q64
