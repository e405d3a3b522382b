// A scratch working directory with a Date folder; the test runs inside it and leaves no trace.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class ScratchDirectory {
public:
    ScratchDirectory() : previous(std::filesystem::current_path()) {
        static int serial = 0;
        root = std::filesystem::temp_directory_path() /
               ("keyfall-scratch-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "Date");
        std::filesystem::current_path(root);
    }
    ~ScratchDirectory() {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // Writes bytes exactly as given to a file named relative to the scratch root.
    void write(const std::string& relative, const std::string& bytes) const {
        std::ofstream(root / relative, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(root / relative, std::ios::binary);
        std::string bytes;
        char chunk[65536];
        while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
            bytes.append(chunk, static_cast<size_t>(in.gcount()));
        }
        return bytes;
    }
    bool exists(const std::string& relative) const {
        return std::filesystem::exists(root / relative);
    }

    std::filesystem::path root;

private:
    std::filesystem::path previous;
};
