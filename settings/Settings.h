#pragma once
// Every persisted option of the program, one field per settings key, in the
// order the store reads and writes them. Plain data: the engine, the transfer
// layer and the browser read it; the Properties dialog and the menus change it
// in memory; SettingsStore loads it at start and saves it at exit.

#include <cstdint>
#include <map>
#include <string>

namespace q64 {

struct Settings {
    int Col1W = 130;            // width of the list column "Filename"
    int Col2W = 150;            // "ROM Name"
    int Col3W = 70;             // "Country"
    int Backup = 1;             // 1 keep backups, 0 temporary ones (3: none for in-place changes)
    int Compress = 6;           // default compression level 0..9
    int BIOS = 1;               // byte order a Doctor V64 expects: 2 big-endian, else byte-swapped
    int OutPort = 0x378;        // parallel port base address
    int OutPortCustom = 0;      // custom port address last entered
    int Unit = 0;               // 0 Doctor V64, 1 SP64/Wildcard, 2 CD64, 3 SummerCart64, 4 EverDrive-64 (USB)
    std::string DefaultDir;     // folder shown at start (the user's home folder by default)
    int PreviewDir = 1;         // read image headers while browsing
    int PreviewCD = 0;          // also on CD-ROM volumes
    int Surgeon = 0;            // a Surgeon64 adapter is attached
    int SurgeonAddress = 0x300; // its port address
    int SortCol = 0;            // sort column of the file list
    int SortOrder = 0;          // sort direction at exit (written only)
    int ListType = 0;           // filter combo index 0..8
    int ShowDirs = 0;           // always 0: folders are never listed
    int Hidden = 0;             // list hidden files
    int ADrive = 1;             // carried through unchanged
    std::string DefAView = "NOTEPAD.EXE"; // text viewer program
    std::string DefBView = "NIEW.EXE";    // binary viewer program
    int Splash = 1;             // show the splash screen at start
    int CD64Port = 0x310;       // CD64 card base address
    std::int8_t CD64Comm = 'X'; // 'X' sending executes, 'T' sending does nothing
    std::int8_t CD64ReceiveType = 0; // 0 from cart, 1 from DRAM
    std::string DatFile;        // the DAT file "Verify Images" compares with (empty: none)
    std::string SC64Device;     // the SummerCart64's serial device; empty: found by its USB ids
    int SC64BootMode = 1;       // BOOT_MODE set after a send: 0 menu, 1 the loaded image, 3 the image directly
    int SC64TvType = 3;         // TV_TYPE forced after a send: 0 PAL, 1 NTSC, 2 MPAL, 3 the console's own
    std::string ED64Device;     // the EverDrive-64's serial device; empty: found by its USB ids
    // The ROM database that names a game's save type (empty: the one installed
    // with the system's emulator data, see DefaultRomDatabasePath).
    std::string RomDatabase;
    // The save type last chosen for each cart id, in the SummerCart64's SAVE_TYPE
    // numbering (group "SC64SaveTypes").
    std::map<std::string, int> SC64SaveTypes;
};

// The main frame's own keys, kept in the same section.
struct FrameGeometry {
    int Vert = 0;
    int Horiz = 0;
    int Width = 635;
    int Height = 458;
    int Maximised = 0;
    // "Divider": width in pixels of the folder tree beside the file list; 0 lets the frame choose.
    int Divider = 0;
    // False on a first start: no place and size were stored yet.
    bool Stored = false;
};

} // namespace q64
