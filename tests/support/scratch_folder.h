// A fresh folder under the temporary directory with an empty Date folder: the working
// directory of a test while it lives, removed with all it holds when it goes.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

class ScratchFolder {
public:
    enum class Enter { yes, no };

    // purpose names the folder (keyfall-<purpose>-<random>) so that a leftover is traced.
    // With Enter::no the folder is made but the working directory stays where it is.
    explicit ScratchFolder(const std::string& purpose = "test", Enter enter = Enter::yes) {
        // Named at random, not by process id: mkdtemp is missing on Windows, and
        // create_directory refuses a name another test process has just taken.
        std::mt19937_64 random(
            std::random_device{}() ^
            static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
        for (int attempt = 0; attempt < 100 && root.empty(); ++attempt) {
            std::filesystem::path candidate =
                std::filesystem::temp_directory_path() /
                ("keyfall-" + purpose + "-" + std::to_string(random()));
            std::error_code failed;
            if (std::filesystem::create_directory(candidate, failed)) root = candidate;
        }
        if (root.empty()) std::abort();
        // Others may enter it: some tests act as an unprivileged user inside.
        std::error_code ignored;
        std::filesystem::permissions(
            root,
            std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                std::filesystem::perms::others_exec,
            ignored);
        std::filesystem::create_directories(root / "Date");
        if (enter == Enter::yes) {
            previous = std::filesystem::current_path();
            std::filesystem::current_path(root);
        }
    }
    ~ScratchFolder() {
        if (!previous.empty()) std::filesystem::current_path(previous);
        std::error_code ignored;
        // Folders a test made read-only must be writable again before they can be emptied.
        for (auto& entry : std::filesystem::recursive_directory_iterator(root, ignored)) {
            if (entry.is_directory(ignored)) {
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
            }
        }
        std::filesystem::remove_all(root, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return root; }

    // Files named relative to the folder ("Date/Words.txt"), written and read byte for byte.
    void write(const std::string& relative, const std::string& bytes) const {
        std::filesystem::create_directories((root / relative).parent_path());
        std::ofstream(root / relative, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(root / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& relative) const {
        return std::filesystem::exists(root / relative);
    }
    void remove(const std::string& relative) const {
        std::error_code ignored;
        std::filesystem::remove(root / relative, ignored);
    }

private:
    std::filesystem::path root;
    std::filesystem::path previous;
};
