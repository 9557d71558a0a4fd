#pragma once
// Shared by the fuzz targets.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The client reads and writes its files in the working folder: the whole run
// happens in a fresh folder of its own.
void enterScratchFolder();

// Files of the working folder whose names start with `prefix`, sorted.
std::vector<std::string> filesStartingWith(const std::string& prefix);

// A whole file's bytes; empty when it cannot be read.
std::string readFile(const std::string& name);

inline std::string asText(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// A broken property is reported like a crash, with the input kept.
#define FUZZ_CHECK(condition)                                                                                        \
    do {                                                                                                             \
        if (!(condition)) {                                                                                          \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition);                                    \
            std::abort();                                                                                            \
        }                                                                                                            \
    } while (false)
