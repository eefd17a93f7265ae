#include "cli/Cli.h"

namespace q64::cli {

// The options every transfer command shares.
#define TRANSFER_OPTIONS                                                                                     \
    "  --unit v64|sp64|cd64|sc64|ed64  the unit (default: the \"Unit\" setting)\n"                         \
    "  --device PATH            a USB cart's serial device (default: \"SC64Device\" or \"ED64Device\",\n"  \
    "                           else the cart found by its USB ids: 0403:6014 and \"SC64\", or\n"          \
    "                           0403:6001 \"FT245R USB FIFO\" for the EverDrive-64)\n"                        \
    "  --port ADDRESS           parallel port base (default: \"OutPort\"), through direct port access\n"   \
    "                           when this process has it, otherwise through /dev/parport0\n"                \
    "  --port /dev/parportN     the ppdev driver (N 0 to 3)\n"                                              \
    "  --port sim               simulated units at the configured addresses (a simulated cart for\n"      \
    "                           sc64 and ed64)\n"                                                           \
    "  --cd64-port ADDRESS      CD64 card base (default: \"CD64Port\"; needs direct port access)\n"        \
    "  --wiring 0|1             handshake mode the simulated Doctor V64 is wired for\n"                     \
    "  --sim-fault silent|stall|checksum|refuse|clog  the simulated unit never answers, stops\n"         \
    "                           half-way, echoes a wrong checksum (CD64), refuses its first data\n"       \
    "                           command (sc64) or answers the test wrongly (ed64), or sends a\n"          \
    "                           packet half-way through its first write and takes nothing until\n"        \
    "                           it is read (clog, sc64)\n"                                                  \
    "  --sim-version X.Y.Z      the simulated SummerCart64's firmware version (default 2.20.2)\n"         \
    "  --trace FILE             write every port access to FILE (\"W aaaa vv\" / \"R aaaa vv\"); for sc64\n" \
    "                           and ed64 the byte stream (\"TX hex...\" / \"RX hex...\")\n"                  \
    "  --sync-timeout SECONDS   give up when no unit answered the sync by then (default 30)\n"            \
    "  Ctrl-C cancels like the Cancel button. Defaults for \"BIOS\", \"CD64Comm\" and\n"                  \
    "  \"CD64ReceiveType\" come from the settings. Through ppdev a Doctor V64 can answer\n"                \
    "  only in handshake mode 1 (status lines): ppdev reads the control register from its\n"            \
    "  own copy, so mode 0 needs direct port access.\n"

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
        {"info", "describe files as the information panel does",
         "usage: q64 info [--json] FILE...\n"
         "  Prints, per file: kind, title, cart id, territory code and name, maker,\n"
         "  file format, compressed, image size and file size; an image's save type\n"
         "  (from its header's developer save byte, else from the ROM database, the\n"
         "  \"RomDatabase\" setting or Debian's mupen64plus-data); a memory pak's notes\n"
         "  and free pages.\n"
         "  --json  one JSON object per file and line (path, kind, title, cartId,\n"
         "          territoryCode, territory, makerCode, maker, format, compressed,\n"
         "          imageSize, fileSize, sizeMbit, saveType (none, eeprom4k, eeprom16k,\n"
         "          sram256k, sram768k, flashram, sram1m; empty when unknown),\n"
         "          saveTypeFrom (header, database), for a memory pak notes and\n"
         "          freePages, result)\n"
         "  Exit status 0 when every file was identified, 1 otherwise.\n",
         RunInfo},
        {"list", "list a folder as the file list shows it",
         "usage: q64 list [--filter N] [--sort COLUMN] [--hidden] [--no-preview] DIR\n"
         "  Prints the rows the file list would show: Filename, ROM Name, Country.\n"
         "  --filter N     0 All Files (default: the \"ListType\" setting), 1 Only Known Files,\n"
         "                 2 Only Images, 3 Only BIOS Files, 4 Only USA Images, 5 Only JAP Images,\n"
         "                 6 Only PAL Images, 7 Only IPS Files, 8 Only SAV Files, 9 Only Memory Paks\n"
         "  --sort COLUMN  0 or filename, 1 or title, 2 or country (default: \"SortCol\")\n"
         "  --hidden       list hidden files too (default: the \"Hidden\" setting)\n"
         "  --no-preview   do not read headers (as \"PreviewDir\" 0)\n",
         RunList},
        {"report", "write the ROM list of a folder to a text file",
         "usage: q64 report [--filter N] [--hidden] [--no-preview] DIR OUTFILE\n"
         "  Writes the text report of \"Produce a ROM List\": for every recognised file\n"
         "  of DIR, in the folder's own order, an empty line, \"Rom Title:\",\n"
         "  \"FileName :\" and \"Z64 Compressed:\" lines and a rule of 75 hyphens, with\n"
         "  CR LF line ends. OUTFILE is replaced in one step (a temporary file beside\n"
         "  it, renamed into place): it holds either its old content or the whole\n"
         "  report. An existing OUTFILE inside DIR is not reported.\n"
         "  --filter N     the file list's filter (default: the \"ListType\" setting):\n"
         "                 0 All Files, 1 Only Known Files, 2 Only Images, 3 Only BIOS Files,\n"
         "                 4 Only USA Images, 5 Only JAP Images, 6 Only PAL Images,\n"
         "                 7 Only IPS Files, 8 Only SAV Files, 9 Only Memory Paks\n"
         "  --hidden       report hidden files too (default: the \"Hidden\" setting)\n"
         "  --no-preview   as \"PreviewDir\" 0: no file is examined, the report is empty\n"
         "  Exit status 0 when the report was written.\n",
         RunReport},
        {"crc", "check an image's header checksums and optionally fix them",
         "usage: q64 crc [--fix] [--json] [--backup 0|1|3] FILE...\n"
         "  Computes the two header checksums with the formula of the image's boot chip\n"
         "  (6101/6102, 6103, 6105, 6106) and compares them with the stored pair.\n"
         "  --fix   write the computed pair when the stored one differs (in place)\n"
         "  --json  one JSON object: path, stored1, stored2, new1, new2 (\"0x%08X\"),\n"
         "          valid, cic, fixed, result\n"
         "  --backup 0|1|3  1 keeps NAME.bak, 0 a temporary backup deleted after success,\n"
         "                  3 none for in-place changes (default: the \"Backup\" setting)\n"
         "  Each FILE is checked in turn (its path printed first when there are several).\n"
         "  Exit status 0 when the check (and the fix) ran for every file, whatever the\n"
         "  checksums; 1 when any file failed.\n",
         RunCrc},
        {"flip", "change an image's byte order (Doctor 64, SP64/WC/Z64, little-endian)",
         "usage: q64 flip [--to z64|v64|n64] [--backup 0|1|3] FILE...\n"
         "  Without --to: a little-endian image becomes big-endian (SP64/WC/Z64);\n"
         "  otherwise every pair of bytes is swapped (an odd last byte stays).\n"
         "  --to z64|v64|n64  rewrite in big-endian, byte-swapped or little-endian\n"
         "                   (every 32-bit word reversed) order; the name stays\n"
         "  --backup 0|1|3  1 keeps NAME.bak, 0 a temporary backup deleted after success,\n"
         "                  3 none for in-place changes (default: the \"Backup\" setting)\n",
         RunFlip},
        {"resize", "truncate or zero-pad an image to a size in Mbit",
         "usage: q64 resize [--backup 0|1|3] FILE MBIT\n"
         "  MBIT is an even decimal number from 2 to 256 (1 Mbit = 131072 bytes).\n"
         "  --backup 0|1|3  1 keeps NAME.bak, 0 a temporary backup deleted after success,\n"
         "                  3 none for in-place changes (default: the \"Backup\" setting)\n",
         RunResize},
        {"title", "write a new image title",
         "usage: q64 title [--backup 0|1|3] FILE TEXT\n"
         "  Writes TEXT (at most 20 characters, padded with spaces) as the header title,\n"
         "  in place; compressed images included. A title holds ASCII characters and\n"
         "  half-width katakana (U+FF61..U+FF9F); other characters are refused by name.\n"
         "  --backup 0|1|3  1 keeps NAME.bak, 0 a temporary backup deleted after success,\n"
         "                  3 none for in-place changes (default: the \"Backup\" setting)\n",
         RunTitle},
        {"compress", "compress an image into the compressed container",
         "usage: q64 compress [--level N] [--backup 0|1|3] FILE...\n"
         "  Rewrites the image as a compressed image under the same name.\n"
         "  --level N        zlib level 0..9 (default: the \"Compress\" setting)\n"
         "  --backup 0|1|3  1 keeps NAME.bak, 0 a temporary backup deleted after success,\n"
         "                  3 none for in-place changes (default: the \"Backup\" setting)\n",
         RunCompress},
        {"decompress", "turn a compressed image back into a plain one",
         "usage: q64 decompress [--backup 0|1|3] FILE...\n"
         "  Rewrites a compressed image as the image it holds; a damaged body is refused\n"
         "  and the file left as it was.\n"
         "  --backup 0|1|3  1 keeps NAME.bak, 0 a temporary backup deleted after success,\n"
         "                  3 none for in-place changes (default: the \"Backup\" setting)\n",
         RunDecompress},
        {"verify", "check images against a DAT file (Verify Images)",
         "usage: q64 verify [--dat FILE] [--json] [--rename] [--no-cache] FILE|DIR...\n"
         "  Hashes each image in big-endian order (byte-swapped and little-endian files\n"
         "  converted, compressed ones inflated on the fly) and looks it up in the Logiqx\n"
         "  XML DAT file: by SHA-1, or CRC32 and size where the DAT has no SHA-1.\n"
         "  Per file: good (with the DAT's game name), bad (a listed name or size with\n"
         "  other content) or unknown; a good image whose header checksum is invalid is\n"
         "  marked (it is as released: do not fix it). A folder's files are all checked\n"
         "  (not its subfolders); files in it that are not images are left out.\n"
         "  --dat FILE   the DAT file (default: the \"DatFile\" setting)\n"
         "  --json       one JSON object per file and line (path, result, game, rom, sha1,\n"
         "               crc32, size, format, compressed, checksumValid,\n"
         "               checksumInvalidButGood, cached)\n"
         "  --rename     Rename to DAT Names: each good file gets the DAT's game name and\n"
         "               the extension of its byte order (.z64/.v64/.n64); an existing\n"
         "               file of that name is never replaced\n"
         "  --no-cache   neither read nor write the hash cache\n"
         "  Hashes are cached in $XDG_CACHE_HOME/quorvel64/hashes.sqlite, keyed by path,\n"
         "  size, modification time and inode: an unchanged file is not read again.\n"
         "  Exit status 0 when every file is good, 1 otherwise, 2 for a usage error.\n",
         RunVerify},
        {"samples", "write one synthetic sample file of every kind",
         "usage: q64 samples DIR\n"
         "  Writes one sample of every kind the program knows into DIR (created when\n"
         "  missing): images in both byte orders, a compressed image, a BIOS file, an\n"
         "  IPS patch, a SAV file, a tagged save, a DX256 file, a text file and an\n"
         "  unknown file. The content is synthetic. A file that exists already under a\n"
         "  sample's name is never replaced: it is skipped, and named on stderr.\n",
         RunSamples},
        {"ips", "apply an IPS or BPS patch to an image in place",
         "usage: q64 ips [--backup 0|1|3] FILE PATCH\n"
         "  Applies the IPS or BPS patch PATCH (told apart by its first bytes) to the\n"
         "  uncompressed image FILE, at offsets in the order the file is stored (a patch\n"
         "  must match the image's byte order). IPS: run records and the size record\n"
         "  after EOF are applied; the whole patch is checked first, and a damaged patch\n"
         "  changes nothing. BPS: the patch's CRC-32 and FILE's size and CRC-32 are\n"
         "  checked before anything is written (a patch for FILE in the other byte order\n"
         "  says so), and the result's CRC-32 before it replaces FILE.\n"
         "  --backup N  0 temporary backup (deleted after success), 1 keep FILE's .bak,\n"
         "              3 no backup (default: the \"Backup\" setting)\n"
         "  Exit status 0 when the patch was applied.\n",
         RunIps},
        {"mkpatch", "make an IPS or BPS patch from an image and a modified copy",
         "usage: q64 mkpatch [--format ips|bps] [--linear] ORIGINAL MODIFIED OUT\n"
         "  Writes to OUT a patch that turns the uncompressed image ORIGINAL into the\n"
         "  uncompressed image MODIFIED, on the bytes as stored: both must be in the same\n"
         "  byte order. OUT is written whole or not at all; an existing OUT is replaced.\n"
         "  --format F  ips or bps (default: bps when OUT ends in .bps, otherwise ips).\n"
         "              IPS reaches only the first 16 MiB: larger images need bps.\n"
         "  A BPS patch copies moved, shifted, inserted and repeated data from wherever\n"
         "  it is in either image, so such changes cost a few bytes each.\n"
         "  --linear    make the BPS patch in one pass instead, reading ORIGINAL only at\n"
         "              the same offsets: faster, but large where data moved.\n"
         "  Ctrl-C stops it before anything is written: OUT is left as it was.\n"
         "  Exit status 0 when the patch was written.\n",
         RunMakePatch},
        {"bios", "show or tune the display parameters of a BIOS file",
         "usage: q64 bios [--backup 0|1|3] FILE\n"
         "       q64 bios [--backup 0|1|3] FILE [--red V | --green V] [--blue V]\n"
         "                [--vertical V] [--horizontal V]\n"
         "  Without values prints the Doctor64 BIOS file's parameters as the Tune BIOS\n"
         "  dialog shows them: Red or Green, Blue, Vertical Position, Horizontal Position.\n"
         "  With values writes them into both copies in the file (parameters not given\n"
         "  keep their value) and prints the result. Red 0 reads back as Green 0.\n"
         "  V: decimal, 0x hexadecimal, leading-0 octal, or hexadecimal with a trailing H.\n"
         "  Ranges: --red 0..127, --green 0..128, --blue, --vertical, --horizontal 0..255\n"
         "  (the dialog's sliders reach 63 for the colours and 31 for the positions).\n"
         "  --backup N  0 temporary backup, 1 keep FILE's .bak, 3 no backup\n"
         "              (default: the \"Backup\" setting)\n",
         RunBios},
        {"dx256", "list and change the rooms of a DX256 save file",
         "usage: q64 dx256 [--json] [--describe ROOM=TEXT]... [--backup 0|1|3] FILE\n"
         "       q64 dx256 [--backup 0|1|3] [--force] FILE --export ROOM OUT | --import ROOM IN |\n"
         "                 --move FROM TO | --clear ROOM\n"
         "  Lists the 256 rooms (A01 to P16) of the DX256 file FILE as the DX256\n"
         "  manager shows them: room, type (\"EEPROM 4K\" for a room in use), description\n"
         "  (from FILE's .DXD file; \"Unknown\" for a room in use without one).\n"
         "  --describe ROOM=TEXT  sets the description of a room in use (repeatable)\n"
         "                        and writes the .DXD file back; blanks become \"_\",\n"
         "                        at most 79 characters are kept\n"
         "  --export ROOM OUT     writes the room as a 512-byte save OUT (never over a file)\n"
         "  --import ROOM IN      puts the 512-byte save IN into the room\n"
         "  --move FROM TO        moves a room's save and description to another room\n"
         "  --clear ROOM          empties the room\n"
         "  --force               lets --import and --move replace a room in use\n"
         "  ROOM: a bank letter A..P and a slot 1..16 (\"A01\", \"p16\"). FILE comes first.\n"
         "  --json      one JSON object per room and line (room, inUse, type, description)\n"
         "  --backup N  for a rewritten FILE or .DXD: 0 temporary backup, 1 keep its .bak,\n"
         "              3 as 0 (default: the \"Backup\" setting)\n",
         RunDx256},
        {"send", "send a file to the copier unit",
         "usage: q64 send [OPTIONS] FILE\n"
         "  Sends FILE to the unit as the Send command does: images (plain or compressed,\n"
         "  either byte order) to every unit; BIOS, IPS and SAV files only to the Doctor V64.\n"
         "  The SummerCart64 (--unit sc64) is reset, takes an image of up to 78 MiB (beyond\n"
         "  64 MiB less 128 KiB into its flash) and then has every option set: ROM shadow and\n"
         "  extended, save type, boot mode, TV type and the boot chip parameters. A SAV file\n"
         "  becomes its EEPROM 4k save.\n"
         "  The EverDrive-64 (--unit ed64) takes images into its ROM memory (a small one after\n"
         "  filling the first 1 MiB + 4 KiB), starts them and names the save after the file.\n"
         "  --save-type TYPE         sc64 and ed64: none, eeprom4k, eeprom16k, sram256k, sram768k,\n"
         "                           flashram, sram1m (default: the image header's save byte, else\n"
         "                           the ROM database's entry for the image, else none; q64 says\n"
         "                           which). ed64 sets it as \"ED\" and the type in the header sent\n"
         "                           (the file is not changed)\n"
         "  --rom-db FILE            the ROM database (default: \"RomDatabase\", else\n"
         "                           /usr/share/games/mupen64plus/mupen64plus.ini)\n"
         "  --boot-mode 0|1|3        sc64: the menu, the image through the bootloader, the image\n"
         "                           directly (default: \"SC64BootMode\"; 2 and 4 need a 64DD IPL)\n"
         "  --tv pal|ntsc|mpal|auto  sc64: force the TV type (default: \"SC64TvType\"; auto: the\n"
         "                           console's own; not with direct boot)\n"
         TRANSFER_OPTIONS
         "  Exit status 0 only when the unit took the whole file.\n",
         RunSend},
        {"receive", "receive an image from the Doctor V64, the CD64 or a USB cart",
         "usage: q64 receive [OPTIONS] [--mbit 64|128|192|256] FILE\n"
         "  The SummerCart64 (--unit sc64) and the EverDrive-64 (--unit ed64) send --mbit Mbit\n"
         "  (1 to 512) of their ROM area.\n"
         "  Receives an image into FILE. The Doctor V64 states the size itself; the CD64\n"
         "  sends --mbit Mbit (default 64) from the cartridge or its DRAM (\"CD64ReceiveType\").\n"
         "  FILE is replaced only when the whole image arrived (and, from the CD64, its\n"
         "  checksum agreed); otherwise an existing FILE stays as it was. Exit status 0 only\n"
         "  then. An SP64/Wildcard class unit cannot send.\n"
         "  --mbit 64|128|192|256    size to fetch from the CD64 (the Doctor V64 ignores it)\n"
         "  --sim-image FILE         what the simulated unit holds (default: a generated image)\n"
         TRANSFER_OPTIONS,
         RunReceive},
        {"surgeon", "drive the Surgeon64 memory pak adapter",
         "usage: q64 surgeon [OPTIONS] console|pc|load FILE|save FILE\n"
         "  console    \"Console controls Surgeon64\": release the adapter to the console\n"
         "  pc         \"PC controls Surgeon64\": take control from the PC\n"
         "  load FILE  copy a 32768-byte memory pak image (or a DexDrive image's pak) into the\n"
         "             adapter (after pc)\n"
         "  save FILE  copy the adapter's pak into FILE, replaced only when complete (after pc)\n"
         "  Who controls the adapter and the last control value written carry over between\n"
         "  runs ($XDG_RUNTIME_DIR/q64-surgeon, q64-surgeon-sim for --port sim).\n"
         "  --surgeon-address ADDRESS  the adapter's port (default: \"SurgeonAddress\")\n"
         "  --port ADDRESS|sim         direct port access, or a simulated adapter\n"
         "  --sim-image FILE           the pak the simulated adapter holds for a save\n"
         "  --trace FILE               write every port access to FILE\n"
         "  The adapter is not a parallel port: it needs direct port access (ioperm, x86,\n"
         "  CAP_SYS_RAWIO); the ppdev driver cannot reach it.\n",
         RunSurgeon},
        {"sc64", "the SummerCart64's settings and saves",
         "usage: q64 sc64 [OPTIONS] info|save-backup FILE|save-restore FILE\n"
         "  info               firmware version, boot mode, save type, TV type, CIC seed, ROM\n"
         "                     shadow, ROM extended and 64DD mode\n"
         "  save-backup FILE   read the cart's save into FILE (replaced only when complete)\n"
         "  save-restore FILE  write FILE into the cart's save; it must hold exactly the save's size;\n"
         "                     a --save-type other than the cart's is set on the cart first\n"
         "  Save sizes: EEPROM 4k 512 bytes, 16k 2048; SRAM 256k 32768, 768k 98304, 1M 131072;\n"
         "  FlashRAM 131072.\n"
         "  --save-type TYPE   the save's type (default: the type set on the cart)\n"
         "  --device PATH      the serial device (default: \"SC64Device\", else the cart found)\n"
         "  --port sim         a simulated cart; --sim-fault silent|stall|refuse makes it misbehave,\n"
         "                     --sim-version X.Y.Z gives its firmware version\n"
         "  --trace FILE       write the byte stream to FILE (\"TX hex...\" / \"RX hex...\")\n"
         "  A user who may not open the device is told to join the \"dialout\" group.\n",
         RunSc64},
        {"mempak", "list and change the notes of a Controller Pak file",
         "usage: q64 mempak [OPTIONS] ACTION FILE ...\n"
         "  FILE: a memory pak of 32768 bytes (any name) or a DexDrive image. NOTE: 1..16.\n"
         "  list [--json] FILE      the 16 notes: game code, publisher, name, extension, pages,\n"
         "                          and the free pages of 123. --json: one object with\n"
         "                          \"freePages\" and \"notes\" (index, gameCode, publisher, name,\n"
         "                          extension, pages)\n"
         "  export FILE NOTE OUT    writes the note as a single-note file in MPKEdit's\n"
         "                          \".note\" layout (OUT is never replaced)\n"
         "  import FILE NOTEFILE    adds a \".note\" file's note in free pages\n"
         "  delete FILE NOTE        removes a note and frees its pages\n"
         "  rename FILE NOTE NAME   names a note (up to 16 characters: A-Z, 0-9, space,\n"
         "                          ! \" # ' * + , - . / : = ? @ and katakana)\n"
         "  check FILE              checks the ID area's four copies and checksums, the index\n"
         "                          table, its backup and checksum, and every note's chain;\n"
         "                          names each fault, exit status 1 when there is one\n"
         "  repair FILE             mends those faults from the best copies and says what it did\n"
         "  format FILE             writes a freshly formatted, empty pak (a new FILE, or a\n"
         "                          pak that holds no notes unless --force)\n"
         "  A file none of whose ID copies is sound (a 32 KiB SRAM save, say) is changed\n"
         "  only with --force.\n"
         "  --backup N  0 temporary backup, 1 keep FILE's .bak, 3 as 0 (default: \"Backup\")\n",
         RunMempak},
        {"save", "convert a save between cart, emulator and container files",
         "usage: q64 save convert [--from FORMAT] [--to FORMAT] [--pak N] [--force] IN OUT\n"
         "  Converts the save IN into OUT. FORMAT defaults from the file: IN by its name and\n"
         "  size (a sound Controller Pak under any name), OUT by its extension (.eep by the\n"
         "  size the data needs, .sra, .fla, .mpk, .srm, .n64 DexDrive, .sav in cart order).\n"
         "  Formats (cart order unless said):\n"
         "    eep4k eep16k        EEPROM, 512 / 2048 bytes\n"
         "    sra fla             SRAM (32768, 98304 or 131072 bytes), FlashRAM (131072)\n"
         "    mpk dexdrive        a Controller Pak, plain or behind the DexDrive header\n"
         "    srm                 RetroArch mupen64plus: EEPROM, four paks, SRAM, FlashRAM\n"
         "    m64p-eep m64p-sra m64p-fla m64p-mpk   mupen64plus (SRAM and FlashRAM with\n"
         "                        every 32-bit word reversed; four paks in one .mpk)\n"
         "    pj64-eep pj64-sra pj64-fla pj64-mpk   Project64 (SRAM and FlashRAM with every\n"
         "                        32-bit word reversed)\n"
         "  --pak N     the pak (1..4) of a .srm or m64p-mpk file (default 1)\n"
         "  An existing .srm or m64p-mpk OUT (an .mpk of 131072 bytes, four paks) is\n"
         "  updated: only the part converted changes, the rest stays byte for byte\n"
         "  (--backup N: 0 temporary backup, 1 keep its .bak, named on stderr). Any other\n"
         "  existing OUT is refused.\n"
         "  A conversion that would drop data (EEPROM or SRAM bytes a smaller save has no\n"
         "  room for, DexDrive comments) is refused with the reason; --force converts it all\n"
         "  the same. A save of one kind never becomes another (EEPROM into FlashRAM).\n",
         RunSave},
        {"ed64", "find the EverDrive-64 and test it",
         "usage: q64 ed64 [OPTIONS] info\n"
         "  info               the FT245R bridges attached (USB 0403:6001 \"FT245R USB FIFO\"), the\n"
         "                     device used and the cart's answer to the test; exit status 0 when it\n"
         "                     answered \"cmdr\" (an EverDrive-64 at its menu)\n"
         "  --device PATH      the serial device (default: \"ED64Device\", else the first bridge found)\n"
         "  --port sim         a simulated cart; --sim-fault silent|refuse makes it misbehave\n"
         "  --trace FILE       write the byte stream to FILE (\"TX hex...\" / \"RX hex...\")\n"
         "  Sending and receiving go through q64 send / receive --unit ed64. A user who may not\n"
         "  open the device is told to join the \"dialout\" group.\n",
         RunEd64},
    };
    return table;
}

} // namespace q64::cli
