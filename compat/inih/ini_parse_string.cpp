// inih's string parser with the options Debian builds libinih with: comments start a line with
// ';' or '#', or follow white space with ';' on a name=value line; a line is read in pieces of
// INI_MAX_LINE - 1 characters; section names keep 49 characters; an indented line continues the
// previous value;
// the first line may start with a UTF-8 byte-order mark; parsing goes on after a bad line.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#include "ini.h"

namespace {

constexpr std::size_t kMaxSection = 50;

bool Space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view StripRight(std::string_view s) {
    while (!s.empty() && Space(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view StripLeft(std::string_view s) {
    while (!s.empty() && Space(s.front()))
        s.remove_prefix(1);
    return s;
}

// Where the first of `chars` is, or an inline comment (';' after white space) starts.
std::size_t FindOrComment(std::string_view s, std::string_view chars) {
    bool afterSpace = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (chars.find(s[i]) != std::string_view::npos || (afterSpace && s[i] == ';'))
            return i;
        afterSpace = Space(s[i]);
    }
    return s.size();
}

}  // namespace

extern "C" int ini_parse_string(const char* string, ini_handler handler, void* user) {
    std::string_view rest(string);
    std::string section;
    std::string previousName;
    int lineNumber = 0;
    int error = 0;
    while (!rest.empty()) {
        // One piece: up to and with the newline, at most INI_MAX_LINE - 1 characters.
        std::size_t length = std::min<std::size_t>(rest.size(), INI_MAX_LINE - 1);
        if (const std::size_t newline = rest.substr(0, length).find('\n');
            newline != std::string_view::npos)
            length = newline + 1;
        std::string_view line = rest.substr(0, length);
        rest.remove_prefix(length);
        ++lineNumber;
        if (lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF")
            line.remove_prefix(3);

        const std::string_view start = StripLeft(StripRight(line));
        const bool indented = !start.empty() && start.data() > line.data();
        if (!start.empty() && (start.front() == ';' || start.front() == '#')) {
            continue;
        } else if (!previousName.empty() && indented) {
            // Debian's inih (r55) keeps a continuation line whole, inline comment and all.
            const std::string text(start);
            if (!handler(user, section.c_str(), previousName.c_str(), text.c_str()) && !error)
                error = lineNumber;
        } else if (!start.empty() && start.front() == '[') {
            const std::size_t end = FindOrComment(start.substr(1), "]");
            if (end < start.size() - 1 && start[1 + end] == ']') {
                section = std::string(start.substr(1, end)).substr(0, kMaxSection - 1);
                previousName.clear();
            } else if (!error) {
                error = lineNumber;
            }
        } else if (!start.empty()) {
            const std::size_t end = FindOrComment(start, "=:");
            if (end < start.size() && (start[end] == '=' || start[end] == ':')) {
                const std::string name(StripRight(start.substr(0, end)));
                std::string_view value = start.substr(end + 1);
                value = StripRight(StripLeft(value.substr(0, FindOrComment(value, {}))));
                const std::string text(value);
                previousName = name.substr(0, kMaxSection - 1);
                if (!handler(user, section.c_str(), name.c_str(), text.c_str()) && !error)
                    error = lineNumber;
            } else if (!error) {
                error = lineNumber;
            }
        }
    }
    return error;
}
