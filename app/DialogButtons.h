#pragma once
// The "OK" and "Cancel" buttons every modal dialog ends with, and the width
// a small dialog needs for its caption.

class QDialog;
class QDialogButtonBox;
class QString;

namespace q64 {

// Buttons labelled "OK" (the default button) and "Cancel", wired to the
// dialog's accept() and reject(); the caller puts the box into its layout.
QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog);

// A window width in pixels that shows `caption` whole in a title bar: the
// text in a bold title font with a margin, plus room for the window
// manager's icon and buttons.
int CaptionWidth(const QString& caption);

} // namespace q64
