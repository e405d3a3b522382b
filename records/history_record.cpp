// A history record's text: one field a line, the journal in base64, a CRC-32 at the end.
#include "records/history_record.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "records/kana_text.h"

namespace {

const char* const difficultyNames[3] = {"Easy", "Normal", "Hard"};
constexpr size_t journalLineChars = 76;

const char base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string toBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 2]);
        out += base64Digits[group >> 18 & 63];
        out += base64Digits[group >> 12 & 63];
        out += i + 1 < bytes.size() ? base64Digits[group >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? base64Digits[group & 63] : '=';
    }
    return out;
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool fromBase64(std::string_view text, std::string& bytes) {
    bytes.clear();
    if (text.size() % 4 != 0) return false;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int pad = (text[i + 3] == '=') + (text[i + 2] == '=');
        if (pad > 0 && !last) return false;
        if (text[i + 2] == '=' && text[i + 3] != '=') return false;
        uint32_t group = 0;
        for (int k = 0; k < 4 - pad; ++k) {
            const int value = base64Value(text[i + k]);
            if (value < 0) return false;
            group |= static_cast<uint32_t>(value) << (18 - 6 * k);
        }
        bytes += static_cast<char>(group >> 16);
        if (pad < 2) bytes += static_cast<char>(group >> 8 & 0xFF);
        if (pad < 1) bytes += static_cast<char>(group & 0xFF);
    }
    return true;
}

// CRC-32 eight bytes at a time: the history of two thousand games is read at every visit
// of the records screen.
struct CrcTables {
    uint32_t t[8][256];
    CrcTables() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n) {
            for (int k = 1; k < 8; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
        }
    }
};

void appendLine(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += ' ';
    out += value;
    out += '\n';
}

std::string numberText(int64_t value) { return std::to_string(value); }

std::string decimal(double value, int places) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

std::string dateText(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    const std::tm* local = std::localtime(&t);
    if (!local) return "-";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return text;
}

struct Line {
    size_t begin;
    size_t next;  // where the line after it begins
    std::string_view body;
};

// Lines end in LF, CR LF or CR alone, in any mix.
Line lineAt(std::string_view text, size_t at) {
    // memchr runs far faster than a byte loop over the journal lines of two thousand games.
    const char* begin = text.data() + at;
    const size_t left = text.size() - at;
    const void* feed = std::memchr(begin, '\n', left);
    size_t end =
        feed ? static_cast<size_t>(static_cast<const char*>(feed) - text.data()) : text.size();
    if (const void* ret = std::memchr(begin, '\r', end - at)) {
        end = static_cast<size_t>(static_cast<const char*>(ret) - text.data());
    }
    size_t next = end;
    if (next < text.size())
        next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
    return {at, next, text.substr(at, end - at)};
}

bool startsWith(std::string_view line, std::string_view word) {
    return line.size() > word.size() && line.substr(0, word.size()) == word &&
           line[word.size()] == ' ';
}

template <typename Number>
bool parseNumber(std::string_view text, Number& value, Number low, Number high) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc{} && ptr == end && value >= low && value <= high;
}

bool parseTally(std::string_view item, int& first, int& second) {
    const size_t slash = item.find('/');
    if (slash == std::string_view::npos) return false;
    return parseNumber(item.substr(0, slash), first, 0, INT32_MAX) &&
           parseNumber(item.substr(slash + 1), second, 0, INT32_MAX);
}

// "a=120/3 i=100/1": each letter is one byte before its equals sign.
bool parseLetters(std::string_view value, std::vector<LetterTally>& letters) {
    for (size_t at = 0; at < value.size();) {
        size_t space = value.find(' ', at);
        if (space == std::string_view::npos) space = value.size();
        const std::string_view item = value.substr(at, space - at);
        at = space + 1;
        if (item.empty()) continue;
        LetterTally tally;
        if (item.size() < 4 || item[1] != '=' ||
            !parseTally(item.substr(2), tally.hits, tally.misses)) {
            return false;
        }
        tally.letter = item[0];
        letters.push_back(tally);
    }
    return true;
}

