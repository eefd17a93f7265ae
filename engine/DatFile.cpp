#include "engine/DatFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unordered_set>

#include "engine/FileChange.h"

namespace q64 {

namespace {

constexpr std::uint64_t kMaxDatBytes = 256ull << 20;
// How deep elements may nest (Logiqx lists nest three deep); deeper ones are
// refused, so the reader's recursion stays small.
constexpr int kMaxDepth = 64;
// Up to this many attributes on an element are compared one by one.
constexpr std::size_t kFewAttributes = 16;

struct Attribute {
    std::string name;
    std::string value;
};

// What the reader hands the datafile builder.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // False (with the error set) stops the reading.
    virtual bool Start(const std::string& name, const std::vector<Attribute>& attributes, int line) = 0;
    virtual bool End(const std::string& name, int line) = 0;
    virtual void Text(const std::string& text) = 0;
    std::string error;
    int errorLine = 0;
};

bool IsNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == ':' || c >= 0x80; }
bool IsNameChar(unsigned char c) { return IsNameStart(c) || std::isdigit(c) || c == '-' || c == '.'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The value of digit `c` in `base` (10 or 16), or -1.
int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr std::uint32_t kMaxCodePoint = 0x10FFFF;

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A well-formedness checking reader for the subset of XML the lists use.
class XmlReader {
public:
    XmlReader(const std::string& text, XmlHandler& handler) : s_(text), h_(handler) {}

    bool Read() {
        if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) p_ = 3;
        bool rootSeen = false;
        for (;;) {
            SkipSpace();
            if (p_ >= s_.size()) break;
            if (s_[p_] != '<') return Fail(rootSeen ? "text after the root element" : "text before the root element");
            if (Starts("<?")) {
                if (!SkipPast("?>", "an unterminated processing instruction")) return false;
            } else if (Starts("<!--")) {
                if (!SkipComment()) return false;
            } else if (Starts("<!DOCTYPE")) {
                if (rootSeen) return Fail("a DOCTYPE after the root element");
                if (!SkipDoctype()) return false;
            } else if (Starts("</")) {
                return Fail("an end tag without a start tag");
            } else {
                if (rootSeen) return Fail("a second root element");
                rootSeen = true;
                if (!Element(1)) return false;
            }
        }
        if (!rootSeen) return Fail("no root element");
        return true;
    }

    std::string error;
    int line = 1;

private:
    bool Fail(const std::string& text) {
        if (error.empty()) error = text;
        return false;
    }
    bool Starts(const char* text) const { return s_.compare(p_, std::strlen(text), text) == 0; }
    void Advance(std::size_t n) {
        for (std::size_t i = 0; i < n && p_ < s_.size(); ++i)
            if (s_[p_++] == '\n') ++line;
    }
    void SkipSpace() {
        while (p_ < s_.size() && IsSpace(s_[p_])) Advance(1);
    }
    bool SkipPast(const char* end, const char* what) {
        const std::size_t at = s_.find(end, p_);
        if (at == std::string::npos) return Fail(std::string("the file ends inside ") + what);
        Advance(at + std::strlen(end) - p_);
        return true;
    }
    bool SkipComment() { return SkipPast("-->", "a comment"); }
    bool SkipDoctype() {
        int depth = 0;
        while (p_ < s_.size()) {
            const char c = s_[p_];
            if (c == '[') ++depth;
            if (c == ']') --depth;
            if (c == '"' || c == '\'') {
                const std::size_t close = s_.find(c, p_ + 1);
                if (close == std::string::npos) break;
                Advance(close - p_);
            }
            Advance(1);
            if (c == '>' && depth <= 0) return true;
        }
        return Fail("the file ends inside the DOCTYPE");
    }

    bool Name(std::string& out) {
        if (p_ >= s_.size() || !IsNameStart(static_cast<unsigned char>(s_[p_]))) return Fail("a tag or attribute without a valid name");
        const std::size_t start = p_;
        while (p_ < s_.size() && IsNameChar(static_cast<unsigned char>(s_[p_]))) ++p_;
        out.assign(s_, start, p_ - start);
        return true;
    }

    // Decodes text up to `stop` (exclusive) into `out`, entities included.
    bool Decode(std::size_t stop, std::string& out) {
        while (p_ < stop) {
            const char c = s_[p_];
            if (c == '&' && p_ + 1 < stop && s_[p_ + 1] == '#') {
                if (!CharacterReference(stop, out)) return false;
            } else if (c == '&') {
                const std::size_t semi = s_.find(';', p_);
                if (semi == std::string::npos || semi > stop || semi - p_ > 12) return Fail("an unterminated entity reference");
                const std::string entity = s_.substr(p_ + 1, semi - p_ - 1);
                if (entity == "amp") out += '&';
                else if (entity == "lt") out += '<';
                else if (entity == "gt") out += '>';
                else if (entity == "quot") out += '"';
                else if (entity == "apos") out += '\'';
                else return Fail("an unknown entity &" + entity + ";");
                Advance(semi + 1 - p_);
            } else if (c == '<') {
                return Fail("a '<' inside an attribute value");
            } else {
                out += c;
                Advance(1);
            }
        }
        return true;
    }

    // "&#DDD;" or "&#xHHH;" at p_ (before `stop`): every digit counts, leading
    // zeros included; the code must be a Unicode scalar value other than 0.
    bool CharacterReference(std::size_t stop, std::string& out) {
        const std::size_t start = p_;
        std::size_t at = p_ + 2;
        const bool hex = at < stop && s_[at] == 'x';
        if (hex) ++at;
        const std::size_t digitsAt = at;
        std::uint32_t code = 0;
        bool tooLarge = false;
        for (; at < stop; ++at) {
            const int digit = DigitValue(s_[at], hex ? 16 : 10);
            if (digit < 0) break;
            code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            if (code > kMaxCodePoint) {
                tooLarge = true;
                code = kMaxCodePoint + 1; // stays above the limit without overflowing
            }
        }
        // The reference as written, shortened when it is long.
        const std::size_t shownEnd = std::min({at + 1, stop, start + 24});
        const std::string shown = s_.substr(start, shownEnd - start) + (shownEnd < at + 1 ? "..." : "");
        if (at == digitsAt || at >= stop || s_[at] != ';') return Fail("a bad character reference " + shown);
        if (tooLarge || code == 0 || (code >= 0xD800 && code <= 0xDFFF))
            return Fail("the character reference " + shown + " names no character");
        AppendUtf8(out, code);
        Advance(at + 1 - p_);
        return true;
    }

    // The element at p_ ('<'), `depth` levels deep (the root is 1).
    bool Element(int depth) {
        const int startLine = line;
        if (depth > kMaxDepth) return Fail("elements nest more than " + std::to_string(kMaxDepth) + " deep");
        Advance(1); // '<'
        std::string name;
        if (!Name(name)) return false;
        std::vector<Attribute> attributes;
        // Repeated names: looked for one by one among a few attributes, in a
        // set once there are many, so reading stays linear in their number.
        std::unordered_set<std::string> attributeNames;
        for (;;) {
            const std::size_t before = p_;
            SkipSpace();
            if (p_ >= s_.size()) return Fail("the file ends inside the tag <" + name + ">");
            if (Starts("/>")) {
                Advance(2);
                if (!h_.Start(name, attributes, startLine)) return HandlerFailed();
                return h_.End(name, line) || HandlerFailed();
            }
            if (s_[p_] == '>') {
                Advance(1);
                break;
            }
            if (p_ == before) return Fail("attributes of <" + name + "> must be separated by spaces");
            Attribute a;
            if (!Name(a.name)) return false;
            SkipSpace();
            if (p_ >= s_.size() || s_[p_] != '=') return Fail("the attribute " + a.name + " has no value");
            Advance(1);
            SkipSpace();
            if (p_ >= s_.size() || (s_[p_] != '"' && s_[p_] != '\'')) return Fail("the value of " + a.name + " is not quoted");
            const char quote = s_[p_];
            Advance(1);
            const std::size_t close = s_.find(quote, p_);
            if (close == std::string::npos) return Fail("the file ends inside the value of " + a.name);
            if (!Decode(close, a.value)) return false;
            Advance(1);
            bool repeated = false;
            if (attributes.size() < kFewAttributes) {
                for (const Attribute& other : attributes) repeated = repeated || other.name == a.name;
            } else {
                if (attributeNames.empty())
                    for (const Attribute& other : attributes) attributeNames.insert(other.name);
                repeated = !attributeNames.insert(a.name).second;
            }
            if (repeated) return Fail("the attribute " + a.name + " appears twice");
            attributes.push_back(std::move(a));
        }
        if (!h_.Start(name, attributes, startLine)) return HandlerFailed();
        // Content.
        std::string text;
        for (;;) {
            if (p_ >= s_.size()) return Fail("the file ends before </" + name + ">");
            if (s_[p_] != '<') {
                const std::size_t next = std::min(s_.find('<', p_), s_.size());
                if (!Decode(next, text)) return false;
                continue;
            }
            if (Starts("</")) {
                Advance(2);
                std::string closing;
                if (!Name(closing)) return false;
                SkipSpace();
                if (p_ >= s_.size() || s_[p_] != '>') return Fail("a malformed end tag </" + closing);
                if (closing != name)
                    return Fail("</" + closing + "> closes <" + name + "> opened on line " + std::to_string(startLine));
                Advance(1);
                h_.Text(text);
                return h_.End(name, line) || HandlerFailed();
            }
            if (Starts("<!--")) {
                if (!SkipComment()) return false;
            } else if (Starts("<![CDATA[")) {
                Advance(9);
                const std::size_t end = s_.find("]]>", p_);
                if (end == std::string::npos) return Fail("the file ends inside a CDATA section");
                text.append(s_, p_, end - p_);
                Advance(end + 3 - p_);
            } else if (Starts("<?")) {
                if (!SkipPast("?>", "a processing instruction")) return false;
            } else if (Starts("<!")) {
                return Fail("a declaration inside an element");
            } else {
                if (!Element(depth + 1)) return false;
            }
        }
    }

    bool HandlerFailed() {
        line = h_.errorLine;
        return Fail(h_.error);
    }

    const std::string& s_;
    XmlHandler& h_;
    std::size_t p_ = 0;
};

