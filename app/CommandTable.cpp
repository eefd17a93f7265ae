#include "app/CommandTable.h"

namespace q64 {

namespace {
using C = CommandId;
MenuEntry Item(C id, const char* contextText = "") { return MenuEntry{false, id, contextText}; }
MenuEntry Separator() { return MenuEntry{true, C::Exit, ""}; }
} // namespace

const std::vector<CommandInfo>& Commands() {
    static const std::vector<CommandInfo> table = {
        {C::Send, "&Send\tEnter", "", "Send Image to Unit\nSend", false},
        {C::Receive, "&Receive", "", "Receive Image from Unit\nReceive", false},
        {C::ReSize, "Re-Si&ze\tAlt+Z", "Alt+Z", "Resizes an Image\nRe-Size", false},
        {C::ChangeFormat, "Change Image &Format\tAlt+F", "Alt+F", "Change Image Format\nFlip", false},
        {C::IpsPatch, "&IPS Patch\tAlt+P", "Alt+P", "Patches Image with an IPS File\nPatch", false},
        {C::CreatePatch, "Create &Patch...", "", "Creates an IPS or BPS Patch from a Modified Image\nCreate Patch", false},
        {C::CalcCrc, "Calc&ulate CRC", "", "Calculate Image CRC\nCRC", false},
        {C::EditTitle, "&Edit Image Title\tAlt+T", "Alt+T", "Edits an Images's Title\nEdit Title", false},
        {C::Compress, "C&ompress", "", "Compresses an Image\nCompress", false},
        {C::DeCompress, "&De-Compress", "", "De-Compresses an Image\nDecompress", false},
        {C::ViewFile, "&View File\tAlt+I", "Alt+I", "", false},
        {C::RenameFile, "Re&name File", "", "", false},
        {C::DeleteFile, "Delete File\tDEL", "Del", "Delete's a File\nDelete", false},
        {C::Exit, "E&xit\tAlt+X", "Alt+X", "Quit the Application\nExit Quorvel", false},
        {C::Cd64SendExecutes, "Sending Executes", "", "", true},
        {C::Cd64SendNothing, "Sending Does Nothing", "", "", true},
        {C::Cd64FromCart, "Receive from Cart", "", "", true},
        {C::Cd64FromDram, "Receive from DRAM", "", "", true},
        {C::SurgeonConsole, "Console controls Surgeon64", "", "", true},
        {C::SurgeonPc, "PC controls Surgeon64", "", "", true},
        {C::SurgeonLoad, "Load Mem Pak to Surgeon", "", "", false},
        {C::SurgeonSave, "Save Mem Pak from Surgeon", "", "", false},
        {C::TuneBios, "&Tune BIOS", "", "Change's BIOS Paramaters\nModify BIOS", false},
        {C::ManageDx256, "Manage &DX256 File", "", "Manages the Rooms of a DX256 File\nDX256", false},
        {C::ManageMemoryPak, "Manage &Memory Pak", "", "Manages the Notes of a Memory Pak\nMemory Pak", false},
        {C::ConvertSave, "Con&vert Save...", "", "Converts a Save for another Cart or Emulator\nConvert Save", false},
        {C::Sc64BackupSave, "&Back Up SummerCart64 Save...", "", "Reads the SummerCart64's Save into a File\nBack Up Save", false},
        {C::Sc64RestoreSave, "Res&tore SummerCart64 Save", "", "Writes the Selected Save into the SummerCart64\nRestore Save", false},
        {C::RomList, "Produce a &ROM List", "", "", false},
        {C::VerifyImages, "Verif&y Images", "", "Checks Images against the DAT File\nVerify", false},
        {C::ToggleToolBar, "ToolBar", "", "", true},
        {C::ToggleStatusBar, "Stratus Bar", "", "", true},
        {C::Refresh, "&Refresh\tF5", "F5", "Refresh the File List\nRefresh", false},
        {C::Properties, "&Properties\tAlt+O", "Alt+O", "Display's Options", false},
        {C::Help, "&Help", "", "", false},
        {C::About, "&About Quorvel64...", "", "", false},
    };
    return table;
}

const CommandInfo* FindCommand(CommandId id) {
    for (const CommandInfo& c : Commands())
        if (c.id == id) return &c;
    return nullptr;
}

const std::vector<MenuInfo>& MainMenus() {
    static const std::vector<MenuInfo> menus = {
        {"&ROM",
         {Item(C::Send), Item(C::Receive), Item(C::Sc64BackupSave), Item(C::Sc64RestoreSave), Separator(), Item(C::ReSize), Item(C::ChangeFormat), Item(C::IpsPatch),
          Item(C::CreatePatch), Item(C::CalcCrc), Item(C::EditTitle), Separator(), Item(C::Compress),
          Item(C::DeCompress), Separator(), Item(C::VerifyImages), Separator(), Item(C::ViewFile), Item(C::RenameFile),
          Item(C::DeleteFile), Separator(),
          Item(C::Exit)}},
        {"&CD64",
         {Item(C::Cd64SendExecutes), Item(C::Cd64SendNothing), Separator(), Item(C::Cd64FromCart),
          Item(C::Cd64FromDram)}},
        {"&Surgeon64",
         {Item(C::SurgeonConsole), Item(C::SurgeonPc), Separator(), Item(C::SurgeonLoad), Item(C::SurgeonSave)}},
        {"&BIOS", {Item(C::TuneBios)}},
        {"&Misc",
         {Item(C::ManageDx256), Item(C::ManageMemoryPak), Item(C::ConvertSave), Separator(), Item(C::RomList)}},
        {"&View",
         {Item(C::ToggleToolBar), Item(C::ToggleStatusBar), Separator(), Item(C::Refresh), Item(C::Properties)}},
        {"&Help", {Item(C::Help), Separator(), Item(C::About)}},
    };
    return menus;
}

const std::vector<MenuEntry>& ContextMenu() {
    static const std::vector<MenuEntry> entries = {
        Item(C::Send, "Send"),
        Item(C::ReSize, "Re-Size"),
        Item(C::ChangeFormat, "&Change Image Format"),
        Item(C::IpsPatch, "IPS Patch"),
        Item(C::CalcCrc, "Calculate CRC"),
        Item(C::EditTitle, "Edit Image's Title"),
        Separator(),
        Item(C::Compress, "Compress"),
        Item(C::DeCompress, "DeCompress"),
        Separator(),
        Item(C::ViewFile, "View File"),
        Item(C::RenameFile, "Rename File"),
        Item(C::DeleteFile, "Delete File"),
        Separator(),
        Item(C::Refresh, "&Refresh"),
    };
    return entries;
}

const std::vector<MenuEntry>& ToolBarEntries() {
    static const std::vector<MenuEntry> entries = {
        Item(C::Send),     Item(C::Receive),    Separator(),         Item(C::ReSize), Item(C::ChangeFormat),
        Item(C::IpsPatch), Item(C::CalcCrc),    Separator(),         Item(C::Compress), Item(C::DeCompress),
        Separator(),       Item(C::ImageFilter), Separator(),        Item(C::Exit),
    };
    return entries;
}

} // namespace q64
