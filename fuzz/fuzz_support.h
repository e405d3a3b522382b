// What every harness needs: a private working directory with a Date folder, files written
// byte for byte, and a check that stops the run loudly.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/headless/headless.h"

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
    static const std::filesystem::path root = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "keyfall-fuzz-XXXXXX");
        if (!::mkdtemp(pattern.data())) {
            std::perror("keyfall fuzz: mkdtemp");
            std::abort();
        }
        std::filesystem::path made = pattern;
        std::filesystem::create_directories(made / "Date" / "Image");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(fuzzWorkingDirectory(), ignored);
        });
        return made;
    }();
    return root;
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
