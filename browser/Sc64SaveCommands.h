#pragma once
// The SummerCart64's save in the window, as `q64 sc64 save-backup` and
// `save-restore` offer it: "Back Up SummerCart64 Save..." reads the save of
// the type set on the cart into a file the user names; "Restore SummerCart64
// Save" writes the selected save file into it (it must hold exactly that
// type's size). Each runs with a progress window and its status texts.

#include "browser/CommandUi.h"
#include "browser/TransferCommands.h"

namespace q64 {

inline constexpr const char* kCartSaveFilter =
    "Cart Saves (*.EEP;*.SRA;*.FLA;*.SAV)|*.EEP;*.SRA;*.FLA;*.SAV|All Files (*.*)|*.*||";

class Sc64SaveCommands {
public:
    Sc64SaveCommands(CommandEnv env, TransferLink link) : env_(env), link_(link) {}

    void Backup();
    void Restore();

private:
    CommandEnv env_;
    TransferLink link_;
};

} // namespace q64
