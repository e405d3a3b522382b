// keyfall-sim --verify: every record of a history file played again, and compared.
#pragma once

// Prints a line per record, ok or what differs, and a summary; 0 when every record holds,
// 1 when one does not (or the file holds damaged records), 2 when the file cannot be read.
int verifyHistoryFile(const char* path);
