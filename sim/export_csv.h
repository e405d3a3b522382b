// keyfall-sim --export-csv: the kept games of ./Date/History.txt as a spreadsheet's rows.
#pragma once

// Writes one row per kept game (summary fields, no journal) with a header row, UTF-8. Returns
// the exit code: 0, or 2 when the history cannot be read or the file cannot be written.
int exportHistoryCsv(const char* path);
