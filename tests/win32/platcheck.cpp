// Exercises the Win32 platform layer against the real system calls: registry,
// named mutexes, exclusive append files, system messages, version resources
// and device opening. Prints one line per failed expectation and exits with
// the number of failures (0 when all hold).
#include <cstdio>
#include <cstring>
#include <string>

#include "plat/clock.h"
#include "plat/device.h"
#include "plat/error.h"
#include "plat/file.h"
#include "plat/module.h"
#include "plat/registry.h"
#include "plat/sync.h"

namespace {

int failures = 0;

void expect(bool condition, const char* what)
{
    if (!condition) {
        std::printf("platcheck: %s\n", what);
        ++failures;
    }
}

const std::string scratch = "SOFTWARE\\ZanPlatformCheck";

void check_registry()
{
    plat::reg_key root;
    expect(root.create(scratch + "\\Sub\\Deeper") == plat::ERR_SUCCESS, "create makes missing parents");
    expect(root.create(scratch) == plat::ERR_SUCCESS, "create opens an existing key");

    const std::uint32_t dword = 0x12345678;
    const char sz[] = "text";
    const unsigned char bytes[3] = {1, 0, 2};
    expect(root.set_value("D", plat::REG_TYPE_DWORD, &dword, sizeof dword) == plat::ERR_SUCCESS, "set REG_DWORD");
    expect(root.set_value("S", plat::REG_TYPE_SZ, sz, sizeof sz) == plat::ERR_SUCCESS, "set REG_SZ");
    expect(root.set_value("B", plat::REG_TYPE_BINARY, bytes, sizeof bytes) == plat::ERR_SUCCESS, "set REG_BINARY");

    plat::reg_key reader;
    expect(reader.open(scratch, plat::reg_access::read) == plat::ERR_SUCCESS, "open for reading");
    std::uint32_t type = 0;
    std::uint32_t value = 0;
    std::uint32_t size = sizeof value;
    expect(reader.query_value("D", type, &value, size) == plat::ERR_SUCCESS && type == plat::REG_TYPE_DWORD &&
               value == dword && size == 4,
           "query REG_DWORD");
    char text[8] = {};
    size = sizeof text;
    expect(reader.query_value("S", type, text, size) == plat::ERR_SUCCESS && type == plat::REG_TYPE_SZ &&
               size == sizeof sz && std::strcmp(text, sz) == 0,
           "query REG_SZ with its terminating zero");
    char small[2];
    size = sizeof small;
    expect(reader.query_value("S", type, small, size) == plat::ERR_MORE_DATA && size == sizeof sz,
           "query into a short buffer gives ERR_MORE_DATA and the size");
    size = sizeof value;
    expect(reader.query_value("Absent", type, &value, size) == plat::ERR_FILE_NOT_FOUND, "query an absent value");

    int names_seen = 0;
    std::string name;
    for (std::uint32_t i = 0; reader.enum_value(i, name) == plat::ERR_SUCCESS; ++i)
        names_seen += name == "D" || name == "S" || name == "B";
    expect(names_seen == 3, "enumerate values");

    char subkey[4];
    expect(reader.enum_subkey(0, subkey, sizeof subkey) == plat::ERR_SUCCESS && std::strcmp(subkey, "Sub") == 0,
           "enumerate subkeys");
    expect(reader.enum_subkey(0, subkey, 3) == plat::ERR_MORE_DATA, "subkey name longer than the buffer");
    expect(reader.enum_subkey(1, subkey, sizeof subkey) == plat::ERR_NO_MORE_ITEMS, "past the last subkey");

    plat::reg_key moved(std::move(reader));
    expect(moved.is_open() && !reader.is_open(), "a moved key keeps its handle");

    expect(root.delete_value("S") == plat::ERR_SUCCESS, "delete a value");
    size = sizeof text;
    expect(root.query_value("S", type, text, size) == plat::ERR_FILE_NOT_FOUND, "a deleted value is gone");

    expect(root.delete_tree("Sub") == plat::ERR_SUCCESS, "delete a subtree with children");
    plat::reg_key gone;
    expect(gone.open(scratch + "\\Sub", plat::reg_access::read) == plat::ERR_FILE_NOT_FOUND,
           "a deleted subtree is gone");
    root.close();

    plat::reg_key software;
    expect(software.open("SOFTWARE", plat::reg_access::all) == plat::ERR_SUCCESS &&
               software.delete_tree("ZanPlatformCheck") == plat::ERR_SUCCESS,
           "remove the scratch key");
}

void check_mutex()
{
    bool existed = true;
    plat::named_mutex first;
    expect(first.create("ZanPlatformCheckMutex", true, existed) && !existed, "create a new owned mutex");
    plat::named_mutex second;
    expect(second.create("ZanPlatformCheckMutex", true, existed) && existed &&
               plat::last_error() == plat::ERR_ALREADY_EXISTS,
           "a second create reports the existing mutex");
    expect(first.release(), "release an owned mutex");
    expect(!first.release(), "releasing again fails");
    expect(first.close() && !first.is_open(), "close a mutex");
}

void check_file()
{
    const char* path = "platcheck.log";
    {
        plat::file log;
        expect(log.open_append_exclusive(path) && log.write("ab", 2), "create and append");
        plat::file other;
        expect(!other.open_append_exclusive(path) && plat::last_error() == plat::ERR_SHARING_VIOLATION,
               "a second opener is refused while the file is open");
    }
    {
        plat::file log;
        expect(log.open_append_exclusive(path) && log.write("cd", 2), "reopen and append");
    }
    char content[8] = {};
    if (std::FILE* f = std::fopen(path, "rb")) {
        expect(std::fread(content, 1, sizeof content, f) == 4 && std::memcmp(content, "abcd", 4) == 0,
               "appends keep the earlier content");
        std::fclose(f);
    } else {
        expect(false, "read the log back");
    }
    std::remove(path);
}

void check_errors_and_facts()
{
    plat::set_last_error(plat::ERR_ACCESS_DENIED);
    const std::string known = plat::system_message(plat::ERR_FILE_NOT_FOUND);
    expect(known.size() > 2 && known.compare(known.size() - 2, 2, "\r\n") == 0, "system message ends in CR LF");
    expect(plat::last_error() == plat::ERR_ACCESS_DENIED, "asking for a message keeps the last error");
    const std::string unknown = plat::system_message(0x2FFFFFFF);
    expect(unknown.find("0x2fffffff") != std::string::npos, "a code without a message gets the generic text");

    std::string version;
    expect(plat::module_file_version("zandllctl.dll", version) && version == "2.1",
           "FileVersion of zandllctl.dll is 2.1");
    expect(!plat::module_file_version("no-such-module.dll", version), "no version for a missing module");

    plat::device port;
    expect(!port.open("\\\\.\\Scsi0:") && plat::last_error() == plat::ERR_FILE_NOT_FOUND && !port.is_open(),
           "an absent SCSI port is not found");

    const plat::local_time t = plat::now_local();
    expect(t.year >= 2000 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31, "local time is sane");
    expect(plat::current_process_id() != 0 && plat::current_thread_id() != 0, "process and thread ids");
}

} // namespace

int main()
{
    check_registry();
    check_mutex();
    check_file();
    check_errors_and_facts();
    return failures;
}
