// The library on a simulated machine with its debug log at level 4, so that a
// test can read back every work record the library exchanged: the level-4
// dump shows each record after its exchange, which for the codes that copy
// nothing (or only the answer's data) back is what was sent.
#ifndef ZAN_TESTS_LIB_REQUEST_LOG_H
#define ZAN_TESTS_LIB_REQUEST_LOG_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/control.h"
#include "sim_root.h"
#include "zandllctl.h"

namespace zan_test {

using bytes = std::vector<std::uint8_t>;

// The work records of one control code in the log at `path`, in order.
inline std::vector<bytes> logged_records(const std::string& path, std::uint32_t code)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<bytes> records;
    bool wanted = false;
    std::string line;
    while (std::getline(in, line)) {
        // Some trace lines end without a line break; the dump header may follow on the same line.
        const std::size_t header = line.find("ControlCode=");
        unsigned int logged_code = 0;
        if (header != std::string::npos && std::sscanf(line.c_str() + header, "ControlCode=%x:", &logged_code) == 1) {
            wanted = logged_code == code;
            if (wanted) records.emplace_back();
            continue;
        }
        unsigned int offset = 0;
        unsigned int b[8];
        if (wanted && std::sscanf(line.c_str(), "%8x : %2x %2x %2x %2x %2x %2x %2x %2x", &offset, &b[0], &b[1], &b[2],
                                  &b[3], &b[4], &b[5], &b[6], &b[7]) == 9) {
            for (unsigned int v : b) records.back().push_back(static_cast<std::uint8_t>(v));
        }
    }
    return records;
}

// One adapter (port 2, controller id 1) with its drives and logical drives
// as the scenario text says; the library initialised with the log on.
class library_on_sim : public ::testing::Test {
protected:
    void start(const std::string& scenario_text)
    {
        ASSERT_EQ(sim::create_root(scenario_text), "");
        log_ = root_.path() + "/debug.log";
        ASSERT_EQ(DebugOn(log_.c_str()), 1);
        ASSERT_EQ(DLLSetDebugLevel(4), 1);
        ASSERT_EQ(initContData(0), 1);
    }
    void TearDown() override
    {
        EXPECT_EQ(DLLSetDebugLevel(1), 1);
        EXPECT_EQ(finContData(), 1);
    }

    std::uint64_t requests() const
    {
        std::uint64_t count = 0;
        EXPECT_EQ(sim::request_count(PORT, count), "");
        return count;
    }

    std::vector<bytes> sent(std::uint32_t code) const { return logged_records(log_, code); }

    std::string log_text() const
    {
        std::ifstream in(log_, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static constexpr int PORT = 2;
    static constexpr std::uint8_t CONTROLLER_ID = 1;
    sim_root root_;
    std::string log_;
};

} // namespace zan_test

#endif
