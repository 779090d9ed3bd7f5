#include "app/private_profile.h"

#include <ini.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "app/text_encoding.h"

namespace kell {
namespace {

// inih would cut a value at " ;" (an inline comment); the Windows rules keep it. Semicolons
// inside lines travel through inih as this stand-in and are put back afterwards.
constexpr char kSemicolonStandIn = '\x1F';
// inih also takes ':' for the end of a key; under the Windows rules only '=' ends one, and a
// line without it defines nothing. Colons travel through inih as this stand-in.
constexpr char kColonStandIn = '\x1E';

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view Trim(std::string_view s) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

// A name or value as the file holds it, its stand-ins put back.
std::string WithStandInsPutBack(std::string_view s) {
    std::string out(s);
    std::replace(out.begin(), out.end(), kSemicolonStandIn, ';');
    std::replace(out.begin(), out.end(), kColonStandIn, ':');
    return out;
}

// inih reads a line in pieces of this many characters at most and takes every further piece
// for a line of its own; longer lines are cut to it.
constexpr std::size_t kLineLimit = INI_MAX_LINE - 1;

bool ContinuesCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Drops what a line holds past kLineLimit, back to the start of the character the limit falls
// in, so that the tail of an over-long line can be neither a key nor a section header and a
// value cut short is still UTF-8. (Windows cuts a value too long for the caller's buffer.)
void CutLongLine(std::string& out, std::size_t lineStart) {
    std::size_t end = lineStart + kLineLimit;
    while (end > lineStart && ContinuesCharacter(out[end]))
        --end;
    out.resize(end);
}

// Prepares the text for inih: no byte-order mark, no leading white space on any line (inih
// would take an indented line for the continuation of the previous value, Windows reads it as a
// line of its own), the semicolons and colons stand-ins inside lines, and no line longer than
// inih reads.
std::string PrepareForInih(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::string out;
    out.reserve(text.size());
    bool lineStart = true;
    bool commentLine = false;
    bool cut = false;
    std::size_t lineBegin = 0;
    for (char c : text) {
        if (c == '\n') {
            out += c;
            lineStart = true;
            cut = false;
            continue;
        }
        if (cut || (lineStart && (c == ' ' || c == '\t')))
            continue;
        if (lineStart) {
            commentLine = c == ';';
            lineBegin = out.size();
        }
        if (c == '\0')
            c = ' ';  // would end the text for inih
        if (c == ';' && !commentLine)
            c = kSemicolonStandIn;
        if (c == ':' && !commentLine)
            c = kColonStandIn;
        out += c;
        lineStart = false;
        if (out.size() - lineBegin > kLineLimit) {
            CutLongLine(out, lineBegin);
            cut = true;
        }
    }
    return out;
}

}  // namespace

PrivateProfile PrivateProfile::Load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string bytes(kMaxFileBytes, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return Parse(bytes);
}

PrivateProfile PrivateProfile::Parse(std::string_view bytes) {
    PrivateProfile profile;
    const std::string text = PrepareForInih(ToUtf8(bytes));
    // Lines inih cannot parse are skipped, as Windows skips them; its result is not an error.
    ini_parse_string(text.c_str(), &PrivateProfile::OnEntry, &profile);
    return profile;
}

int PrivateProfile::OnEntry(void* user, const char* section, const char* key, const char* value) {
    auto& self = *static_cast<PrivateProfile*>(user);
    const std::string sectionName = Lower(WithStandInsPutBack(Trim(section)));
    if (sectionName != self.currentSection_) {
        // A section that appears again later is not read again: its first appearance counts.
        self.skippingSection_ = self.sections_.count(sectionName) != 0;
        self.currentSection_ = sectionName;
    }
    if (self.skippingSection_ || sectionName.empty())
        return 1;
    // emplace keeps the first value of a key that occurs twice.
    self.sections_[sectionName].emplace(Lower(WithStandInsPutBack(Trim(key))),
                                        WithStandInsPutBack(Unquote(Trim(value))));
    return 1;
}

std::string PrivateProfile::Get(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    const auto s = sections_.find(Lower(Trim(section)));
    if (s == sections_.end())
        return std::string(fallback);
    const auto k = s->second.find(Lower(Trim(key)));
    return k == s->second.end() ? std::string(fallback) : k->second;
}

bool PrivateProfile::HasSection(std::string_view section) const {
    return sections_.count(Lower(Trim(section))) != 0;
}

}  // namespace kell
