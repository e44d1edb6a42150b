// The library's boundary: the shared object exports exactly the functions its
// public header declares, and no exception leaves an export.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "plat/error.h"
#include "sim_root.h"
#include "zandllctl.h"

// The program's allocator, with a switch that makes the calling thread's next
// allocation fail as an exhausted heap would. The libraries of the process
// allocate through it too.
namespace {
thread_local bool fail_next_allocation = false;
}

void* operator new(std::size_t size)
{
    if (fail_next_allocation) {
        fail_next_allocation = false;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}

// The compiler cannot tell that these pair with the malloc of operator new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
#pragma GCC diagnostic pop

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

namespace {

TEST(library_boundary, an_exception_inside_an_export_becomes_a_system_error)
{
    zan_test::sim_root root;
    root.create("one");
    const std::string log = root.path() + "/debug.log";
    ASSERT_EQ(DebugOn(log.c_str()), 1);

    // The scan allocates before it reaches the registry: that allocation fails.
    plat::set_last_error(0);
    fail_next_allocation = true;
    const zan::BOOL32 result = initContData(0);
    fail_next_allocation = false;
    EXPECT_EQ(result, 0);
    EXPECT_EQ(DLLGetLastError(), zan::DLL_ERROR_SYSTEM);
    EXPECT_EQ(plat::last_error(), plat::ERR_NOT_ENOUGH_MEMORY);

    std::ifstream in(log, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\tfuncname = initContData, srcfilename = raidctl\n \tline = "), std::string::npos)
        << text.str();
    EXPECT_NE(text.str().find("\tDLLerrcode = 0x00000200\n"
                              "\terrmsg= Not enough memory resources are available to process this command.\r\n"),
              std::string::npos)
        << text.str();

    // The library is whole afterwards: a new scan finds the adapter.
    ASSERT_EQ(initContData(0), 1);
    std::uint8_t count = 0;
    ASSERT_EQ(getContNum(&count), 1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(finContData(), 1);
}

} // namespace
