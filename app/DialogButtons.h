#pragma once
// The "OK" and "Cancel" buttons every modal dialog ends with.

class QDialog;
class QDialogButtonBox;

namespace q64 {

// Buttons labelled "OK" (the default button) and "Cancel", wired to the
// dialog's accept() and reject(); the caller puts the box into its layout.
QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog);

} // namespace q64
