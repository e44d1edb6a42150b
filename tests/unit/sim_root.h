// A fresh simulated machine per test: a temporary root created from one of the
// scenario files, selected for every program through ZAN_ROOT.
#ifndef ZAN_TESTS_SIM_ROOT_H
#define ZAN_TESTS_SIM_ROOT_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/control.h"

namespace zan_test {

class sim_root {
public:
    sim_root()
    {
        char pattern[] = "/tmp/zan-test-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        path_ = made != nullptr ? made : "/tmp/zan-test-failed";
        ::setenv("ZAN_ROOT", path_.c_str(), 1);
    }
    ~sim_root()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    sim_root(const sim_root&) = delete;
    sim_root& operator=(const sim_root&) = delete;

    // Creates the machine from sim/scenarios/<name>.
    void create(const std::string& scenario)
    {
        std::ifstream in(std::string(ZAN_SOURCE_DIR) + "/sim/scenarios/" + scenario);
        ASSERT_TRUE(in) << "scenario " << scenario;
        std::stringstream text;
        text << in.rdbuf();
        const std::string error = sim::create_root(text.str());
        ASSERT_EQ(error, "");
    }

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace zan_test

#endif
