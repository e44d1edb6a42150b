// The hosted registry: Windows semantics of the key calls, the .reg file it
// keeps under the root, and its safety under concurrent processes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "plat/error.h"
#include "plat/registry.h"
#include "sim_root.h"

namespace {

constexpr std::uint32_t key_deleted = 1018;
constexpr std::uint32_t bad_pathname = 161;

std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_text(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string query_string(const plat::reg_key& key, const std::string& name)
{
    char data[256] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof data;
    EXPECT_EQ(key.query_value(name, type, data, size), plat::ERR_SUCCESS) << name;
    EXPECT_EQ(type, plat::REG_TYPE_SZ) << name;
    return std::string(data, size > 0 ? size - 1 : 0);
}

std::vector<std::string> subkeys(const plat::reg_key& key)
{
    std::vector<std::string> names;
    char name[64];
    std::uint32_t code = plat::ERR_SUCCESS;
    for (std::uint32_t i = 0; (code = key.enum_subkey(i, name, sizeof name)) == plat::ERR_SUCCESS; ++i) {
        names.push_back(name);
    }
    EXPECT_EQ(code, plat::ERR_NO_MORE_ITEMS);
    return names;
}

class PlatformRegistry : public ::testing::Test {
protected:
    zan_test::sim_root root;
    std::string file() const { return root.path() + "/registry.reg"; }
};

TEST_F(PlatformRegistry, MachineWithoutRegistryFileHasOnlyTheBaseKeys)
{
    const std::string absent = root.path() + "/not-yet";
    ::setenv("ZAN_ROOT", absent.c_str(), 1);
    plat::reg_key scsi;
    ASSERT_EQ(scsi.open("HARDWARE\\DEVICEMAP\\Scsi", plat::reg_access::read), plat::ERR_SUCCESS);
    EXPECT_EQ(subkeys(scsi), std::vector<std::string>{"Scsi Port 0"});
    plat::reg_key port;
    ASSERT_EQ(port.open("HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0", plat::reg_access::read), plat::ERR_SUCCESS);
    EXPECT_EQ(query_string(port, "Driver"), "atapi");
    EXPECT_EQ(subkeys(port), std::vector<std::string>{"Scsi Bus 0"});
    for (const char* path : {"HARDWARE", "SOFTWARE", "SYSTEM\\CurrentControlSet\\Services"}) {
        plat::reg_key key;
        EXPECT_EQ(key.open(path, plat::reg_access::read), plat::ERR_SUCCESS) << path;
    }
    plat::reg_key missing;
    EXPECT_EQ(missing.open("SOFTWARE\\Meridan", plat::reg_access::read), plat::ERR_FILE_NOT_FOUND);
    EXPECT_FALSE(missing.is_open());
    EXPECT_FALSE(std::filesystem::exists(absent)) << "reading must not create the root";
}

TEST_F(PlatformRegistry, CreateMakesRootParentsAndWritesBaseKeys)
{
    const std::string fresh = root.path() + "/deeper/root";
    ::setenv("ZAN_ROOT", fresh.c_str(), 1);
    plat::reg_key key;
    ASSERT_EQ(key.create("SOFTWARE\\Meridan\\zanutility"), plat::ERR_SUCCESS);
    EXPECT_TRUE(key.is_open());
    const std::string text = read_text(fresh + "/registry.reg");
    EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\HARDWARE]\n"));
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0]\n\"Driver\"=\"atapi\"\n"),
              std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Meridan]\n"), std::string::npos);
    plat::reg_key parent;
    EXPECT_EQ(parent.open("SOFTWARE\\Meridan", plat::reg_access::read), plat::ERR_SUCCESS);
    EXPECT_EQ(subkeys(parent), std::vector<std::string>{"zanutility"});
}