enum class NumberText { Ok, NotNumber, TooLarge };

// An unsigned number of any number of digits in `base` (10 or 16).
NumberText ParseUnsigned(const std::string& text, int base, std::uint64_t& value) {
    if (text.empty()) return NumberText::NotNumber;
    value = 0;
    bool tooLarge = false;
    for (char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0) return NumberText::NotNumber;
        tooLarge = tooLarge || __builtin_mul_overflow(value, static_cast<std::uint64_t>(base), &value) ||
                   __builtin_add_overflow(value, static_cast<std::uint64_t>(digit), &value);
    }
    return tooLarge ? NumberText::TooLarge : NumberText::Ok;
}

// Builds the list from the elements of a Logiqx datafile.
class DatBuilder final : public XmlHandler {
public:
    explicit DatBuilder(DatFile& dat) : dat_(dat) {}

    bool Start(const std::string& name, const std::vector<Attribute>& attributes, int line) override {
        const std::size_t depth = stack_.size();
        stack_.push_back(name);
        if (depth == 0) {
            if (name != "datafile") return Error(line, "not a Logiqx datafile: the root element is <" + name + ">, not <datafile>");
            return true;
        }
        if (depth == 1 && (name == "game" || name == "machine")) {
            const std::string* gameName = Find(attributes, "name");
            if (!gameName || gameName->empty()) return Error(line, "<" + name + "> without a name");
            game_ = *gameName;
            ++dat_.games;
            return true;
        }
        if (depth == 2 && name == "rom" && (stack_[1] == "game" || stack_[1] == "machine")) {
            DatRom rom;
            rom.game = game_;
            if (const std::string* v = Find(attributes, "name")) rom.name = *v;
            if (const std::string* v = Find(attributes, "size")) {
                std::uint64_t size = 0;
                switch (ParseUnsigned(*v, 10, size)) {
                case NumberText::Ok: rom.size = size; break;
                case NumberText::NotNumber: return Error(line, "the rom size \"" + *v + "\" is not a number");
                case NumberText::TooLarge: return Error(line, "the rom size \"" + *v + "\" is too large");
                }
            }
            if (const std::string* v = Find(attributes, "crc")) {
                std::uint64_t crc = 0;
                if (v->size() > 8 || ParseUnsigned(*v, 16, crc) != NumberText::Ok)
                    return Error(line, "the rom crc \"" + *v + "\" is not 8 hex digits");
                rom.crc32 = static_cast<std::uint32_t>(crc);
            }
            if (const std::string* v = Find(attributes, "sha1")) {
                Sha1Digest digest{};
                if (!ParseHexDigest(*v, digest)) return Error(line, "the rom sha1 \"" + *v + "\" is not 40 hex digits");
                rom.sha1 = digest;
            }
            dat_.roms.push_back(std::move(rom));
        }
        return true;
    }

