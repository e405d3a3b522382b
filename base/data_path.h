// Data paths: relative literals such as "\Date\Words.txt" made full under the working directory.
#pragma once

#include <cstddef>

// Every caller passes a destination of this size; a resolved path must fit with its NUL.
constexpr size_t dataPathSize = 1024;

// Working directory + relative path, every separator doubled unless it follows a lead byte.
// On failure (no working directory, result too long) dest is empty and false is returned,
// so the access that follows finds no file.
bool resolveDataPath(char* dest, const char* relativePath);

// True when the working directory can be read but is too long for relativePath: the
// resolved path would not fit in dataPathSize bytes. The directory goes into folder (of
// folderSize bytes, cut to fit) for the message that says so.
bool workingFolderTooLong(const char* relativePath, char* folder = nullptr, size_t folderSize = 0);

// The same walk from a given working directory; resolveDataPath calls it.
bool resolveDataPathFrom(char* dest, const char* workingDirectory, const char* relativePath);