TEST_F(PlatformRegistry, ValuesSurviveTheFileInEveryType)
{
    plat::reg_key key;
    ASSERT_EQ(key.create("SYSTEM\\CurrentControlSet\\Services\\zanservice"), plat::ERR_SUCCESS);
    const char dump_dir[] = "C:\\Program Files\\Zan \"RAID\"\\Dump";
    const char multi_line[] = "line one\r\nline two";
    const std::uint32_t ptime = 12;
    std::vector<std::uint8_t> blob(100);
    for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * 7);
    const std::uint8_t no_zero[] = {'a', 'b'};
    ASSERT_EQ(key.set_value("DumpDir", plat::REG_TYPE_SZ, dump_dir, sizeof dump_dir), plat::ERR_SUCCESS);
    ASSERT_EQ(key.set_value("Note", plat::REG_TYPE_SZ, multi_line, sizeof multi_line), plat::ERR_SUCCESS);
    ASSERT_EQ(key.set_value("PTime", plat::REG_TYPE_DWORD, &ptime, 4), plat::ERR_SUCCESS);
    ASSERT_EQ(key.set_value("Blob", plat::REG_TYPE_BINARY, blob.data(), 100), plat::ERR_SUCCESS);
    ASSERT_EQ(key.set_value("Raw", plat::REG_TYPE_SZ, no_zero, 2), plat::ERR_SUCCESS);
    ASSERT_EQ(key.set_value("Multi", 7, "a\0b\0", 5), plat::ERR_SUCCESS);

    const std::string text = read_text(file());
    EXPECT_NE(text.find("\"DumpDir\"=\"C:\\\\Program Files\\\\Zan \\\"RAID\\\"\\\\Dump\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"PTime\"=dword:0000000c\n"), std::string::npos);
    EXPECT_NE(text.find("\"Raw\"=hex(1):61,62\n"), std::string::npos);
    EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,62,00,00\n"), std::string::npos);
    EXPECT_NE(text.find(",\\\n  "), std::string::npos) << "long hex data is wrapped";

    plat::reg_key again;
    ASSERT_EQ(again.open("system\\currentcontrolset\\services\\ZANSERVICE", plat::reg_access::read), plat::ERR_SUCCESS);
    struct expected {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    const expected values[] = {
        {"DumpDir", plat::REG_TYPE_SZ, {dump_dir, dump_dir + sizeof dump_dir}},
        {"Note", plat::REG_TYPE_SZ, {multi_line, multi_line + sizeof multi_line}},
        {"ptime", plat::REG_TYPE_DWORD, {12, 0, 0, 0}},
        {"Blob", plat::REG_TYPE_BINARY, blob},
        {"Raw", plat::REG_TYPE_SZ, {'a', 'b'}},
        {"Multi", 7, {'a', 0, 'b', 0, 0}},
    };
    for (const expected& value : values) {
        std::uint8_t data[128] = {};
        std::uint32_t type = 0;
        std::uint32_t size = sizeof data;
        ASSERT_EQ(again.query_value(value.name, type, data, size), plat::ERR_SUCCESS) << value.name;
        EXPECT_EQ(type, value.type) << value.name;
        EXPECT_EQ(std::vector<std::uint8_t>(data, data + size), value.data) << value.name;
    }
}

TEST_F(PlatformRegistry, QueryReportsSizesLikeWindows)
{
    plat::reg_key key;
    ASSERT_EQ(key.create("SOFTWARE\\Meridan\\zanutility"), plat::ERR_SUCCESS);
    ASSERT_EQ(key.set_value("Locale", plat::REG_TYPE_SZ, "ENG", 4), plat::ERR_SUCCESS);

    char data[8] = {};
    std::uint32_t type = 0;
    std::uint32_t size = 3;
    EXPECT_EQ(key.query_value("Locale", type, data, size), plat::ERR_MORE_DATA);
    EXPECT_EQ(size, 4u) << "the size counts the terminating zero";
    EXPECT_EQ(type, plat::REG_TYPE_SZ);
    size = 0;
    EXPECT_EQ(key.query_value("Locale", type, nullptr, size), plat::ERR_SUCCESS);
    EXPECT_EQ(size, 4u);
    size = 4;
    EXPECT_EQ(key.query_value("LOCALE", type, data, size), plat::ERR_SUCCESS);
    EXPECT_STREQ(data, "ENG");
    size = sizeof data;
    EXPECT_EQ(key.query_value("DBGmode", type, data, size), plat::ERR_FILE_NOT_FOUND);
}

