// zansim eventlog: the machine's Event Log as an administrator reads it, one
// line per record with the message text of its source's table.
#include <cstdio>
#include <cstring>

#include "command_line.h"
#include "event_store.h"
#include "message_table.h"
#include "sim/root.h"

namespace {

// The one event source whose message table the machine carries.
constexpr char SERVICE_SOURCE[] = "zanservice";

const char* type_word(std::uint16_t type)
{
    switch (type) {
    case 0x0001: return "Error";
    case 0x0002: return "Warning";
    default: return "Information";
    }
}

std::string message_text(const plat::hosted::event_record& r)
{
    const zan::message_text* m = r.source == SERVICE_SOURCE ? zan::find_message(r.id) : nullptr;
    if (m != nullptr) return zan::fill_inserts(m->english, r.strings);
    std::string text = "(no message text for this ID)";
    for (std::size_t i = 0; i < r.strings.size(); ++i) text += (i == 0 ? " strings: " : ", ") + r.strings[i];
    return text;
}

} // namespace

int cmd_eventlog(const args& a)
{
    const std::string root = sim::root_dir();
    if (a.size() == 1 && a[0] == "clear") {
        if (const int error = plat::hosted::clear_events(root); error != 0) {
            return fail("cannot clear " + plat::hosted::event_log_path(root) + ": " + std::strerror(error));
        }
        return 0;
    }
    if (!a.empty() && (a.size() != 1 || a[0] != "--data")) return misuse("eventlog [--data] | eventlog clear");
    const bool with_data = !a.empty();
    std::vector<plat::hosted::event_record> records;
    if (const int error = plat::hosted::read_events(root, records); error != 0) {
        return fail("cannot read " + plat::hosted::event_log_path(root) + ": " + std::strerror(error));
    }
    for (const plat::hosted::event_record& r : records) {
        std::printf("%u %s %s 0x%08X: %s\n", r.number, type_word(r.type), r.source.c_str(), r.id,
                    message_text(r).c_str());
        if (!with_data || r.data.empty()) continue;
        std::printf("  data:");
        for (const std::uint8_t byte : r.data) std::printf(" %02x", byte);
        std::printf("\n");
    }
    return 0;
}
