// The journal's bytes: varints and deltas, so that a two-minute game takes a few kilobytes.
#include "records/journal.h"

#include <cmath>
#include <cstring>

#include "records/kana_text.h"

namespace {

constexpr uint8_t journalVersion = 1;
// Longer than any label the game makes; a longer one is no journal of ours.
constexpr size_t maxLabelBytes = 499;

// Event header: the kind in the low bits, then how many millisecond readings (with the top
// bit: a count follows), whether they differ from the pace, whether calendar readings follow.
constexpr uint8_t kindMask = 0x07;
constexpr int readsShift = 3;
constexpr uint8_t readsMask = 0x18;
constexpr uint8_t readingsDiffer = 0x20;
constexpr uint8_t calendarFollows = 0x40;
constexpr uint8_t readsCounted = 0x80;
// Most events are gauge ticks about 100 ms apart that read no clock: one byte each, the
// kind below and the gap in the bits above it.
constexpr uint8_t plainTick = 7;
constexpr uint32_t plainTickGap = 92;
constexpr uint32_t plainTickGaps = 16;

int64_t unzigzag(uint64_t value) {
    return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1);
}

class Writer {
public:
    std::string bytes;
    void varint(uint64_t value) {
        while (value >= 0x80) {
            bytes += static_cast<char>(0x80 | (value & 0x7F));
            value >>= 7;
        }
        bytes += static_cast<char>(value);
    }
    void signedVarint(int64_t value) {
        varint((static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63));
    }
    void byte(uint8_t value) { bytes += static_cast<char>(value); }
    void fixed64(uint64_t value) {
        for (int i = 0; i < 8; ++i) byte(static_cast<uint8_t>(value >> (8 * i)));
    }
    void text(const std::string& value) {
        varint(value.size());
        bytes += value;
    }
};

class Reader {
public:
    explicit Reader(std::string_view input) : in(input) {}
    bool ok = true;
    bool atEnd() const { return at == in.size(); }
    uint64_t varint() {
        uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (at >= in.size()) return fail();
            const auto b = static_cast<uint8_t>(in[at++]);
            value |= static_cast<uint64_t>(b & 0x7F) << shift;
            if ((b & 0x80) == 0) return value;
        }
        return fail();
    }
    int64_t signedVarint() { return unzigzag(varint()); }
    uint8_t byte() {
        if (at >= in.size()) return static_cast<uint8_t>(fail());
        return static_cast<uint8_t>(in[at++]);
    }
    uint64_t fixed64() {
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) value |= static_cast<uint64_t>(byte()) << (8 * i);
        return value;
    }
    std::string text() {
        const uint64_t size = varint();
        if (!ok || size > maxLabelBytes || size > in.size() - at) {
            fail();
            return {};
        }
        // Bounded by what is left, so it fits a size on every machine.
        const auto length = static_cast<size_t>(size);
        std::string value(in.substr(at, length));
        at += length;
        return value;
    }
    // A number that must lie in [low, high].
    int number(int64_t low, int64_t high) {
        const int64_t value = signedVarint();
        if (value < low || value > high) return static_cast<int>(fail());
        return static_cast<int>(value);
    }
    size_t remaining() const { return in.size() - at; }

private:
    uint64_t fail() {
        ok = false;
        return 0;
    }
    std::string_view in;
    size_t at = 0;
};

// Far beyond what any game reaches, so that no field of a real game is refused.
constexpr int64_t large = 100000000;

void writeStart(Writer& w, const JournalStart& s) {
    for (int value : {s.countdownState, s.countdownValue, s.playing, s.rankingShown, s.difficulty,
                      s.quotaBase, s.wordsToRefill, s.round}) {
        w.signedVarint(value);
    }
    uint64_t gaugeBits = 0;
    std::memcpy(&gaugeBits, &s.timeGauge, sizeof gaugeBits);
    w.fixed64(gaugeBits);
    for (int held : s.itemHeld) w.signedVarint(held);
    for (int value : {s.timeStopActive, s.missGuardActive, s.powerActive, s.timeStopTicks,
                      s.missGuardTicks, s.powerTicks, s.combo, s.maxCombo, s.score, s.hits}) {
        w.signedVarint(value);
    }
    w.varint(s.lastHitTime);
    for (int value : {s.comboLabelX, s.comboLabelY, s.comboShifted10, s.comboShifted100,
                      s.wordsLineCount, s.easyLine, s.normalLine, s.hardLine, s.anyRomaji}) {
        w.signedVarint(value);
    }
    w.varint(s.randomState);
    w.text(s.comboLabel);
    w.text(s.countdownLabel);
    w.fixed64(s.wordsHash);
    w.signedVarint(s.practice);
    w.text(s.practiceKana);
}

