// The records screen's figures: read from the history when the screen needs them.
#pragma once

#include "base/records_figures.h"

// Game state: reads difficulty. The figures of the difficulty chosen, read again from the
// history file when it or the difficulty has changed since they were made.
const RecordsFigures& currentRecordsFigures();
// Whether currentRecordsFigures would read the history again.
bool recordsFiguresStale();
// Counts up whenever the figures are made again.
unsigned recordsFiguresStamp();