TEST_F(PlatformRegistry, EnumerationOrderAndNameCapacity)
{
    plat::reg_key parent;
    ASSERT_EQ(parent.create("SOFTWARE\\Order"), plat::ERR_SUCCESS);
    for (const char* name : {"b", "_x", "C", "a1", "A"}) {
        plat::reg_key child;
        ASSERT_EQ(child.create(std::string("SOFTWARE\\Order\\") + name), plat::ERR_SUCCESS);
    }
    plat::reg_key same_name_other_case;
    ASSERT_EQ(same_name_other_case.create("software\\order\\c"), plat::ERR_SUCCESS);
    // Upper-case order puts '_' after the letters.
    EXPECT_EQ(subkeys(parent), (std::vector<std::string>{"A", "a1", "b", "C", "_x"}));

    char name[3];
    EXPECT_EQ(parent.enum_subkey(1, name, 2), plat::ERR_MORE_DATA);
    EXPECT_EQ(parent.enum_subkey(1, name, 3), plat::ERR_SUCCESS);
    EXPECT_STREQ(name, "a1");

    const std::uint32_t one = 1;
    for (const char* value : {"zeta", "Alpha", "mid", "ZETA"}) {
        ASSERT_EQ(parent.set_value(value, plat::REG_TYPE_DWORD, &one, 4), plat::ERR_SUCCESS);
    }
    std::vector<std::string> values;
    std::string value;
    std::uint32_t code = plat::ERR_SUCCESS;
    for (std::uint32_t i = 0; (code = parent.enum_value(i, value)) == plat::ERR_SUCCESS; ++i) values.push_back(value);
    EXPECT_EQ(code, plat::ERR_NO_MORE_ITEMS);
    EXPECT_EQ(values, (std::vector<std::string>{"zeta", "Alpha", "mid"})) << "values keep the order they were set";
}

TEST_F(PlatformRegistry, AccessDeletionAndHandles)
{
    plat::reg_key writer;
    ASSERT_EQ(writer.create("SOFTWARE\\Gone\\Child\\Grandchild"), plat::ERR_SUCCESS);
    plat::reg_key reader;
    ASSERT_EQ(reader.open("SOFTWARE\\Gone\\Child", plat::reg_access::read), plat::ERR_SUCCESS);
    const std::uint32_t one = 1;
    EXPECT_EQ(reader.set_value("v", plat::REG_TYPE_DWORD, &one, 4), plat::ERR_ACCESS_DENIED);
    EXPECT_EQ(reader.delete_tree("Grandchild"), plat::ERR_ACCESS_DENIED);

    plat::reg_key software;
    ASSERT_EQ(software.open("SOFTWARE", plat::reg_access::all), plat::ERR_SUCCESS);
    EXPECT_EQ(software.delete_value("absent"), plat::ERR_FILE_NOT_FOUND);
    EXPECT_EQ(software.delete_tree("Absent"), plat::ERR_FILE_NOT_FOUND);
    EXPECT_EQ(software.delete_tree("GONE"), plat::ERR_SUCCESS);
    std::string name;
    EXPECT_EQ(reader.enum_value(0, name), key_deleted);
    plat::reg_key probe;
    EXPECT_EQ(probe.open("SOFTWARE\\Gone\\Child\\Grandchild", plat::reg_access::read), plat::ERR_FILE_NOT_FOUND);

    plat::reg_key moved(std::move(software));
    EXPECT_FALSE(software.is_open());
    EXPECT_EQ(moved.set_value("v", plat::REG_TYPE_DWORD, &one, 4), plat::ERR_SUCCESS);
    EXPECT_EQ(moved.delete_value("V"), plat::ERR_SUCCESS);
    moved.close();
    EXPECT_EQ(moved.enum_value(0, name), plat::ERR_INVALID_HANDLE);

    EXPECT_EQ(probe.open("\\SOFTWARE", plat::reg_access::read), bad_pathname);
    EXPECT_EQ(probe.create("SOFTWARE\\\\x"), bad_pathname);
    EXPECT_EQ(probe.open("SOFTWARE\\", plat::reg_access::read), plat::ERR_SUCCESS);
}

