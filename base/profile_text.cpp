// Parsing and editing profile text line by line, over byte ranges rather than C strings.
#include "base/profile_text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names are plain ASCII; Windows compares them without regard to case.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

struct Line {
    size_t begin;           // offset of the first byte
    size_t end;             // offset just past the line feed, or the end of the text
    std::string_view body;  // the line without its LF or CR LF
};

// The line that starts at offset begin, which lies inside text. Lines are found one at a time:
// a file of nothing but line feeds must not cost a record per byte.
Line lineAt(std::string_view text, size_t begin) {
    size_t feed = text.find('\n', begin);
    if (feed == std::string_view::npos) return {begin, text.size(), text.substr(begin)};
    size_t bodyEnd = feed > begin && text[feed - 1] == '\r' ? feed - 1 : feed;
    return {begin, feed + 1, text.substr(begin, bodyEnd - begin)};
}

enum class LineKind { other, section, key };

struct ParsedLine {
    LineKind kind = LineKind::other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed, quotes dropped
};

ParsedLine parseLine(std::string_view body) {
    ParsedLine parsed;
    std::string_view line = trim(body);
    if (line.empty() || line.front() == ';') return parsed;  // blank or comment
    if (line.front() == '[') {
        size_t close = line.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::section;
            parsed.name = trim(line.substr(1, close - 1));
            return parsed;
        }
    }
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return parsed;  // not a key: kept, never matched
    parsed.kind = LineKind::key;
    parsed.name = trim(line.substr(0, equals));
    parsed.value = trim(line.substr(equals + 1));
    std::string_view& value = parsed.value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return parsed;
}

// The lines of the first section of a name: from just after its header to the next header.
struct SectionSpan {
    bool found = false;
    size_t header = 0;     // offset of the header line
    size_t bodyBegin = 0;  // offset just past the header line
    size_t end = 0;        // offset of the next header, or the end of the text
};

SectionSpan findSection(std::string_view text, std::string_view section) {
    SectionSpan span;
    for (size_t at = 0; at < text.size();) {
        Line line = lineAt(text, at);
        ParsedLine parsed = parseLine(line.body);
        if (parsed.kind == LineKind::section) {
            if (span.found) {
                span.end = line.begin;
                return span;
            }
            if (sameName(parsed.name, section)) {
                span.found = true;
                span.header = line.begin;
                span.bodyBegin = line.end;
            }
        }
        at = line.end;
    }
    span.end = text.size();
    return span;
}

std::string lineEnding(std::string_view text) {
    size_t feed = text.find('\n');
    if (feed == std::string_view::npos) return "\r\n";
    return feed > 0 && text[feed - 1] == '\r' ? "\r\n" : "\n";
}

// A value is one line: anything from a line feed (or CR LF) on would become lines of its own.
// A lone CR is part of a line to the reader, so it stays.
std::string_view oneLine(const char* value) {
    std::string_view text = value ? value : "";
    size_t feed = text.find('\n');
    if (feed == std::string_view::npos) return text;
    return text.substr(0, feed > 0 && text[feed - 1] == '\r' ? feed - 1 : feed);
}

// The reader trims blanks and one pair of enclosing quotes off a value; a value that would
// lose bytes that way is written inside double quotes, so it reads back as itself.
std::string storedValue(std::string_view value) {
    bool enclosed = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                    value.back() == value.front();
    bool padded = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    if (!enclosed && !padded) return std::string(value);
    return "\"" + std::string(value) + "\"";
}

}  // namespace

bool findProfileValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view& value) {
    SectionSpan span = findSection(text, section);
    for (size_t at = span.bodyBegin; span.found && at < span.end;) {
        Line line = lineAt(text, at);
        ParsedLine parsed = parseLine(line.body);
        if (parsed.kind == LineKind::key && sameName(parsed.name, key)) {
            value = parsed.value;
            return true;
        }
        at = line.end;
    }
    return false;
}

bool profileValuesSettled(std::string_view text, std::string_view section, const char* const* keys,
                          int count) {
    SectionSpan span = findSection(text, section);
    if (!span.found) return false;
    // The first key of a name counts, and only in the first section of its name.
    if (span.end < text.size()) return true;
    std::string_view value;
    for (int k = 0; k < count; ++k) {
        if (!keys[k] || !findProfileValue(text, section, keys[k], value)) return false;
    }
    return true;
}

void lookupProfileString(std::string_view text, const char* section, const char* key,
                         const char* defaultValue, char* out, size_t outSize) {
    if (!out || outSize == 0) return;
    std::string_view value = defaultValue ? defaultValue : "";
    std::string_view found;
    if (section && key && findProfileValue(text, section, key, found)) value = found;
    size_t length = std::min(value.size(), outSize - 1);
    std::memcpy(out, value.data(), length);
    out[length] = '\0';
}

std::string editProfileText(std::string_view text, std::string_view section,
                            const ProfileEntry* entries, int count) {
    SectionSpan span = findSection(text, section);

    // New text of the key lines rewritten, by line offset, and the keys to add, in order.
    std::map<size_t, std::string> rewritten;
    std::vector<std::pair<std::string, std::string>> added;
    for (int e = 0; e < count; ++e) {
        if (!entries[e].key) continue;
        std::string_view key = entries[e].key;
        std::string value = storedValue(oneLine(entries[e].value));
        bool done = false;
        for (size_t at = span.bodyBegin; span.found && at < span.end && !done;) {
            Line line = lineAt(text, at);
            ParsedLine parsed = parseLine(line.body);
            if (parsed.kind == LineKind::key && sameName(parsed.name, key)) {
                // The key keeps its spelling in the file.
                rewritten[line.begin] = std::string(parsed.name) + "=" + std::string(value);
                done = true;
            }
            at = line.end;
        }
        for (auto& pending : added) {
            if (!done && sameName(pending.first, key)) {
                pending.second = value;
                done = true;
            }
        }
        if (!done) added.emplace_back(key, value);
    }
    if (rewritten.empty() && added.empty()) return std::string(text);

    std::string eol = lineEnding(text);
    std::string additions;
    for (const auto& [key, value] : added) additions += key + "=" + value + eol;

    std::string result;
    result.reserve(text.size() + additions.size() + section.size() + 8);
    if (!span.found) {
        result = text;
        if (!result.empty() && result.back() != '\n') result += eol;
        result += "[" + std::string(section) + "]" + eol + additions;
        return result;
    }
    // Added keys go after the section's last line that is not blank, so that blank lines
    // before the next section stay where they are.
    size_t last = span.header;
    for (size_t at = span.bodyBegin; at < span.end;) {
        Line line = lineAt(text, at);
        if (!trim(line.body).empty()) last = line.begin;
        at = line.end;
    }
    for (size_t at = 0; at < text.size();) {
        Line line = lineAt(text, at);
        auto replacement = rewritten.find(line.begin);
        if (replacement == rewritten.end()) {
            result.append(text.substr(line.begin, line.end - line.begin));
        } else {
            size_t bodyEnd = line.begin + line.body.size();
            result += replacement->second;
            result.append(text.substr(bodyEnd, line.end - bodyEnd));
        }
        if (line.begin == last && !additions.empty()) {
            if (result.back() != '\n') result += eol;
            result += additions;
        }
        at = line.end;
    }
    return result;
}
