// Test helper: a fresh folder under the system's temporary folder, removed with
// everything in it when the object goes away, plus whole-file read/write helpers.
#pragma once

#include "platform/PathUtils.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace sj::test {

class TTempDir {
public:
    TTempDir() {
        static std::atomic<int> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("sjtest-" + std::to_string(stamp) + "-" + std::to_string(counter++));
            if (std::filesystem::create_directory(path_)) {
                break;
            }
        }
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    ~TTempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }

    // The folder with a trailing delimiter, ready to have a name appended.
    std::string Folder() const { return IncludeTrailingPathDelimiter(path_.string()); }
    std::string operator/(const std::string& name) const { return Folder() + name; }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return {};
    }
    std::string content(static_cast<size_t>(file.tellg()), '\0');
    file.seekg(0);
    file.read(content.data(), static_cast<std::streamsize>(content.size()));
    return content;
}

// Deterministic pseudo-random content, so a misplaced byte cannot go unnoticed.
inline std::string RandomBytes(size_t size, unsigned seed = 1) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

} // namespace sj::test
