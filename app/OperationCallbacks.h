#pragma once
// The two callbacks a long command hands to the engine or the transfer layer.

#include "engine/EngineTypes.h"

class QWidget;

namespace q64 {

class ProgressDialog;

// Moves `dialog` to the reported percentage (SetPos) and then asks it for a
// cancel (CheckCancel): returns kProgressCancelled (-12) once the user has
// pressed Cancel, else kProgressGoOn (1). Pending events are processed on
// every call, so the windows stay alive. Once the dialog has been destroyed
// (or when none was given) the callback still processes events and goes on.
ProgressFn MakeProgressFn(ProgressDialog* dialog);

// The message sink of every command: a message box captioned "Quorvel64"
// with an error icon and an OK button, owned by `owner`'s window (or no
// window when `owner` is gone).
MessageSink MakeErrorSink(QWidget* owner);

} // namespace q64
