#pragma once
#include <cstdio>
#include <cstdlib>

// A property that must hold for every input: a failure aborts, which both libFuzzer and the
// replay driver report with the input that caused it.
#define FUZZ_REQUIRE(condition)                                                                   \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
