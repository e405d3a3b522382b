// The history file as players and crashes leave it: damaged records are passed over and
// counted, a new record never joins a torn one, and the caps drop the oldest whole records.
// The journal's bytes come back as they were written.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "records/history_file.h"
#include "records/history_record.h"
#include "records/journal.h"
#include "records/records_figures.h"
#include "tests/support/scratch_folder.h"

namespace {

HistoryRecord sampleRecord(int score) {
    HistoryRecord record;
    record.time = 1765185130;
    record.difficulty = 2;
    record.score = score;
    record.bestCombo = 87;
    record.hits = 960;
    record.misses = 12;
    record.words = 80;
    record.keys = 972;
    record.durationMs = 123456;
    record.letters = {{'a', 120, 3}, {'-', 2, 0}};
    record.kana = {{"\x82\xC2", 12, 3}, {"\x83\x94", 1, 1}};  // つ, ヴ
    record.journal = std::string("\x01\x02\x00\xFFjournal", 11);
    return record;
}

std::string recordText(int score) { return formatHistoryRecord(sampleRecord(score)); }

// The text with its checksum made right again, for a record edited where it counts.
std::string resealed(std::string text) {
    text.erase(text.rfind("end "));
    char check[16];
    std::snprintf(check, sizeof check, "%08x", crc32Of(text));
    return text + "end " + check + "\n";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

std::string utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

struct Damage {
    const char* name;
    std::function<std::string()> file;
    size_t records;
    int damaged;
};

}  // namespace

TEST(HistoryFile, DamagedFilesKeepTheirWholeRecordsAndCountTheRest) {
    const std::string good = recordText(100);
    const std::string other = recordText(200);
    const Damage cases[] = {
        {"empty", [] { return std::string(); }, 0, 0},
        {"one record", [&] { return good; }, 1, 0},
        {"cut in the middle", [&] { return good.substr(0, good.size() / 2); }, 0, 1},
        {"torn last record", [&] { return good + other.substr(0, other.size() / 2); }, 1, 1},
        {"a byte changed", [&] { return replaced(good, "score 100", "score 900"); }, 0, 1},
        {"lines ended in CR LF", [&] { return replaced(good, "\n", "\r\n"); }, 0, 1},
        {"UTF-16", [&] { return utf16(good); }, 0, 1},
        {"a line of 10 MB between",
         [&] { return good + std::string(10 << 20, 'x') + "\n" + other; }, 2, 1},
        {"a field out of range, resealed",
         [&] { return resealed(replaced(good, "difficulty Hard", "difficulty Insane")); }, 0, 1},
        {"a journal that is no base64, resealed",
         [&] { return resealed(replaced(good, "journal ", "journal *")); }, 0, 1},
        {"no end line before the next record",
         [&] { return replaced(good, "end ", "ned ") + other; }, 1, 1},
    };
    for (const Damage& c : cases) {
        HistoryContents contents;
        parseHistory(c.file(), contents);
        EXPECT_EQ(contents.records.size(), c.records) << c.name;
        EXPECT_EQ(contents.damaged, c.damaged) << c.name;
    }
}

TEST(HistoryFile, ARecordReadsBackAsWritten) {
    HistoryContents contents;
    parseHistory(recordText(4321), contents);
    ASSERT_EQ(contents.records.size(), 1u);
    const HistoryRecord& read = contents.records[0];
    const HistoryRecord written = sampleRecord(4321);
    EXPECT_EQ(read.time, written.time);
    EXPECT_EQ(read.difficulty, written.difficulty);
    EXPECT_EQ(read.score, 4321);
    EXPECT_EQ(read.bestCombo, written.bestCombo);
    EXPECT_EQ(read.durationMs, written.durationMs);
    EXPECT_EQ(read.journal, written.journal);
    ASSERT_EQ(read.kana.size(), 2u);
    EXPECT_EQ(read.kana[0].kana, written.kana[0].kana);
    EXPECT_EQ(read.kana[1].misses, 1);
    ASSERT_EQ(read.letters.size(), 2u);
    EXPECT_EQ(read.letters[1].letter, '-');
    // Without journals the summaries are the same.
    parseHistory(recordText(4321), contents, false);
    ASSERT_EQ(contents.records.size(), 1u);
    EXPECT_EQ(contents.records[0].score, 4321);
    EXPECT_TRUE(contents.records[0].journal.empty());
}

TEST(HistoryFile, ANewRecordAfterATornOneStandsOnItsOwnLine) {
    ScratchFolder folder("history");
    folder.write("Date/History.txt", recordText(1) + recordText(2).substr(0, 200));
    folder.write("Date/RankingDate.ini", "[EASY]\r\n1=5\r\n");
    ASSERT_EQ(addHistoryRecord(recordText(3)), WriteOutcome::written);
    HistoryContents contents;
    ASSERT_TRUE(readHistory(contents, true));
    ASSERT_EQ(contents.records.size(), 2u);
    EXPECT_EQ(contents.records[1].score, 3);
    EXPECT_EQ(contents.damaged, 1);
    EXPECT_EQ(folder.read("Date/RankingDate.ini"), "[EASY]\r\n1=5\r\n");
}

TEST(HistoryFile, PastACapTheOldestWholeRecordsGo) {
    ScratchFolder folder("history-cap");
    std::string full;
    for (int i = 0; i < maxHistoryRecords; ++i) full += recordText(i);
    folder.write("Date/History.txt", "a note of the player's\n" + full);
    ASSERT_EQ(addHistoryRecord(recordText(99999)), WriteOutcome::written);
    HistoryContents contents;
    readHistory(contents, false);
    ASSERT_EQ(contents.records.size(), static_cast<size_t>(maxHistoryRecords));
    EXPECT_EQ(contents.records.front().score, 1);
    EXPECT_EQ(contents.records.back().score, 99999);
    EXPECT_EQ(contents.damaged, 0) << "the note went with the oldest record";

    // By size: records of 5 MB each, so that a seventh would pass 32 MB.
    HistoryRecord big = sampleRecord(0);
    big.journal.assign(size_t{5} << 20, 'j');
    full.clear();
    for (int i = 0; i < 6; ++i) {
        big.score = i;
        full += formatHistoryRecord(big);
    }
    folder.write("Date/History.txt", full);
    big.score = 6;
    ASSERT_EQ(addHistoryRecord(formatHistoryRecord(big)), WriteOutcome::written);
    EXPECT_LE(folder.read("Date/History.txt").size(), maxHistoryBytes);
    readHistory(contents, false);
    ASSERT_FALSE(contents.records.empty());
    EXPECT_EQ(contents.records.back().score, 6);
    EXPECT_GE(contents.records.front().score, 1);
}

TEST(Journal, EveryKindOfEventComesBackAsItWasKept) {
    Journal journal;
    journal.start.difficulty = 1;
    journal.start.timeGauge = 530.5575;
    journal.start.comboLabel = "12";
    journal.start.wordsHash = 0x0123456789ABCDEFull;
    journal.startClockMs = 0xFFFFFF00u;  // the clock wraps during the game
    const JournalEvent events[] = {
        {JournalKind::command, 0, 40001, 0, 0, 0},
        {JournalKind::countdownTick, 1, 0, 0, 0, 0},
        {JournalKind::countdownTick, 3001, 0, 0, 0, 1},
        {JournalKind::gaugeTick, 3101, 0, 0, 0, 0},
        {JournalKind::gaugeTick, 3300, 0, 0, 0, 0},  // too far for a one-byte tick
        {JournalKind::character, 3350, 'n', 0, 3, 0},
        {JournalKind::character, 3351, 'e', 0, 5, 0},
        {JournalKind::key, 3400, 0x74, 0, 0, 0},
        {JournalKind::paint, 3404, paintScrollRomaji | paintComboShifted10, 515, 0, 0},
    };
    for (const JournalEvent& e : events) journal.events.push_back(e);
    journal.calendarReadings = {1765185130};
    // The first key's readings are the paced clock, the second's are not.
    for (int k = 0; k < 3; ++k) journal.msReadings.push_back(journal.startClockMs + 3350);
    for (int k = 0; k < 5; ++k) journal.msReadings.push_back(journal.startClockMs + 3351 + k);

    const std::string bytes = encodeJournal(journal);
    Journal read;
    ASSERT_TRUE(decodeJournal(bytes, read));
    EXPECT_EQ(read.start.timeGauge, 530.5575);
    EXPECT_EQ(read.start.comboLabel, "12");
    EXPECT_EQ(read.start.wordsHash, journal.start.wordsHash);
    EXPECT_EQ(read.msReadings, journal.msReadings);
    EXPECT_EQ(read.calendarReadings, journal.calendarReadings);
    ASSERT_EQ(read.events.size(), journal.events.size());
    for (size_t i = 0; i < read.events.size(); ++i) {
        EXPECT_EQ(read.events[i].kind, journal.events[i].kind) << i;
        EXPECT_EQ(read.events[i].elapsedMs, journal.events[i].elapsedMs) << i;
        EXPECT_EQ(read.events[i].value, journal.events[i].value) << i;
        EXPECT_EQ(read.events[i].labelX, journal.events[i].labelX) << i;
        EXPECT_EQ(read.events[i].msReads, journal.events[i].msReads) << i;
    }
    // Any cut is no journal; so is a state no game can be in.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        EXPECT_FALSE(decodeJournal(bytes.substr(0, cut), read)) << "cut at " << cut;
    }
    journal.start.timeGauge = 1e300;
    EXPECT_FALSE(decodeJournal(encodeJournal(journal), read));
}

