// zansim commands for what the monitoring service saves: stored dumps,
// firmware panics and the free space of the machine's volumes.
#include <cstdio>

#include "command_line.h"
#include "fields.h"
#include "sim/disk_space.h"
#include "sim/dumps.h"
#include "sim/root.h"

namespace {

int done(const std::string& error)
{
    return error.empty() ? 0 : fail(error);
}

} // namespace

// dump PORT SIZE [STATUS] | dump PORT none
int cmd_dump(const args& a)
{
    int port = 0;
    if (!read_port(a[0], port)) return misuse("the port is a number from 0 to 255");
    if (a[1] == "none" && a.size() == 2) return done(sim::set_stored_dump(port, 0, 0));
    std::uint64_t size = 0;
    std::uint64_t status = 1;
    if (!sim::parse_number(a[1], UINT32_MAX, size)) return misuse("the dump size is a number of bytes (32 bits)");
    if (a.size() == 3 && !sim::parse_number(a[2], 0xFF, status)) return misuse("the dump status is a number up to 0xFF");
    return done(sim::set_stored_dump(port, static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(status)));
}

// panic PORT CODE
int cmd_panic(const args& a)
{
    int port = 0;
    std::uint64_t code = 0;
    if (!read_port(a[0], port) || !sim::parse_number(a[1], UINT32_MAX, code)) {
        return misuse("panic needs a port number and an error code (32 bits, decimal or 0x hex)");
    }
    return done(sim::add_panic(port, static_cast<std::uint32_t>(code)));
}

// freespace [BYTES|host]
int cmd_freespace(const args& a)
{
    if (a.empty()) {
        const auto cap = sim::free_space_cap(sim::root_dir());
        if (cap) {
            std::printf("%llu\n", static_cast<unsigned long long>(*cap));
        } else {
            std::printf("host\n");
        }
        return 0;
    }
    if (a[0] == "host") return done(sim::set_free_space_cap(std::nullopt));
    std::uint64_t bytes = 0;
    if (!sim::parse_number(a[0], UINT64_MAX, bytes)) return misuse("freespace takes a number of bytes or host");
    return done(sim::set_free_space_cap(bytes));
}
