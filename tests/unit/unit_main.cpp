// Runs every registered test, or those whose name holds argv[1]; exits 1
// when any check failed.
#include "unit.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace unit {
namespace {

struct Test {
    const char* name;
    TestFunction function;
};

std::vector<Test>& Tests() {
    static std::vector<Test> tests;
    return tests;
}

int g_failures = 0;
long g_checks = 0;

}  // namespace

Register::Register(const char* name, TestFunction function) { Tests().push_back({name, function}); }

void Fail(const char* file, int line, const std::string& text) {
    ++g_failures;
    fprintf(stderr, "%s:%d: %s\n", file, line, text.c_str());
}

void Count() { ++g_checks; }

}  // namespace unit

int main(int argc, char** argv) {
    int ran = 0;
    for (const unit::Test& test : unit::Tests()) {
        if (argc > 1 && !strstr(test.name, argv[1])) continue;
        int before = unit::g_failures;
        test.function();
        ++ran;
        printf("%s %s\n", unit::g_failures == before ? "ok  " : "FAIL", test.name);
    }
    printf("%d tests, %ld checks, %d failed\n", ran, unit::g_checks, unit::g_failures);
    return unit::g_failures ? 1 : 0;
}
