// Data paths: relative literals such as "\Date\Words.txt" made full under the working directory.
#pragma once

#include <cstddef>

// Every caller passes a destination of this size; a resolved path must fit with its NUL.
constexpr size_t dataPathSize = 1024;

// Working directory + relative path, every separator doubled unless it follows a lead byte.
// On failure (no working directory, result too long) dest is empty and false is returned,
// so the access that follows finds no file.
bool resolveDataPath(char* dest, const char* relativePath);

// The same walk from a given working directory; resolveDataPath calls it.
bool resolveDataPathFrom(char* dest, const char* workingDirectory, const char* relativePath);
