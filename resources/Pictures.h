#pragma once
// Every picture of the program, drawn in code at first use: the eleven file-list
// row pictures (16x15), the seven tree pictures (16x16), the ten tool-bar
// pictures (16x16), the program icon, the 400x261 splash picture and the
// pictures named in the credits. Needs a QGuiApplication.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace q64::pictures {

constexpr int kRowPictureCount = 11;   // indexed by EntryKind
constexpr int kTreePictureCount = 7;   // fixed, removable, CD-ROM, network, RAM, folder, open folder
constexpr int kToolPictureCount = 10;  // send, receive, re-size, flip, patch, CRC, compress, de-compress, filter, exit

enum TreePicture : int {
    FixedDisk = 0,
    RemovableDisk = 1,
    CdRom = 2,
    NetworkDrive = 3,
    RamDisk = 4,
    ClosedFolder = 5,
    OpenFolder = 6,
};

enum ToolPicture : int {
    ToolSend = 0,
    ToolReceive,
    ToolReSize,
    ToolFlip,
    ToolPatch,
    ToolCrc,
    ToolCompress,
    ToolDeCompress,
    ToolFilter,
    ToolExit,
};

// Out-of-range indexes give an empty picture of the right size.
QPixmap RowPicture(int kind);
QPixmap TreePicture(int index);
QPixmap ToolPicture(int index);
QIcon ProgramIcon();
// The program's icon drawn at `size` by `size` pixels (the installed PNG icons).
QPixmap IconPicture(int size);
QPixmap SplashPicture();
// Registers the files built into the program (the help page, the icon);
// needed once before a ":/quorvel64/..." path is read. Safe to call again.
void EnsureResources();

// A picture named in the credits ("group", "logo", "cart", "pad"); null when unknown.
QPixmap CreditsPicture(const QString& name);

} // namespace q64::pictures
