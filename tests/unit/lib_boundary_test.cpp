// The library's boundary: the shared object exports exactly the functions its
// public header declares.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <string>

#include "zandllctl.h"

namespace {

// The export names declared in the public header.
std::set<std::string> declared_exports()
{
    std::ifstream header(std::string(ZAN_SOURCE_DIR) + "/lib/ctl/include/zandllctl.h");
    const std::regex declaration("^ZANEXPORT .* ZANAPI ([A-Za-z_]+)\\(.*");
    std::set<std::string> names;
    std::string line;
    std::smatch match;
    while (std::getline(header, line)) {
        if (std::regex_match(line, match, declaration)) names.insert(match[1]);
    }
    return names;
}

// The symbols a shared object defines in its dynamic symbol table.
std::set<std::string> defined_dynamic_symbols(const std::string& path)
{
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> nm(::popen(command.c_str(), "r"), ::pclose);
    if (!nm) return names;
    char line[512];
    while (std::fgets(line, sizeof line, nm.get()) != nullptr) {
        char type = 0;
        char name[256] = {};
        if (std::sscanf(line, "%*x %c %255s", &type, name) == 2) names.insert(name);
    }
    return names;
}

TEST(library_boundary, the_shared_object_exports_exactly_the_header_s_functions)
{
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&getContNum), &info), 0);
    const std::string library = info.dli_fname;
    ASSERT_NE(library.find("zandllctl"), std::string::npos) << library;

    const std::set<std::string> declared = declared_exports();
    EXPECT_EQ(declared.size(), 45u);
    EXPECT_EQ(defined_dynamic_symbols(library), declared);
}

} // namespace
