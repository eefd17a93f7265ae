#pragma once
// Shared pieces of the q64 commands: the command table, argument parsing,
// the stderr message sink and progress bar, and the settings defaults.

#include <optional>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "engine/EngineTypes.h"

namespace q64::cli {

// A command's arguments after its name. Options are "--name VALUE" or
// "--name=VALUE"; flags are "--name"; anything else is positional.
class ArgParser {
public:
    explicit ArgParser(std::vector<std::string> args) : args_(std::move(args)) {}

    bool WantsHelp() const;
    // Takes "--name" out of the arguments; true when it was there.
    bool Flag(const std::string& name);
    // Takes "--name VALUE" out; empty when absent, sets an error when the value is missing.
    std::optional<std::string> Value(const std::string& name);
    // Takes an integer option (decimal, 0x hexadecimal or trailing H); sets an error when malformed.
    std::optional<long> Number(const std::string& name);
    // What is left; an unknown "--option" among it is an error.
    std::vector<std::string> Positionals();

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    void Fail(const std::string& error) {
        if (error_.empty()) error_ = error;
    }

private:
    std::vector<std::string> args_;
    std::string error_;
};

struct Command {
    const char* name;
    const char* summary; // one line for `q64 --help`
    const char* usage;   // the whole text for `q64 NAME --help`
    int (*run)(ArgParser& args);
};

// Every command, in the order `q64 --help` lists them.
const std::vector<Command>& Commands();

// Prints "q64 NAME: TEXT" to stderr and returns the usage exit status (2).
int UsageError(const Command& command, const std::string& text);
const Command& CommandNamed(const char* name);

// The user's settings (defaults when the store is empty or unreadable).
// Q64_CONFIG names another INI file, for tests and scripts.
Settings LoadSettings();

// Engine messages go to stderr, one per line.
MessageSink StderrSink();
// A progress bar on stderr when it is a terminal; otherwise empty.
ProgressFn StderrBar(const std::string& caption);
// The progress callback of a change q64 runs: the bar when stderr is a
// terminal, and -12 (cancel) once a signal arrived under an InterruptGuard.
ProgressFn StderrProgress(const std::string& caption);

// Text to integer: trailing "H"/"h" hexadecimal, otherwise 0x hexadecimal,
// leading-0 octal or decimal (parse_number's reading). Empty when the text
// is not wholly one number or does not fit into 32 bits.
std::optional<long> ParseNumberText(const std::string& text);

// The "--backup 0|1|3" option; absent: the "Backup" setting. Empty (with
// the parser's error set) for any other value.
std::optional<BackupMode> BackupModeOption(ArgParser& args);

// A decimal count only ("064" is 64): digits with optional blanks around
// them; empty for anything else or more than 32 bits.
std::optional<long> ParseDecimalText(const std::string& text);

// True when `text` is well-formed UTF-8.
bool IsValidUtf8(const std::string& text);
// A JSON string of UTF-8 `text`; a byte that is not part of a UTF-8
// character becomes U+FFFD, so the output is always valid UTF-8.
std::string JsonText(const std::string& text);
// `"KEY":"PATH"`, and for a path that is not UTF-8 also `"KEYBytes":"HEX"`
// with every byte of the path in hexadecimal, so it still names the file.
std::string JsonPathFields(const std::string& key, const std::string& path);

// Command entry points.
int RunInfo(ArgParser& args);
int RunList(ArgParser& args);
int RunReport(ArgParser& args);
int RunSamples(ArgParser& args);
int RunCrc(ArgParser& args);
int RunFlip(ArgParser& args);
int RunResize(ArgParser& args);
int RunTitle(ArgParser& args);
int RunCompress(ArgParser& args);
int RunDecompress(ArgParser& args);
int RunIps(ArgParser& args);
int RunMakePatch(ArgParser& args);
int RunBios(ArgParser& args);
int RunDx256(ArgParser& args);
int RunSend(ArgParser& args);
int RunReceive(ArgParser& args);
int RunSurgeon(ArgParser& args);
int RunVerify(ArgParser& args);
int RunSc64(ArgParser& args);
int RunMempak(ArgParser& args);
int RunSave(ArgParser& args);
int RunEd64(ArgParser& args);

} // namespace q64::cli
