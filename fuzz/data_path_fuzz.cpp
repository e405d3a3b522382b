// Data paths: any working directory (and any relative path) through the separator-doubling
// walk into a destination of exactly its documented size, compared with the walk done on a
// growing string; then the native form of a path below the real working directory.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>

#include "backends/native_path.h"
#include "base/cp932.h"
#include "base/data_path.h"
#include "fuzz/fuzz_support.h"

namespace {

const char* const gamePaths[] = {
    "\\Date\\Words.txt", "\\Date\\Game.ini",      "\\date\\RankingDate.ini",
    "\\Date\\Icon.ico",  "\\Date\\BackMusic.wav", "\\Date\\Image\\MainBack.bmp",
};

// Each backslash not right after a lead byte gets a second one; no limit on the length.
std::string doubledSeparators(const std::string& path) {
    std::string result = path;
    for (size_t i = 0; i < result.size(); ++i) {
        bool afterLead = i > 0 && isCp932LeadByte(static_cast<unsigned char>(result[i - 1]));
        if (result[i] == '\\' && !afterLead) result.insert(++i, 1, '\\');
    }
    return result;
}

void checkResolve(const std::string& workingDirectory, const std::string& relative) {
    // Exactly dataPathSize bytes on the heap, so that a byte past the end is caught.
    std::unique_ptr<char[]> dest(new char[dataPathSize]);
    std::memset(dest.get(), 'x', dataPathSize);
    bool resolved = resolveDataPathFrom(dest.get(), workingDirectory.c_str(), relative.c_str());
    std::string expected = doubledSeparators(workingDirectory + relative);
    if (expected.size() >= dataPathSize) {
        FUZZ_CHECK(!resolved);
        FUZZ_CHECK(dest[0] == '\0');
    } else {
        FUZZ_CHECK(resolved);
        FUZZ_CHECK(expected == dest.get());
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzWorkingDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InFuzzDirectory inside;
    FuzzedDataProvider input(data, size);
    const bool ownRelative = input.ConsumeBool();
    std::string relative = ownRelative ? input.ConsumeRandomLengthString(64)
                                       : gamePaths[input.ConsumeIntegralInRange<size_t>(0, 5)];
    // Texts are C strings: the walk sees the bytes before the first NUL.
    std::string workingDirectory = input.ConsumeRemainingBytesAsString();
    workingDirectory.resize(std::strlen(workingDirectory.c_str()));
    relative.resize(std::strlen(relative.c_str()));
    checkResolve(workingDirectory, relative);

    // Below the real working directory the path is matched without regard to case.
    const std::string cwd = fuzzWorkingDirectory().string();
    checkResolve(cwd, "\\" + workingDirectory);
    char dest[dataPathSize];
    if (resolveDataPathFrom(dest, cwd.c_str(), ("\\" + workingDirectory).c_str())) {
        std::string native = nativePath(dest);
        FUZZ_CHECK(native.compare(0, cwd.size(), cwd) == 0);
        FUZZ_CHECK(native.find('\\') == std::string::npos);
    }
    return 0;
}
