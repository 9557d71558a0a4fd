#pragma once
// Shared by the fuzz targets, which all run in a scratch folder of their own
// (LLVMFuzzerInitialize is here).
#include "scratch.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
