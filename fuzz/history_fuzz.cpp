// The history file's reader and the journals in it, as a hostile file gives them: records are
// parsed, each journal decoded and encoded again to the same bytes, and played on the
// headless machine as --verify plays it, whatever the events ask of the game.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/entry.h"
#include "app/journal.h"
#include "app/replay.h"
#include "base/game_state.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform.h"
#include "records/history_record.h"
#include "records/journal.h"

namespace {

const char words[] =
    "[EASY]\r\n\x82\xCB\x82\xB1,neko\r\n[NORMAL]\r\n\x82\xA2\x82\xCA,inu\r\n"
    "[HARD]\r\n\x82\xB3\x82\xAD\x82\xE7,sakura\r\n";

WindowHandle machine() {
    static WindowHandle window = [] {
        InFuzzDirectory here;
        writeFuzzFile("Date/Words.txt", reinterpret_cast<const uint8_t*>(words), sizeof words - 1);
        headlessReset();
        startUp(nullptr);
        return headlessCreateWindow(windowProcedure);
    }();
    return window;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    const WindowHandle window = machine();
    InFuzzDirectory here;
    HistoryContents contents;
    parseHistory(std::string_view(reinterpret_cast<const char*>(data), size), contents);
    FUZZ_CHECK(contents.damaged >= 0);
    for (const HistoryRecord& record : contents.records) {
        // What is read can be written again and reads the same.
        HistoryContents again;
        parseHistory(formatHistoryRecord(record), again);
        FUZZ_CHECK(again.records.size() == 1 && again.damaged == 0);
        FUZZ_CHECK(again.records[0].score == record.score);
        Journal journal;
        if (!decodeJournal(record.journal, journal)) continue;
        Journal decoded;
        FUZZ_CHECK(decodeJournal(encodeJournal(journal), decoded));
        FUZZ_CHECK(encodeJournal(decoded) == encodeJournal(journal));
        // Played against the list here, as if it had been made with it.
        journal.start.wordsHash = wordListHash();
        headlessClearEvents();
        const ReplayOutcome outcome = verifyJournal(window, journal);
        FUZZ_CHECK(outcome.sameWords);
        FUZZ_CHECK(!replayRunning());
        FUZZ_CHECK(game.unranked == 0);
    }
    return 0;
}