TEST_F(PlatformRegistry, ReadsHandEditedFiles)
{
    write_text(file(),
               "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
               "\r\n"
               "; written by hand\r\n"
               "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 2]\r\n"
               "\"Driver\"=\"zandrv\"\r\n"
               "\"Bytes\"=hex:01,02,\\\r\n"
               "    03\r\n"
               "\"Small\"=dword:7\r\n"
               "[hkey_local_machine\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 2]\r\n"
               "\"Driver\"=\"zandrv2\"\r\n");
    plat::reg_key scsi;
    ASSERT_EQ(scsi.open("HARDWARE\\DEVICEMAP\\Scsi", plat::reg_access::read), plat::ERR_SUCCESS);
    EXPECT_EQ(subkeys(scsi), std::vector<std::string>{"Scsi Port 2"}) << "the file is the whole registry";
    plat::reg_key port;
    ASSERT_EQ(port.open("HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 2", plat::reg_access::read), plat::ERR_SUCCESS);
    EXPECT_EQ(query_string(port, "Driver"), "zandrv2");
    std::uint8_t data[8] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof data;
    ASSERT_EQ(port.query_value("Bytes", type, data, size), plat::ERR_SUCCESS);
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + size), (std::vector<std::uint8_t>{1, 2, 3}));
    size = sizeof data;
    ASSERT_EQ(port.query_value("Small", type, data, size), plat::ERR_SUCCESS);
    EXPECT_EQ(type, plat::REG_TYPE_DWORD);
    EXPECT_EQ(std::vector<std::uint8_t>(data, data + size), (std::vector<std::uint8_t>{7, 0, 0, 0}));
}

TEST_F(PlatformRegistry, CorruptFileIsReportedAndLeftAlone)
{
    const char* corrupt[] = {
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n",
        "Windows Registry Editor Version 5.00\n\n\"orphan\"=\"value\"\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n",
        "Windows Registry Editor Version 5.00\n\n[-HKEY_LOCAL_MACHINE\\SOFTWARE]\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"a\"=\"unterminated\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"a\"=dword:123456789\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"a\"=hex:01,zz\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"a\"=hex:01,\\\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\ngarbage\n",
    };
    for (const char* text : corrupt) {
        write_text(file(), text);
        plat::reg_key key;
        EXPECT_EQ(key.open("SOFTWARE", plat::reg_access::read), plat::ERR_BADDB) << text;
        EXPECT_EQ(key.create("SOFTWARE\\New"), plat::ERR_BADDB) << text;
        EXPECT_EQ(read_text(file()), text) << "a writer must not replace a file it cannot read";
    }
}

// Children that each add their own values: a lost update or a torn file
// shows as a missing value or a failing reader.
TEST_F(PlatformRegistry, ConcurrentProcessesLoseNoUpdate)
{
    constexpr int writers = 4;
    constexpr int values_each = 15;
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            for (int v = 0; v < values_each; ++v) {
                plat::reg_key key;
                const std::uint32_t number = static_cast<std::uint32_t>(w * 100 + v);
                failures += key.create("SOFTWARE\\Race") != plat::ERR_SUCCESS;
                failures += key.set_value("v" + std::to_string(number), plat::REG_TYPE_DWORD, &number, 4) !=
                            plat::ERR_SUCCESS;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    const pid_t reader = ::fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        int failures = 0;
        for (int i = 0; i < 60; ++i) {
            plat::reg_key key;
            failures += key.open("HARDWARE\\DEVICEMAP\\Scsi", plat::reg_access::read) != plat::ERR_SUCCESS;
        }
        ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(reader);
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    plat::reg_key key;
    ASSERT_EQ(key.open("SOFTWARE\\Race", plat::reg_access::read), plat::ERR_SUCCESS);
    for (int w = 0; w < writers; ++w) {
        for (int v = 0; v < values_each; ++v) {
            std::uint32_t number = 0;
            std::uint32_t type = 0;
            std::uint32_t size = 4;
            const std::string name = "v" + std::to_string(w * 100 + v);
            ASSERT_EQ(key.query_value(name, type, &number, size), plat::ERR_SUCCESS) << name;
            EXPECT_EQ(number, static_cast<std::uint32_t>(w * 100 + v));
        }
    }
}

} // namespace
