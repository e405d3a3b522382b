// What every harness needs: a private working directory with a Date folder, files written
// byte for byte, and a check that stops the run loudly.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "backends/headless/headless.h"
#include "tests/support/scratch_folder.h"

// A failed check is a finding: libFuzzer keeps the input that led here.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

// A fresh temporary folder holding Date/Image, removed at exit. The game resolves every data
// path from the working directory, so this is where its files go while an input runs.
inline const std::filesystem::path& fuzzWorkingDirectory() {
    static const ScratchFolder folder{"fuzz", ScratchFolder::Enter::no};
    static const bool images =
        std::filesystem::create_directories(folder.path() / "Date" / "Image");
    (void)images;
    return folder.path();
}

// Holds the working directory in the fuzz folder for one input and goes back afterwards, so
// that libFuzzer's own relative paths (corpus, artifacts) keep meaning what they meant.
class InFuzzDirectory {
public:
    InFuzzDirectory() : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(fuzzWorkingDirectory());
    }
    ~InFuzzDirectory() { std::filesystem::current_path(previous); }
    InFuzzDirectory(const InFuzzDirectory&) = delete;
    InFuzzDirectory& operator=(const InFuzzDirectory&) = delete;

private:
    std::filesystem::path previous;
};

// Writes bytes exactly as given to a file named relative to the working directory.
inline void writeFuzzFile(const char* relative, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen((fuzzWorkingDirectory() / relative).c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);
}

// True when the array holds a NUL, so that the text ends inside it.
template <size_t N>
bool terminatedInside(const char (&text)[N]) {
    return std::memchr(text, '\0', N) != nullptr;
}