// The records screen's figures: which games are charted, which kana count as weak.
TEST(RecordsFigures, WeakKanaNeedAttemptsAndMissesAndRankByRate) {
    const std::string tsu = "\x82\xC2", shi = "\x82\xB5", chi = "\x82\xBF", nu = "\x82\xCA";
    HistoryContents contents;
    auto add = [&contents](int difficulty, std::vector<KanaTally> kana) {
        HistoryRecord r;
        r.difficulty = difficulty;
        r.kana = std::move(kana);
        contents.records.push_back(r);
    };
    add(0, {{tsu, 8, 2}, {shi, 3, 1}, {chi, 9, 0}, {nu, 9, 3}});
    add(0, {{tsu, 0, 0}, {shi, 0, 0}});
    add(1, {{chi, 0, 50}});  // another difficulty counts for nothing here
    WeakKana weak[weakKanaShown];
    // ぬ 3 misses in 12 attempts, つ 2 in 10; し has 4 attempts, fewer than five; ち no miss.
    ASSERT_EQ(weakestKana(contents, 0, weak), 2);
    EXPECT_EQ(std::string(weak[0].kana), nu);
    EXPECT_EQ(weak[0].ratePercent, 25);
    EXPECT_EQ(std::string(weak[1].kana), tsu);
    EXPECT_EQ(weak[1].ratePercent, 20);
}