    bool End(const std::string&, int) override {
        stack_.pop_back();
        return true;
    }

    void Text(const std::string& text) override {
        if (stack_.size() == 3 && stack_[1] == "header" && stack_[2] == "name") dat_.name = text;
    }

private:
    static const std::string* Find(const std::vector<Attribute>& attributes, const char* name) {
        for (const Attribute& a : attributes)
            if (a.name == name) return &a.value;
        return nullptr;
    }
    bool Error(int line, std::string text) {
        error = std::move(text);
        errorLine = line;
        return false;
    }

    DatFile& dat_;
    std::vector<std::string> stack_;
    std::string game_;
};

} // namespace

bool ParseDat(const std::string& text, DatFile& dat, std::string& message) {
    DatFile parsed;
    DatBuilder builder(parsed);
    XmlReader reader(text, builder);
    if (!reader.Read()) {
        message = "line " + std::to_string(reader.line) + ": " + reader.error;
        return false;
    }
    dat = std::move(parsed);
    return true;
}

bool LoadDatFile(const std::string& path, DatFile& dat, std::string& message) {
    std::string why;
    std::FILE* file = OpenForReading(path, why); // refuses pipes and devices: never blocks
    struct stat info {};
    if (!file || ::fstat(::fileno(file), &info) != 0) {
        if (file) std::fclose(file);
        message = "Unable to open the DAT file " + path;
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaxDatBytes) {
        std::fclose(file);
        message = "The DAT file " + path + " is too large";
        return false;
    }
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    if (!ParseDat(text, dat, message)) {
        message = "The DAT file " + path + " cannot be read: " + message;
        return false;
    }
    return true;
}

