// How keyfall-sim writes what happened: one UTF-8 line per event, the state as name=value.
#pragma once

#include <string>
#include <vector>

#include "backends/headless/headless.h"

// Code page 932 bytes as UTF-8, with backslash, newline and other control bytes written
// \\, \n and \xHH; bytes that are no character are written \xHH too.
std::string simText(const std::string& cp932);

// The line an event prints, or an empty string for events that print nothing.
std::string simEventLine(const HeadlessEvent& event);

// The lines of `dump`: "state", every field as name=value, the layout, "end".
std::vector<std::string> simDumpLines();

// The last presented frame as a 640 x 320 24-bit bitmap file. Returns false on failure.
bool simWriteFrame(const std::string& path);
