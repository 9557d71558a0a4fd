#pragma once
// The client reads and writes its files in the working folder: tests, fuzz
// runs and benchmarks work in a fresh folder of their own.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// While it lives, the working folder is a fresh empty one under /tmp, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        char pattern[] = "/tmp/ashen_XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        folder_ = pattern;
        std::filesystem::current_path(folder_);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    std::filesystem::path previous_ = std::filesystem::current_path();
    std::filesystem::path folder_;
};

inline void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(name, std::ios::binary) << content;
}

// A whole file's bytes; empty when it cannot be read.
inline std::string readFile(const std::string& name) {
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) return {}; // reading one would throw
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names of the working folder's files that start with `prefix`, sorted.
inline std::vector<std::string> filesStartingWith(const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
