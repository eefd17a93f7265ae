#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "app/SettingsStore.h"
#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "engine/ParseNumber.h"

namespace q64::cli {

bool ArgParser::WantsHelp() const {
    for (const std::string& a : args_)
        if (a == "--help" || a == "-h") return true;
    return false;
}

bool ArgParser::Flag(const std::string& name) {
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (*it == "--") break;
        if (*it == "--" + name) {
            args_.erase(it);
            return true;
        }
    }
    return false;
}

std::optional<std::string> ArgParser::Value(const std::string& name) {
    const std::string option = "--" + name;
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (*it == "--") break;
        if (*it == option) {
            if (it + 1 == args_.end()) {
                Fail(option + " needs a value");
                args_.erase(it);
                return std::nullopt;
            }
            std::string value = *(it + 1);
            args_.erase(it, it + 2);
            return value;
        }
        if (it->rfind(option + "=", 0) == 0) {
            std::string value = it->substr(option.size() + 1);
            args_.erase(it);
            return value;
        }
    }
    return std::nullopt;
}

std::optional<long> ArgParser::Number(const std::string& name) {
    const auto text = Value(name);
    if (!text) return std::nullopt;
    const auto number = ParseNumberText(*text);
    if (!number) Fail("--" + name + ": not a number: " + *text);
    return number;
}

std::vector<std::string> ArgParser::Positionals() {
    std::vector<std::string> out;
    bool literal = false;
    for (const std::string& a : args_) {
        if (!literal && a == "--") {
            literal = true;
            continue;
        }
        if (!literal && a.size() > 1 && a[0] == '-' && a != "-") {
            Fail("unknown option " + a);
            continue;
        }
        out.push_back(a);
    }
    return out;
}

int UsageError(const Command& command, const std::string& text) {
    std::fprintf(stderr, "q64 %s: %s\n%s", command.name, text.c_str(), command.usage);
    return 2;
}

const Command& CommandNamed(const char* name) {
    for (const Command& c : Commands())
        if (std::string(c.name) == name) return c;
    std::abort(); // every caller names a command of the table
}

Settings LoadSettings() {
    if (const char* path = std::getenv("Q64_CONFIG"); path && *path)
        return SettingsStore(QString::fromLocal8Bit(path)).Load();
    return SettingsStore().Load();
}

MessageSink StderrSink() {
    return [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };
}

ProgressFn StderrBar(const std::string& caption) {
    if (!::isatty(STDERR_FILENO)) return {};
    return [caption](int percent) {
        const int width = 40;
        const int filled = percent * width / 100;
        std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", caption.c_str(), filled,
                     "########################################", width - filled, "", percent);
        if (percent >= 100) std::fputc('\n', stderr);
        std::fflush(stderr);
        return kProgressGoOn;
    };
}

ProgressFn StderrProgress(const std::string& caption) {
    return [bar = StderrBar(caption)](int percent) {
        ProgressTestPoint(percent);
        if (InterruptSignal() != 0) return kProgressCancelled;
        return bar ? bar(percent) : kProgressGoOn;
    };
}

std::optional<long> ParseNumberText(const std::string& raw) {
    std::string text = raw;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.erase(0, 1);
    // The same reading as the dialogs' parse_number, but strict: the whole
    // text must be one number that fits into 32 bits.
    const NumberScan scan = ScanNumber(text);
    if (!scan.whole || scan.clamped) return std::nullopt;
    return scan.value;
}

std::string JsonBytes(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else { // code point c as UTF-8
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out + "\"";
}

} // namespace q64::cli
