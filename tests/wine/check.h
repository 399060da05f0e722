#pragma once

// A tiny assertion helper for the test programs that run under Wine, where
// QtTest is not at hand: each row runs on, its failed checks are printed, and
// the program ends with one "N passed, N failed" line and a matching exit code.

#include <cstdio>
#include <sstream>
#include <string>

namespace check {

struct Tally {
    int passed = 0;
    int failed = 0;
    bool rowFailed = false;
    std::string row;
};

inline Tally &tally()
{
    static Tally instance;
    return instance;
}

inline void fail(const char *file, int line, const std::string &what)
{
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
    tally().rowFailed = true;
}

template <typename Actual, typename Expected>
void equal(const Actual &actual, const Expected &expected, const char *actualText,
           const char *expectedText, const char *file, int line)
{
    if (actual == expected)
        return;
    std::ostringstream what;
    what << actualText << " is " << actual << ", expected " << expectedText << " = " << expected;
    fail(file, line, what.str());
}

// Runs one named row; body is any callable holding CHECK/CHECK_EQ.
template <typename Body> void row(const std::string &name, Body body)
{
    tally().row = name;
    tally().rowFailed = false;
    std::printf("%s\n", name.c_str());
    body();
    ++(tally().rowFailed ? tally().failed : tally().passed);
    std::printf("%s %s\n", tally().rowFailed ? "FAIL" : "PASS", name.c_str());
    std::fflush(stdout);
}

inline int finish()
{
    std::printf("%d passed, %d failed\n", tally().passed, tally().failed);
    return tally().failed == 0 && tally().passed > 0 ? 0 : 1;
}

} // namespace check

#define CHECK(condition)                                                                           \
    ((condition) ? void() : check::fail(__FILE__, __LINE__, "failed: " #condition))
#define CHECK_EQ(actual, expected)                                                                 \
    check::equal((actual), (expected), #actual, #expected, __FILE__, __LINE__)
