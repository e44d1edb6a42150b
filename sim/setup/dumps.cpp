// Stored dumps and firmware panics of the adapters of the root sim::root_dir().
#include "sim/dumps.h"

#include "change.h"
#include "event_log.h"
#include "zanbytes.h"

namespace sim {

namespace {

constexpr std::uint16_t EVENT_CLASS_FIRMWARE = 32;
constexpr std::uint16_t EVENT_CODE_FIRMWARE = 3;
constexpr std::size_t EVENT_ERROR_CODE = 0x50; // u32
constexpr std::size_t EVENT_FIRMWARE_KIND = 0x5C;
constexpr std::uint8_t KIND_PANIC = 0x20;

} // namespace

std::string set_stored_dump(int port, std::uint32_t size, std::uint32_t status)
{
    if (status > 0xFF) return "a dump status is one byte";
    return change_adapter(port, [size, status](adapter& a) {
        a.dump_size = size;
        a.dump_status = status;
        return std::string();
    });
}

std::string add_panic(int port, std::uint32_t error_code)
{
    return change_adapter(port, [error_code](adapter& a) {
        event_entry e = make_event(EVENT_CLASS_FIRMWARE, EVENT_CODE_FIRMWARE);
        zan::store_le32(e.data() + EVENT_ERROR_CODE, error_code);
        e[EVENT_FIRMWARE_KIND] = KIND_PANIC;
        append_event(a, e);
        return std::string();
    });
}

} // namespace sim
