#pragma once
// The ROM list: a plain-text report of every recognised file of a folder,
// four lines and a rule per file, written for "Produce a &ROM List" and
// `q64 report`. The folder is read afresh (not the rows of the file list),
// with the list's hidden-file, preview and filter settings, in the folder's
// own enumeration order.
//
// One entry, as printf formats; every "\n" is written as CR LF:
//   "\nRom Title:%-20s     Size   :%3.1f Mbit%s           Doctor[%c]"
//       title, size in Mbit, padding ("  " below 10.0, " " below 100.0, else
//       ""), '*' unless the byte order is big-endian
//   "\nFileName :%-20s     Cart ID:%2s                   SP64  [%c]"
//       file name (never cut), cart id, '*' when big-endian
//   "\nZ64 Compressed:%-3s                 Origin :%s\n"
//       "Yes"/"No", territory name
//   75 hyphens and "\n"

#include <string>

#include "settings/Settings.h"
#include "engine/EngineTypes.h"

namespace q64 {

class RomImage;

namespace romlist {
// What the save dialog offers: the filter in both notations, and the
// extension added to a name typed without one.
inline constexpr const char* kSaveFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
inline constexpr const char* kQtSaveFilter = "Text Files (*.txt);;All Files (*.*)";
inline constexpr const char* kDefaultExtension = "TXT";
constexpr int kRuleLength = 75;
} // namespace romlist

// The values one entry shows.
struct RomListEntry {
    std::string title;
    float sizeMbit = 0.0f;
    ImageFormat byteOrder = ImageFormat::ByteSwapped;
    std::string fileName;
    std::string cartId;
    bool compressed = false;
    std::string country;
};

// The entry of the file loaded in `image` (which must be loaded), shown under `fileName`.
RomListEntry RomListEntryFor(const RomImage& image, const std::string& fileName);

// One entry exactly as it goes into the file: an empty line, three lines and
// the rule, every line end CR LF (also a line feed inside a title or name).
std::string FormatRomListEntry(const RomListEntry& entry);

// Which files of the folder are reported.
struct RomListOptions {
    int filter = 0;        // the file list's filter (ListFilter value 0..8; others admit nothing)
    bool hidden = false;   // report hidden files too ("Hidden")
    bool previews = true;  // files are examined at all; when false the report stays empty
};
// The options the file list uses for a folder: "Hidden", and previews off
// when "PreviewDir" is 0, or it is 1, "PreviewCD" is 0 and the folder is on a CD-ROM.
RomListOptions RomListOptionsFor(const Settings& settings, int filter, bool onCdRom);

enum class RomListResult : int {
    Written = 1,
    ErrFolder = -1,  // the folder cannot be read: nothing is written
    ErrWrite = -2,   // the report cannot be written: an existing file under its name is untouched
};

struct RomListOutcome {
    RomListResult result = RomListResult::Written;
    int entries = 0;        // files reported
    std::string message;    // what failed (empty on success)
};

struct RomListText {
    bool folderRead = false;
    std::string bytes;      // the report, CR LF line ends
    int entries = 0;
    std::string error;      // why the folder could not be read
};

// Reads `folder` and builds the report: skips ".", "..", folders, hidden
// files (names starting with ".") unless options.hidden, every file when
// previews are off, files that are not recognised or not admitted by the
// filter (exactly as the file list admits them), and the file `exclude`
// names (the report's own target, which the command empties first). Uses
// `image` for identification and leaves it cleared.
RomListText BuildRomList(RomImage& image, const std::string& folder, const RomListOptions& options,
                         const std::string& exclude = {});

// The whole command once the user has named the file: builds the report of
// `folder` and puts it under `outPath` in one safe step (temporary file in
// the target's folder, renamed into place), so `outPath` only ever holds its
// previous content or the complete new report; an empty report is still
// written. A failure goes to `sink` as one line and nothing is changed. The
// caller then lists the folder again and updates the selection.
RomListOutcome ProduceRomList(RomImage& image, const std::string& folder, const RomListOptions& options,
                              const std::string& outPath, const MessageSink& sink);

} // namespace q64
