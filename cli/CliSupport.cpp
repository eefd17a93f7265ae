#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "settings/SettingsStore.h"
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

std::optional<long> ParseDecimalText(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    std::size_t end = text.size();
    while (end > at && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    if (at == end) return std::nullopt;
    long value = 0;
    for (std::size_t i = at; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFFL) return std::nullopt;
    }
    return value;
}

namespace {

// Length of the well-formed UTF-8 sequence at `at` (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when there is none.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = b(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned long c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(at + i) & 0xC0) != 0x80) return 0;
        c = c << 6 | (b(at + i) & 0x3F);
    }
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return 0;
    return length;
}

} // namespace

bool IsValidUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = Utf8SequenceAt(text, at);
        if (n == 0) return false;
        at += n;
    }
    return true;
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const std::size_t n = Utf8SequenceAt(text, at);
        if (n == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for a byte that is not UTF-8
            ++at;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++at;
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
            ++at;
        } else {
            out.append(text, at, n);
            at += n;
        }
    }
    return out + "\"";
}

std::string JsonPathFields(const std::string& key, const std::string& path) {
    std::string out = "\"" + key + "\":" + JsonText(path);
    if (!IsValidUtf8(path)) {
        static const char* const kHex = "0123456789abcdef";
        std::string hex;
        for (const unsigned char c : path) {
            hex += kHex[c >> 4];
            hex += kHex[c & 0x0F];
        }
        out += ",\"" + key + "Bytes\":\"" + hex + "\"";
    }
    return out;
}

} // namespace q64::cli