// At most ten kana of the table, each followed by a space.
bool validPracticeKana(const std::string& text) {
    int count = 0;
    std::string utf8;
    for (size_t at = 0; at < text.size(); ++count) {
        const size_t space = text.find(' ', at);
        if (space == std::string::npos || space == at || space - at > 4 ||
            !kanaToUtf8(std::string_view(text).substr(at, space - at), utf8)) {
            return false;
        }
        at = space + 1;
    }
    return count <= 10;
}

// Only values the game itself can leave: a replay must never start from a state no game has.
void readStart(Reader& r, JournalStart& s) {
    s.countdownState = r.number(0, 2);
    s.countdownValue = r.number(0, 3);
    s.playing = r.number(0, 1);
    s.rankingShown = r.number(0, 1);
    s.difficulty = r.number(0, 2);
    s.quotaBase = r.number(1, large);
    s.wordsToRefill = r.number(1, large);
    s.round = r.number(0, large);
    const uint64_t gaugeBits = r.fixed64();
    std::memcpy(&s.timeGauge, &gaugeBits, sizeof gaugeBits);
    if (!std::isfinite(s.timeGauge) || s.timeGauge < -1.0 || s.timeGauge > 531.0) r.ok = false;
    for (int& held : s.itemHeld) held = r.number(0, 1);
    s.timeStopActive = r.number(0, 1);
    s.missGuardActive = r.number(0, 1);
    s.powerActive = r.number(0, 1);
    s.timeStopTicks = r.number(0, 100);
    s.missGuardTicks = r.number(0, 100);
    s.powerTicks = r.number(0, 100);
    s.combo = r.number(0, INT32_MAX);
    s.maxCombo = r.number(0, INT32_MAX);
    s.score = r.number(0, INT32_MAX);
    s.hits = r.number(0, INT32_MAX);
    s.lastHitTime = static_cast<uint32_t>(r.varint());
    s.comboLabelX = r.number(-large, large);
    s.comboLabelY = r.number(-large, large);
    s.comboShifted10 = r.number(0, 1);
    s.comboShifted100 = r.number(0, 1);
    s.wordsLineCount = r.number(0, large);
    s.easyLine = r.number(0, large);
    s.normalLine = r.number(0, large);
    s.hardLine = r.number(0, large);
    s.anyRomaji = r.number(0, 1);
    s.randomState = static_cast<uint32_t>(r.varint());
    s.comboLabel = r.text();
    s.countdownLabel = r.text();
    s.wordsHash = r.fixed64();
    s.practice = r.number(0, 1);
    s.practiceKana = r.text();
    if (!validPracticeKana(s.practiceKana)) r.ok = false;
}

bool validValue(const JournalEvent& e) {
    switch (e.kind) {
        case JournalKind::gaugeTick:
        case JournalKind::countdownTick: return e.value == 0;
        case JournalKind::character: return e.value <= 0xFF;
        case JournalKind::key: return e.value >= 0x70 && e.value <= 0x75;
        case JournalKind::command: return e.value <= 0xFFFF;
        case JournalKind::paint: return e.value <= 31;
    }
    return false;
}

}  // namespace

