// A scratch working directory with a Date folder, entered for the life of the object.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class ScratchFolder {
public:
    ScratchFolder() : previous(std::filesystem::current_path()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "keyfall-robust-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        root = pattern;
        // Others may enter it: some tests act as an unprivileged user inside.
        ::chmod(root.c_str(), 0755);
        std::filesystem::create_directories(root / "Date");
        std::filesystem::current_path(root);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        // Folders made read-only by a test must be writable again to be removed.
        for (auto& entry : std::filesystem::recursive_directory_iterator(root, ignored)) {
            if (entry.is_directory(ignored)) ::chmod(entry.path().c_str(), 0755);
        }
        std::filesystem::remove_all(root, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    void write(const std::string& relative, const std::string& bytes) const {
        std::ofstream(root / relative, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(root / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path root;

private:
    std::filesystem::path previous;
};