std::string DatNameKey(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot != 0) name.erase(dot);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

namespace {
std::uint64_t CrcSizeKey(std::uint32_t crc, std::uint64_t size) { return size << 32 ^ crc ^ (size >> 32) * 0x9E3779B97F4A7C15ull; }
std::string DigestKey(const Sha1Digest& d) { return std::string(d.begin(), d.end()); }
} // namespace

DatIndex::DatIndex(const DatFile& dat) : dat_(dat) {
    bySha1_.reserve(dat.roms.size());
    for (const DatRom& rom : dat.roms) {
        if (rom.sha1) bySha1_.emplace(DigestKey(*rom.sha1), &rom);
        else if (rom.crc32 && rom.size) byCrcSize_[CrcSizeKey(*rom.crc32, *rom.size)].push_back(&rom);
        if (!rom.name.empty()) byName_.emplace(DatNameKey(rom.name), &rom);
        if (rom.size) bySize_[*rom.size].push_back(&rom);
    }
}

DatMatch DatIndex::Match(const ImageHashes& hashes, const std::string& fileName) const {
    if (const auto found = bySha1_.find(DigestKey(hashes.sha1)); found != bySha1_.end())
        return {DatStatus::Good, found->second};
    if (const auto found = byCrcSize_.find(CrcSizeKey(hashes.crc32, hashes.size)); found != byCrcSize_.end())
        for (const DatRom* rom : found->second)
            if (*rom->crc32 == hashes.crc32 && *rom->size == hashes.size) return {DatStatus::Good, rom};
    if (const auto found = byName_.find(DatNameKey(fileName)); found != byName_.end())
        return {DatStatus::Bad, found->second};
    if (const auto found = bySize_.find(hashes.size); found != bySize_.end() && found->second.size() == 1)
        return {DatStatus::Bad, found->second.front()};
    return {DatStatus::Unknown, nullptr};
}

} // namespace q64
