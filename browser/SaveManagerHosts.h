#pragma once
// What the save managers' dialogs ask of the program for their buttons that
// touch files or units; the dialogs themselves only change what they hold in
// memory. browser/SaveCommands implements them over the CommandUi's pickers,
// the file-change mechanism and the transfer commands; tests script them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace q64 {

class Dx256Host {
public:
    virtual ~Dx256Host() = default;
    // "Load SAV File": asks for a save of 512 bytes and reads it; nothing
    // when cancelled or unreadable (the reason already shown).
    virtual std::optional<std::vector<std::uint8_t>> LoadSav() = 0;
    // "Save SAV File": asks for a name (proposing ROOM.SAV, asking before an
    // existing file is replaced) and writes the room's 512 bytes.
    virtual void SaveSav(const std::string& room, const std::vector<std::uint8_t>& bytes) = 0;
    // Whether the chosen unit takes a SAV file / a DX256 file.
    virtual bool CanSendSav() const = 0;
    virtual bool CanSendDx256() const = 0;
    // "Send .SAV File" / "Send DX256 File": sends as the Send command does.
    virtual void SendSav(const std::string& room, const std::vector<std::uint8_t>& bytes) = 0;
    virtual void SendDx256(const std::vector<std::uint8_t>& bytes) = 0;
};

class PakHost {
public:
    virtual ~PakHost() = default;
    // Asks for a ".note" file and reads it; nothing when cancelled or unreadable.
    virtual std::optional<std::vector<std::uint8_t>> LoadNote() = 0;
    // Asks for a name (proposing `proposed`) and writes the note file.
    virtual void SaveNote(const std::string& proposed, const std::vector<std::uint8_t>& bytes) = 0;
};

} // namespace q64
