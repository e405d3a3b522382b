// The records screen's figures: the last games' charts, misses by key and the weakest kana.
#include "records/records_figures.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

int keyIndex(char letter) {
    if (letter >= 'a' && letter <= 'z') return letter - 'a';
    if (letter == '-') return keyboardKeys - 1;
    return -1;
}

void formatDate(int64_t seconds, char (&out)[16]) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    const std::tm* local = std::localtime(&t);
    if (!local || std::strftime(out, sizeof out, "%Y-%m-%d", local) == 0) {
        std::snprintf(out, sizeof out, "-");
    }
}

struct KanaCount {
    int64_t typed = 0;
    int64_t misses = 0;
};

}  // namespace

int weakestKana(const HistoryContents& contents, int difficulty, WeakKana (&weak)[weakKanaShown]) {
    std::map<std::string, KanaCount> counts;
    for (const HistoryRecord& record : contents.records) {
        if (record.difficulty != difficulty) continue;
        for (const KanaTally& tally : record.kana) {
            KanaCount& count = counts[tally.kana];
            count.typed += tally.typed;
            count.misses += tally.misses;
        }
    }
    struct Rated {
        const std::string* kana;
        double rate;
        int64_t attempts;
    };
    std::vector<Rated> rated;
    for (const auto& [kana, count] : counts) {
        const int64_t attempts = count.typed + count.misses;
        if (attempts < weakKanaMinAttempts || count.misses == 0 ||
            kana.size() >= sizeof weak[0].kana) {
            continue;
        }
        rated.push_back(
            {&kana, static_cast<double>(count.misses) / static_cast<double>(attempts), attempts});
    }
    // Equal rates: the kana met more often first, then the code order, so the list is stable.
    std::sort(rated.begin(), rated.end(), [](const Rated& a, const Rated& b) {
        if (a.rate != b.rate) return a.rate > b.rate;
        if (a.attempts != b.attempts) return a.attempts > b.attempts;
        return *a.kana < *b.kana;
    });
    const int shown = std::min<int>(static_cast<int>(rated.size()), weakKanaShown);
    for (int i = 0; i < shown; ++i) {
        weak[i] = WeakKana{};
        std::memcpy(weak[i].kana, rated[i].kana->data(), rated[i].kana->size());
        weak[i].ratePercent = static_cast<int>(rated[i].rate * 100.0 + 0.5);
    }
    return shown;
}

void buildRecordsFigures(const HistoryContents& contents, int difficulty, RecordsFigures& figures) {
    figures = RecordsFigures{};
    figures.difficulty = difficulty;
    figures.damaged = contents.damaged;
    std::vector<const HistoryRecord*> games;
    for (const HistoryRecord& record : contents.records) {
        if (record.difficulty != difficulty) continue;
        games.push_back(&record);
        for (const LetterTally& tally : record.letters) {
            const int key = keyIndex(tally.letter);
            if (key < 0) continue;
            figures.keyHits[key] += tally.hits;
            figures.keyMisses[key] += tally.misses;
        }
    }
    figures.gamesKept = static_cast<int>(games.size());
    const size_t first = games.size() > chartGames ? games.size() - chartGames : 0;
    for (size_t g = first; g < games.size(); ++g) {
        const HistoryRecord& record = *games[g];
        ChartGame& point = figures.chart[figures.chartCount];
        point.score = record.score;
        point.practice = record.practice;
        point.keysPerSecond100 =
            record.durationMs > 0 ? static_cast<int>(std::min<int64_t>(
                                        int64_t{record.keys} * 100000 / record.durationMs, 100000))
                                  : 0;
        point.accuracy10 = record.keys > 0
                               ? static_cast<int>(std::max<int64_t>(
                                     0, int64_t{record.keys - record.misses} * 1000 / record.keys))
                               : 1000;
        if (figures.bestIndex < 0 || point.score > figures.chart[figures.bestIndex].score) {
            figures.bestIndex = figures.chartCount;
        }
        figures.chartCount += 1;
    }
    if (figures.chartCount > 0) {
        formatDate(games[first]->time, figures.firstDate);
        formatDate(games.back()->time, figures.lastDate);
    }
    figures.weakCount = weakestKana(contents, difficulty, figures.weak);
}
