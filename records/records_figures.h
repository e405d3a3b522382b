// The records screen's figures, from the history's records.
#pragma once

#include "base/records_figures.h"
#include "records/history_record.h"

// The figures of one difficulty; damaged is what the reading of the file passed over.
void buildRecordsFigures(const HistoryContents& contents, int difficulty, RecordsFigures& figures);
// The ten weakest kana of the difficulty, as buildRecordsFigures finds them.
int weakestKana(const HistoryContents& contents, int difficulty, WeakKana (&weak)[weakKanaShown]);