bool parseKana(std::string_view value, std::vector<KanaTally>& kana) {
    for (size_t at = 0; at < value.size();) {
        size_t space = value.find(' ', at);
        if (space == std::string_view::npos) space = value.size();
        const std::string_view item = value.substr(at, space - at);
        at = space + 1;
        if (item.empty()) continue;
        const size_t equals = item.rfind('=');
        KanaTally tally;
        if (equals == std::string_view::npos || !kanaFromUtf8(item.substr(0, equals), tally.kana) ||
            !parseTally(item.substr(equals + 1), tally.typed, tally.misses)) {
            return false;
        }
        kana.push_back(std::move(tally));
    }
    return true;
}

// "123.456" seconds as milliseconds.
bool parseSeconds(std::string_view value, int& ms) {
    const size_t point = value.find('.');
    if (point == std::string_view::npos || value.size() - point != 4) return false;
    int whole = 0;
    int fraction = 0;
    if (!parseNumber(value.substr(0, point), whole, 0, 100000000) ||
        !parseNumber(value.substr(point + 1), fraction, 0, 999)) {
        return false;
    }
    ms = whole * 1000 + fraction;
    return ms >= 0;
}

// The fields of one record whose checksum held; false when one is missing or wrong.
// Whether the end line closes the record begun at begin: its checksum is the CRC-32 of all
// the record's lines before it, as eight hex digits.
bool checksumHolds(std::string_view text, size_t begin, const Line& end) {
    const std::string_view hex = end.body.substr(4);
    uint32_t stated = 0;
    auto [ptr, error] = std::from_chars(hex.data(), hex.data() + hex.size(), stated, 16);
    return hex.size() == 8 && error == std::errc{} && ptr == hex.data() + hex.size() &&
           crc32Of(text.substr(begin, end.begin - begin)) == stated;
}

bool parseFields(std::string_view text, size_t begin, size_t end, bool journals,
                 HistoryRecord& record) {
    enum : unsigned {
        haveTime = 1,
        haveDifficulty = 2,
        haveScore = 4,
        haveCombo = 8,
        haveHits = 16,
        haveMisses = 32,
        haveWords = 64,
        haveKeys = 128,
        haveSeconds = 256,
        haveAll = 511
    };
    unsigned have = 0;
    std::string journalText;
    for (size_t at = begin; at < end;) {
        const Line line = lineAt(text, at);
        at = line.next;
        const size_t space = line.body.find(' ');
        if (space == std::string_view::npos) continue;
        const std::string_view key = line.body.substr(0, space);
        const std::string_view value = line.body.substr(space + 1);
        bool good = true;
        if (key == "time") {
            good = parseNumber<int64_t>(value, record.time, INT64_MIN, INT64_MAX);
            have |= haveTime;
        } else if (key == "difficulty") {
            good = false;
            for (int d = 0; d < 3; ++d) {
                if (value == difficultyNames[d]) {
                    record.difficulty = d;
                    good = true;
                }
            }
            have |= haveDifficulty;
        } else if (key == "kind") {
            good = value == "ranked" || value == "practice";
            record.practice = value == "practice" ? 1 : 0;
        } else if (key == "score") {
            good = parseNumber(value, record.score, 0, INT32_MAX);
            have |= haveScore;
        } else if (key == "combo") {
            good = parseNumber(value, record.bestCombo, 0, INT32_MAX);
            have |= haveCombo;
        } else if (key == "hits") {
            good = parseNumber(value, record.hits, 0, INT32_MAX);
            have |= haveHits;
        } else if (key == "misses") {
            good = parseNumber(value, record.misses, 0, INT32_MAX);
            have |= haveMisses;
        } else if (key == "words") {
            good = parseNumber(value, record.words, 0, INT32_MAX);
            have |= haveWords;
        } else if (key == "keys") {
            good = parseNumber(value, record.keys, 0, INT32_MAX);
            have |= haveKeys;
        } else if (key == "seconds") {
            good = parseSeconds(value, record.durationMs);
            have |= haveSeconds;
        } else if (key == "letters") {
            good = parseLetters(value, record.letters);
        } else if (key == "kana") {
            good = parseKana(value, record.kana);
        } else if (key == "replay") {
            good = value == "exact" || value == "inexact";
            record.inexact = value == "inexact" ? 1 : 0;
        } else if (key == "journal") {
            if (journals) journalText += value;
        }
        if (!good) return false;
    }
    if (have != haveAll) return false;
    return !journals || fromBase64(journalText, record.journal);
}

