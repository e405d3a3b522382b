// The history's summaries as CSV: dates as a spreadsheet reads them, the tallies as one field.
#include "sim/export_csv.h"

#include <ctime>
#include <fstream>
#include <iostream>
#include <string>

#include "app/entry.h"
#include "backends/headless/headless.h"
#include "records/history_file.h"
#include "records/kana_text.h"

namespace {

const char* const difficultyNames[3] = {"Easy", "Normal", "Hard"};

std::string dateText(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    const std::tm* local = std::localtime(&t);
    char text[32] = "";
    if (local) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return text;
}

std::string decimal(double value, int places) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

// The tallies as "a=120/3 i=100/1"; quoted, as a field with spaces may be.
std::string letterField(const HistoryRecord& r) {
    std::string out;
    for (const LetterTally& t : r.letters) {
        if (!out.empty()) out += ' ';
        // A letter that CSV reads as quoting is doubled.
        out += t.letter == '"' ? std::string("\"\"") : std::string(1, t.letter);
        out += '=' + std::to_string(t.hits) + '/' + std::to_string(t.misses);
    }
    return '"' + out + '"';
}

std::string kanaField(const HistoryRecord& r) {
    std::string out;
    std::string utf8;
    for (const KanaTally& t : r.kana) {
        if (!kanaToUtf8(t.kana, utf8)) continue;
        if (!out.empty()) out += ' ';
        out += utf8 + '=' + std::to_string(t.typed) + '/' + std::to_string(t.misses);
    }
    return '"' + out + '"';
}

}  // namespace

int exportHistoryCsv(const char* path) {
    headlessReset();
    startUp(nullptr);
    HistoryContents contents;
    if (!readHistory(contents, false)) {
        std::cerr << "keyfall-sim: cannot read Date/History.txt\n";
        return 2;
    }
    std::ofstream out(path, std::ios::binary);
    out << "date,time,difficulty,kind,score,combo,hits,misses,words,keys,seconds,kps,accuracy,"
           "letters,kana\r\n";
    for (const HistoryRecord& r : contents.records) {
        const double seconds = r.durationMs / 1000.0;
        out << dateText(r.time) << ',' << r.time << ','
            << difficultyNames[r.difficulty >= 0 && r.difficulty < 3 ? r.difficulty : 2] << ','
            << (r.practice == 1 ? "practice" : "ranked") << ',' << r.score << ',' << r.bestCombo
            << ',' << r.hits << ',' << r.misses << ',' << r.words << ',' << r.keys << ','
            << decimal(seconds, 3) << ',' << decimal(seconds > 0 ? r.keys / seconds : 0.0, 2) << ','
            << decimal(r.keys > 0 ? 100.0 * (r.keys - r.misses) / r.keys : 100.0, 1) << ','
            << letterField(r) << ',' << kanaField(r) << "\r\n";
    }
    out.close();
    if (!out) {
        std::cerr << "keyfall-sim: cannot write " << path << "\n";
        return 2;
    }
    std::cerr << "keyfall-sim: " << contents.records.size() << " games written to " << path
              << (contents.damaged > 0
                      ? ", " + std::to_string(contents.damaged) + " damaged records skipped"
                      : std::string())
              << "\n";
    return 0;
}
