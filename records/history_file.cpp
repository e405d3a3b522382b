// Reading the history file, and adding a record with the caps kept.
#include "records/history_file.h"

#include <cstdio>
#include <string>

#include "base/data_path.h"
#include "base/texts.h"
#include "platform/platform.h"

namespace {

const char historyPath[] = "\\Date\\History.txt";
// The ranking's lock: one game over at a time writes either file.
const char rankingPath[] = "\\date\\RankingDate.ini";

// The bytes of the file, at most its last maxHistoryBytes from the start of a line; cut
// tells whether older bytes were left out. Missing: empty and true.
bool readTail(std::string& bytes, bool& cut) {
    bytes.clear();
    cut = false;
    char path[dataPathSize];
    if (!resolveDataPath(path, historyPath)) return false;
    std::FILE* file = openDataFile(path, "rb");
    if (!file) return true;
    bool good = std::fseek(file, 0, SEEK_END) == 0;
    const long size = good ? std::ftell(file) : -1;
    good = size >= 0;
    long from = 0;
    if (good && static_cast<unsigned long>(size) > maxHistoryBytes) {
        from = size - static_cast<long>(maxHistoryBytes);
        cut = true;
    }
    good = good && std::fseek(file, from, SEEK_SET) == 0;
    if (good) bytes.reserve(static_cast<size_t>(size - from));
    char chunk[65536];
    while (good && bytes.size() < maxHistoryBytes) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.append(chunk, got);
        if (got < sizeof chunk) {
            good = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    if (!good) {
        bytes.clear();
        return false;
    }
    if (cut) {
        // The first line may be the end of a longer one.
        const size_t feed = bytes.find('\n');
        bytes.erase(0, feed == std::string::npos ? bytes.size() : feed + 1);
    }
    return true;
}

}  // namespace

bool readHistory(HistoryContents& contents, bool journals) {
    std::string bytes;
    bool cut = false;
    const bool read = readTail(bytes, cut);
    parseHistory(bytes, contents, journals);
    if (cut) contents.damaged += 1;
    return read;
}

WriteOutcome addHistoryRecord(const std::string& text) {
    char path[dataPathSize];
    if (!resolveDataPath(path, historyPath)) return WriteOutcome::notWritten;
    std::string bytes;
    bool cut = false;
    if (!readTail(bytes, cut)) return WriteOutcome::fileUnusable;
    // A record torn by a crash has no line end: the new one must not join it.
    const std::string separator = !bytes.empty() && bytes.back() != '\n' ? "\n" : "";
    const std::vector<RecordSpan> spans = historyRecordSpans(bytes);
    // The oldest records go first, whole, until both caps hold with the new one.
    bool fits = false;
    size_t keepFrom = 0;
    for (size_t k = 0; k <= spans.size() && !fits; ++k) {
        keepFrom = k == 0 ? 0 : k < spans.size() ? spans[k].begin : bytes.size();
        const size_t records = spans.size() - k + 1;
        const size_t size = bytes.size() - keepFrom + separator.size() + text.size();
        fits = records <= static_cast<size_t>(maxHistoryRecords) && size <= maxHistoryBytes;
    }
    if (!fits) return WriteOutcome::notWritten;
    bool written = false;
    if (keepFrom == 0 && !cut) {
        // The common case: the file grows by the record, and a failed append leaves it whole.
        const std::string added = separator + text;
        written = appendDataFile(path, added.data(), added.size());
    } else {
        const std::string rewritten = bytes.substr(keepFrom) + separator + text;
        written = replaceDataFile(path, rewritten.data(), rewritten.size());
    }
    return written ? WriteOutcome::written : WriteOutcome::notWritten;
}

void submitHistoryRecord(const HistoryRecord& record) {
    char lockPath[dataPathSize];
    if (!resolveDataPath(lockPath, rankingPath)) return;
    LockedWrite write;
    write.lockPath = lockPath;
    write.fileName = "History.txt";
    write.what = textWhatRecord;
    write.apply = [text = formatHistoryRecord(record)] { return addHistoryRecord(text); };
    submitLockedWrite(std::move(write));
}

std::string historySignature() {
    std::string signature;
    char path[dataPathSize];
    if (!resolveDataPath(path, historyPath)) return signature;
    std::FILE* file = openDataFile(path, "rb");
    if (!file) return signature;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        constexpr long tailBytes = 24;
        signature = std::to_string(size) + ':';
        if (size > 0 && std::fseek(file, size > tailBytes ? size - tailBytes : 0, SEEK_SET) == 0) {
            char tail[tailBytes];
            const size_t got = std::fread(tail, 1, sizeof tail, file);
            signature.append(tail, got);
        }
    }
    std::fclose(file);
    return signature;
}

bool resolveHistoryPath(char* path) { return resolveDataPath(path, historyPath); }
