// Parsing and editing profile text line by line, over byte ranges rather than C strings.
#include "base/profile_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "base/cp932.h"

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

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

struct Line {
    size_t begin;           // offset of the first byte
    size_t end;             // offset just past the line's end, or the end of the text
    std::string_view body;  // the line without its CR LF, LF or CR
};

// The line that starts at offset begin, which lies inside text. A line ends at CR LF, LF or
// a CR alone, in any mix, as editors on different systems leave them. Lines are found one at
// a time: a file of nothing but line ends must not cost a record per byte.
Line lineAt(std::string_view text, size_t begin) {
    size_t stop = begin;
    while (stop < text.size() && !isLineEnd(text[stop])) ++stop;
    if (stop == text.size()) return {begin, text.size(), text.substr(begin)};
    size_t end = stop + 1;
    if (text[stop] == '\r' && end < text.size() && text[end] == '\n') ++end;
    return {begin, end, text.substr(begin, stop - begin)};
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

// The line end most of the text's lines have (CR LF for a text without one): lines added
// keep the file's form.
std::string lineEnding(std::string_view text) {
    size_t crLf = 0, lf = 0, cr = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++lf;
        } else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++crLf;
            ++i;
        } else if (text[i] == '\r') {
            ++cr;
        }
    }
    if (lf > crLf && lf >= cr) return "\n";
    if (cr > crLf && cr > lf) return "\r";
    return "\r\n";
}

// A value is one line: anything from a line end on would become lines of its own.
std::string_view oneLine(const char* value) {
    std::string_view text = value ? value : "";
    size_t end = 0;
    while (end < text.size() && !isLineEnd(text[end])) ++end;
    return text.substr(0, end);
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
        if (!result.empty() && !isLineEnd(result.back())) result += eol;
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
            if (!isLineEnd(result.back())) result += eol;
            result += additions;
        }
        at = line.end;
    }
    return result;
}

namespace {

// The longest start of the body at begin, at most want bytes, that ends between characters.
size_t characterEdge(std::string_view text, size_t begin, size_t want, bool utf8) {
    if (utf8) {
        while (want > 0 && (static_cast<unsigned char>(text[begin + want]) & 0xC0) == 0x80) --want;
        return want;
    }
    size_t edge = 0;
    while (edge < want) {
        size_t step = isCp932LeadByte(static_cast<unsigned char>(text[begin + edge])) ? 2 : 1;
        if (edge + step > want) break;
        edge += step;
    }
    return edge;
}

}  // namespace

bool shortenProfileComments(std::string& text, size_t bytes, bool utf8) {
    if (bytes == 0) return true;
    struct Loose {
        size_t begin;
        size_t bodyLength;
        size_t end;
    };
    std::vector<Loose> loose;
    size_t available = 0;
    for (size_t at = 0; at < text.size();) {
        Line line = lineAt(text, at);
        if (parseLine(line.body).kind == LineKind::other) {
            loose.push_back({line.begin, line.body.size(), line.end});
            available += line.end - line.begin;
        }
        at = line.end;
    }
    if (available < bytes) return false;
    std::stable_sort(loose.begin(), loose.end(),
                     [](const Loose& a, const Loose& b) { return a.bodyLength > b.bodyLength; });
    // What is kept of each line touched, by its offset: the length of its body, or none.
    constexpr size_t dropped = std::numeric_limits<size_t>::max();
    std::map<size_t, size_t> kept;
    size_t left = bytes;
    for (const Loose& line : loose) {
        if (left == 0) break;
        if (line.bodyLength > left) {
            // Cutting the end of a line never makes it a key or a header: no '=' or ']' comes.
            size_t keep = characterEdge(text, line.begin, line.bodyLength - left, utf8);
            if (keep > 0) {
                kept[line.begin] = keep;
                left = 0;
                break;
            }
        }
        kept[line.begin] = dropped;
        left -= std::min(left, line.end - line.begin);
    }
    std::string result;
    result.reserve(text.size() - bytes);
    for (size_t at = 0; at < text.size();) {
        Line line = lineAt(text, at);
        auto touched = kept.find(line.begin);
        if (touched == kept.end()) {
            result.append(text, line.begin, line.end - line.begin);
        } else if (touched->second != dropped) {
            size_t bodyEnd = line.begin + line.body.size();
            result.append(text, line.begin, touched->second);
            result.append(text, bodyEnd, line.end - bodyEnd);
        }
        at = line.end;
    }
    text = std::move(result);
    return true;
}