std::string encodeJournal(const Journal& journal) {
    Writer w;
    w.byte(journalVersion);
    writeStart(w, journal.start);
    w.varint(journal.startClockMs);
    w.varint(journal.events.size());
    uint32_t previous = 0;
    int32_t labelX = journal.start.comboLabelX;
    size_t ms = 0;
    size_t calendar = 0;
    for (const JournalEvent& e : journal.events) {
        // The pace predicts the readings: most are the clock at the event's own moment.
        const uint32_t paced = journal.startClockMs + e.elapsedMs;
        bool differ = false;
        for (size_t k = ms; k < ms + e.msReads && k < journal.msReadings.size(); ++k) {
            differ = differ || journal.msReadings[k] != paced;
        }
        const uint32_t gap = e.elapsedMs - previous;
        previous = e.elapsedMs;
        if (e.kind == JournalKind::gaugeTick && e.msReads == 0 && e.calendarReads == 0 &&
            gap - plainTickGap < plainTickGaps) {
            w.byte(static_cast<uint8_t>(plainTick | (gap - plainTickGap) << readsShift));
            continue;
        }
        uint8_t header = static_cast<uint8_t>(static_cast<uint8_t>(e.kind) & kindMask);
        if (e.msReads <= 3) {
            header |= static_cast<uint8_t>(e.msReads << readsShift);
        } else {
            header |= readsCounted;
        }
        if (differ) header |= readingsDiffer;
        if (e.calendarReads > 0) header |= calendarFollows;
        w.byte(header);
        if (e.msReads > 3) w.varint(e.msReads);
        w.varint(gap);
        switch (e.kind) {
            case JournalKind::character:
            case JournalKind::key: w.byte(static_cast<uint8_t>(e.value)); break;
            case JournalKind::command: w.varint(e.value); break;
            case JournalKind::paint:
                w.varint(e.value);
                w.signedVarint(int64_t{e.labelX} - labelX);
                labelX = e.labelX;
                break;
            default: break;
        }
        for (int k = 0; k < e.msReads; ++k, ++ms) {
            const uint32_t reading =
                ms < journal.msReadings.size() ? journal.msReadings[ms] : paced;
            if (differ) w.signedVarint(static_cast<int32_t>(reading - paced));
        }
        if (e.calendarReads > 0) {
            w.varint(e.calendarReads);
            for (int k = 0; k < e.calendarReads; ++k, ++calendar) {
                w.signedVarint(calendar < journal.calendarReadings.size()
                                   ? journal.calendarReadings[calendar]
                                   : 0);
            }
        }
    }
    return w.bytes;
}

bool decodeJournal(std::string_view bytes, Journal& journal) {
    journal = Journal{};
    Reader r(bytes);
    if (r.byte() != journalVersion) return false;
    readStart(r, journal.start);
    journal.startClockMs = static_cast<uint32_t>(r.varint());
    const uint64_t count = r.varint();
    // Every event takes a byte at least: a count beyond that is a lie.
    if (!r.ok || count > r.remaining()) return false;
    journal.events.reserve(static_cast<size_t>(count));
    uint32_t elapsed = 0;
    int64_t labelX = journal.start.comboLabelX;
    for (uint64_t i = 0; i < count && r.ok; ++i) {
        JournalEvent e;
        const uint8_t header = r.byte();
        if ((header & kindMask) == plainTick) {
            if ((header & readsCounted) != 0) return false;
            elapsed += plainTickGap + (header >> readsShift);
            e.elapsedMs = elapsed;
            journal.events.push_back(e);
            continue;
        }
        if ((header & kindMask) > static_cast<uint8_t>(JournalKind::paint)) return false;
        e.kind = static_cast<JournalKind>(header & kindMask);
        uint64_t reads = (header & readsMask) >> readsShift;
        if (header & readsCounted) {
            if (reads != 0) return false;
            reads = r.varint();
            if (reads <= 3) return false;
        }
        if (reads > 255) return false;
        e.msReads = static_cast<uint8_t>(reads);
        elapsed += static_cast<uint32_t>(r.varint());
        e.elapsedMs = elapsed;
        switch (e.kind) {
            case JournalKind::character:
            case JournalKind::key: e.value = r.byte(); break;
            case JournalKind::command: e.value = static_cast<uint32_t>(r.varint()); break;
            case JournalKind::paint:
                e.value = static_cast<uint32_t>(r.varint());
                labelX += r.signedVarint();
                if (labelX < -large || labelX > large) return false;
                e.labelX = static_cast<int32_t>(labelX);
                break;
            default: break;
        }
        if (!validValue(e)) return false;
        const uint32_t paced = journal.startClockMs + elapsed;
        for (int k = 0; k < e.msReads; ++k) {
            const int64_t deviation = (header & readingsDiffer) ? r.signedVarint() : 0;
            journal.msReadings.push_back(paced + static_cast<uint32_t>(deviation));
        }
        if (header & calendarFollows) {
            const uint64_t readings = r.varint();
            if (readings == 0 || readings > 255) return false;
            e.calendarReads = static_cast<uint8_t>(readings);
            for (uint64_t k = 0; k < readings; ++k) {
                journal.calendarReadings.push_back(r.signedVarint());
            }
        }
        journal.events.push_back(e);
    }
    return r.ok && r.atEnd();
}

uint64_t hashBytes(std::string_view bytes) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (char c : bytes) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001B3ull;
    }
    return hash;
}
