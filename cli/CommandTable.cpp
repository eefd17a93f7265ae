#include "cli/Cli.h"

namespace q64::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
        {"info", "describe files as the information panel does",
         "usage: q64 info [--json] FILE...\n"
         "  Prints, per file: kind, title, cart id, territory code and name, maker,\n"
         "  file format, compressed, image size and file size.\n"
         "  --json  one JSON object per file and line (path, kind, title, cartId,\n"
         "          territoryCode, territory, makerCode, maker, format, compressed,\n"
         "          imageSize, fileSize, sizeMbit, result)\n"
         "  Exit status 0 when every file was identified, 1 otherwise.\n",
         RunInfo},
        {"list", "list a folder as the file list shows it",
         "usage: q64 list [--filter N] [--sort COLUMN] [--hidden] [--no-preview] DIR\n"
         "  Prints the rows the file list would show: Filename, ROM Name, Country.\n"
         "  --filter N     0 All Files (default: the \"ListType\" setting), 1 Only Known Files,\n"
         "                 2 Only Images, 3 Only BIOS Files, 4 Only USA Images, 5 Only JAP Images,\n"
         "                 6 Only PAL Images, 7 Only IPS Files, 8 Only SAV Files\n"
         "  --sort COLUMN  0 or filename, 1 or title, 2 or country (default: \"SortCol\")\n"
         "  --hidden       list hidden files too (default: the \"Hidden\" setting)\n"
         "  --no-preview   do not read headers (as \"PreviewDir\" 0)\n",
         RunList},
        {"samples", "write one synthetic sample file of every kind",
         "usage: q64 samples DIR\n"
         "  Writes one sample of every kind the program knows into DIR (created when\n"
         "  missing): images in both byte orders, a compressed image, a BIOS file, an\n"
         "  IPS patch, a SAV file, a tagged save, a DX256 file, a text file and an\n"
         "  unknown file. The content is synthetic.\n",
         RunSamples},
    };
    return table;
}

} // namespace q64::cli
