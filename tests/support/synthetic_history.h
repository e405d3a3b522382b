// A history file of many games made up from a fixed seed, with damaged records among them:
// for the records screen's golden frames and its benchmark.
#pragma once

#include <cstdint>
#include <string>

#include "records/history_record.h"

// games records (difficulties, practice games, scores, tallies and a journal-sized payload
// varying), and after every games/damaged of them one whose bytes were changed.
inline std::string syntheticHistory(int games, int damaged, int journalBytes = 9000) {
    uint32_t state = 12345;
    auto next = [&state](uint32_t below) {
        state = state * 214013u + 2531011u;
        return (state >> 16 & 0x7FFF) % below;
    };
    static const char* const kana[] = {"\x82\xC2",         "\x82\xB5", "\x82\xBF", "\x82\xD3",
                                       "\x82\xF1",         "\x82\xA0", "\x82\xA9", "\x82\xB3",
                                       "\x82\xB7\x82\xE1", "\x82\xE7", "\x82\xED", "\x82\xCB"};
    std::string text;
    const int damageEvery = damaged > 0 ? games / damaged : 0;
    for (int g = 0; g < games; ++g) {
        HistoryRecord r;
        r.time = 1796000000 + int64_t{g} * 3600;
        r.difficulty = static_cast<int>(next(3));
        r.practice = next(5) == 0 ? 1 : 0;
        r.keys = 300 + static_cast<int>(next(700));
        r.misses = static_cast<int>(next(static_cast<uint32_t>(r.keys / 8)));
        r.hits = r.keys - r.misses;
        r.score = r.hits * (20 + g / 40) + static_cast<int>(next(2000));
        r.bestCombo = 5 + static_cast<int>(next(80));
        r.words = r.hits / 6;
        r.durationMs = 60000 + static_cast<int>(next(60000));
        for (char letter : std::string("aeiouknstmrhgzy-")) {
            r.letters.push_back({letter, 20 + static_cast<int>(next(200)),
                                 static_cast<int>(next(letter == 't' ? 40 : 12))});
        }
        for (size_t k = 0; k < sizeof kana / sizeof kana[0]; ++k) {
            r.kana.push_back({kana[k], 5 + static_cast<int>(next(60)),
                              static_cast<int>(next(k == 0 ? 12 : static_cast<uint32_t>(2 + k)))});
        }
        r.journal.assign(static_cast<size_t>(journalBytes), static_cast<char>(g));
        text += formatHistoryRecord(r);
        if (damageEvery > 0 && g % damageEvery == damageEvery - 1) {
            std::string torn = formatHistoryRecord(r);
            torn[torn.find("score ") + 6] = '9';
            text += torn;
        }
    }
    return text;
}