const CrcTables& crcTables() {
    static const CrcTables tables;
    return tables;
}

}  // namespace

uint32_t crc32Of(std::string_view bytes) {
    const auto& t = crcTables().t;
    uint32_t c = 0xFFFFFFFFu;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        const uint32_t low = c ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                  uint32_t{p[3]} << 24);
        c = t[7][low & 0xFF] ^ t[6][low >> 8 & 0xFF] ^ t[5][low >> 16 & 0xFF] ^ t[4][low >> 24] ^
            t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    }
    for (; n > 0; --n, ++p) c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string formatHistoryRecord(const HistoryRecord& r) {
    std::string out;
    appendLine(out, "game", dateText(r.time));
    appendLine(out, "time", numberText(r.time));
    appendLine(out, "difficulty",
               difficultyNames[r.difficulty >= 0 && r.difficulty < 3 ? r.difficulty : 2]);
    appendLine(out, "kind", r.practice == 1 ? "practice" : "ranked");
    appendLine(out, "score", numberText(r.score));
    appendLine(out, "combo", numberText(r.bestCombo));
    appendLine(out, "hits", numberText(r.hits));
    appendLine(out, "misses", numberText(r.misses));
    appendLine(out, "words", numberText(r.words));
    appendLine(out, "keys", numberText(r.keys));
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%d.%03d", r.durationMs / 1000, r.durationMs % 1000);
    appendLine(out, "seconds", seconds);
    const double duration = r.durationMs / 1000.0;
    appendLine(out, "kps", decimal(duration > 0 ? r.keys / duration : 0.0, 2));
    appendLine(out, "accuracy",
               decimal(r.keys > 0 ? 100.0 * (r.keys - r.misses) / r.keys : 100.0, 1));
    std::string letters;
    for (const LetterTally& t : r.letters) {
        if (!letters.empty()) letters += ' ';
        letters += t.letter;
        letters += '=' + numberText(t.hits) + '/' + numberText(t.misses);
    }
    appendLine(out, "letters", letters);
    std::string kana;
    std::string utf8;
    for (const KanaTally& t : r.kana) {
        if (!kanaToUtf8(t.kana, utf8)) continue;
        if (!kana.empty()) kana += ' ';
        kana += utf8 + '=' + numberText(t.typed) + '/' + numberText(t.misses);
    }
    appendLine(out, "kana", kana);
    appendLine(out, "replay", r.inexact == 0 ? "exact" : "inexact");
    const std::string journal = toBase64(r.journal);
    for (size_t at = 0; at < journal.size(); at += journalLineChars) {
        appendLine(out, "journal", std::string_view(journal).substr(at, journalLineChars));
    }
    char check[16];
    std::snprintf(check, sizeof check, "%08x", crc32Of(out));
    appendLine(out, "end", check);
    return out;
}

std::vector<RecordSpan> historyRecordSpans(std::string_view text) {
    std::vector<RecordSpan> spans;
    bool open = false;
    size_t begin = 0;
    for (size_t at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        at = line.next;
        if (startsWith(line.body, "game")) {
            open = true;
            begin = line.begin;
        } else if (open && startsWith(line.body, "end")) {
            open = false;
            if (checksumHolds(text, begin, line)) spans.push_back({begin, line.next});
        }
    }
    return spans;
}

void parseHistory(std::string_view text, HistoryContents& contents, bool journals) {
    contents = HistoryContents{};
    // A record is whole from its game line to its end line; everything else is damage: a
    // record torn by a crash, edited by hand or cut short, or lines that belong to none.
    bool open = false;
    bool stray = false;
    size_t begin = 0;
    for (size_t at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        at = line.next;
        if (startsWith(line.body, "game")) {
            if (open || stray) contents.damaged += 1;
            open = true;
            stray = false;
            begin = line.begin;
            continue;
        }
        if (!open) {
            if (!line.body.empty()) stray = true;
            continue;
        }
        if (!startsWith(line.body, "end")) continue;
        open = false;
        HistoryRecord record;
        if (checksumHolds(text, begin, line) &&
            parseFields(text, begin, line.begin, journals, record)) {
            contents.records.push_back(std::move(record));
        } else {
            contents.damaged += 1;
        }
    }
    if (open || stray) contents.damaged += 1;
}
