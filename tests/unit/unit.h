// A small runner for the native unit tests: each test is a function, most
// walk a table of cases and check each row with CHECK_EQ, which names the
// row's input when it fails and goes on with the next.
#pragma once

#include <sstream>
#include <string>

namespace unit {

typedef void (*TestFunction)();

struct Register {
    Register(const char* name, TestFunction function);
};

void Fail(const char* file, int line, const std::string& text);
// Cases checked so far, for the runner's summary.
void Count();

template <typename T>
std::string Show(const T& value) {
    std::ostringstream out;
    out << value;
    return out.str();
}
inline std::string Show(const std::string& value) { return '"' + value + '"'; }
inline std::string Show(const char* value) { return value ? Show(std::string(value)) : "null"; }
inline std::string Show(bool value) { return value ? "true" : "false"; }

template <typename A, typename B>
void CheckEqual(const A& got, const B& want, const char* file, int line, const std::string& row) {
    Count();
    if (got == want) return;
    Fail(file, line, row + ": got " + Show(got) + ", want " + Show(want));
}

}  // namespace unit

#define UNIT_TEST(name)                                          \
    static void name();                                          \
    static const unit::Register name##Registered(#name, &name);  \
    static void name()

// `row` says which case it is, as text.
#define CHECK_EQ(got, want, row) unit::CheckEqual((got), (want), __FILE__, __LINE__, unit::Show(row))