TEST(RecordsFigures, TheChartHoldsTheLastFiftyGamesOfTheDifficulty) {
    HistoryContents contents;
    contents.damaged = 2;
    for (int g = 0; g < 80; ++g) {
        HistoryRecord r;
        r.difficulty = g % 2;
        r.score = g == 41 ? 100000 : g;
        r.keys = 100;
        r.misses = 10;
        r.durationMs = 20000;
        r.letters = {{'t', 9, 1}, {'-', 1, 1}, {'!', 5, 5}};
        contents.records.push_back(r);
    }
    RecordsFigures f;
    buildRecordsFigures(contents, 1, f);
    EXPECT_EQ(f.gamesKept, 40);
    EXPECT_EQ(f.damaged, 2);
    EXPECT_EQ(f.chartCount, 40);
    EXPECT_EQ(f.chart[f.bestIndex].score, 100000);
    EXPECT_EQ(f.chart[0].keysPerSecond100, 500);
    EXPECT_EQ(f.chart[0].accuracy10, 900);
    EXPECT_EQ(f.keyHits['t' - 'a'], 360);
    EXPECT_EQ(f.keyMisses[keyboardKeys - 1], 40);
    buildRecordsFigures(contents, 0, f);
    EXPECT_EQ(f.chartCount, 40);
    contents.records.insert(contents.records.end(), contents.records.begin(),
                            contents.records.end());
    buildRecordsFigures(contents, 0, f);
    EXPECT_EQ(f.gamesKept, 80);
    EXPECT_EQ(f.chartCount, chartGames);
    EXPECT_EQ(f.chart[chartGames - 1].score, 78);  // the newest last
}
