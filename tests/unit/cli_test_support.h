// Helpers for the zancli unit tests: capturing what the tool prints.
#ifndef ZAN_TESTS_CLI_TEST_SUPPORT_H
#define ZAN_TESTS_CLI_TEST_SUPPORT_H

#include <string>
#include <string_view>

#include "output.h"

namespace zan_test {

inline std::string& captured_output()
{
    static std::string text;
    return text;
}

// Collects everything the tool prints while it exists.
class output_capture {
public:
    output_capture() : previous_(cli::set_output_sink(append)) { captured_output().clear(); }
    ~output_capture() { cli::set_output_sink(previous_); }
    output_capture(const output_capture&) = delete;
    output_capture& operator=(const output_capture&) = delete;

    const std::string& text() const { return captured_output(); }
    void clear() { captured_output().clear(); }

private:
    static void append(std::string_view text) { captured_output().append(text); }
    cli::output_sink previous_;
};

} // namespace zan_test

#endif
