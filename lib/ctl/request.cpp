#include "request.h"

#include <cstring>
#include <memory>
#include <new>

#include "controller_table.h"
#include "debug_log.h"
#include "exchange.h"
#include "plat/device.h"
#include "plat/error.h"
#include "thread_errors.h"
#include "zandllctl.h"

namespace zan {
namespace {

constexpr const char* FUNCNAME = "execIoctl";

struct byte_range {
    std::uint16_t begin;
    std::uint16_t end; // exclusive; begin == end is empty
};

constexpr byte_range NOTHING = {0, 0};

// What the library copies from the work record into the envelope, and back.
struct library_code {
    std::uint32_t code;
    std::uint32_t size;
    std::uint32_t status_offset;
    byte_range copy_in;
    byte_range copy_back[2];
};

constexpr byte_range all(std::uint16_t size) { return {0, size}; }

constexpr library_code LIBRARY_CODES[] = {
    {IOCTL_KRAID_GET_RAID_STATUS, 100, 10, NOTHING, {all(100), NOTHING}},
    {IOCTL_KRAID_GET_LOGICAL_DISK_INFO, 232, 10, all(232), {all(232), NOTHING}},
    {IOCTL_KRAID_GET_HDD_INFO, 124, 10, all(124), {all(124), NOTHING}},
    {IOCTL_KRAID_GET_CONTROLLER_INFO, 84, 10, all(84), {all(84), NOTHING}},
    {IOCTL_KRAID_CREATE_LOGICAL_DISK, 108, 94, all(108), {all(108), NOTHING}},
    {IOCTL_KRAID_CONFIG_LOGICAL_DISK, 26, 14, all(26), {NOTHING, NOTHING}},
    {IOCTL_KRAID_CONFIG_CONTROLLER, 38, 18, all(38), {NOTHING, NOTHING}},
    {IOCTL_KRAID_CONFIG_HOT_SPARE, 24, 12, all(24), {all(24), NOTHING}},
    {IOCTL_KRAID_GET_RESTORE_STATUS, 36, 10, all(36), {all(36), NOTHING}},
    {IOCTL_KRAID_GET_RESTORE_LOGICAL_DISK_INFO, 232, 10, all(232), {all(232), NOTHING}},
    {IOCTL_KRAID_CONFIG_RESTORE, 40, 28, all(40), {all(40), NOTHING}},
    {IOCTL_KRAID_CONFIG_HDD_STATUS, 24, 12, all(24), {all(24), NOTHING}},
    {IOCTL_KRAID_CONFIG_FAULT_RECOVERY, 24, 12, all(24), {NOTHING, NOTHING}},
    {IOCTL_KRAID_GET_GLIST_INFO, 18, 8, all(18), {all(18), NOTHING}},
    {IOCTL_KRAID_SET_GLIST_INFO, 18, 16, all(18), {all(18), NOTHING}},
    {IOCTL_KRAID_SCSI_MODE_SELECT, 278, 0, {6, 278}, {{3, 6}, NOTHING}},
    {IOCTL_KRAID_SCSI_MODE_SENSE, 278, 0, {6, 22}, {{22, 278}, {3, 6}}},
    {IOCTL_KRAID_SCSI_READ_BUFFER, 534, 0, {6, 22}, {{22, 534}, {3, 6}}},
};

// The library's record sizes and status positions are the driver's.
constexpr bool matches_driver_layouts()
{
    for (const auto& entry : LIBRARY_CODES) {
        bool matched = false;
        for (const auto& layout : CONTROL_CODE_LAYOUTS) {
            if (layout.code == entry.code) {
                matched = layout.record_size == entry.size && layout.status_offset == entry.status_offset;
            }
        }
        if (!matched) return false;
    }
    return true;
}
static_assert(matches_driver_layouts());

const library_code* find_library_code(std::uint32_t code)
{
    for (const auto& entry : LIBRARY_CODES) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

void copy_range(std::uint8_t* to, const std::uint8_t* from, byte_range range)
{
    std::memcpy(to + range.begin, from + range.begin, range.end - range.begin);
}

void fail(std::uint32_t code, int place)
{
    thread_errors::set(code);
    debug_log::error_entry(FUNCNAME, debug_log::MODULE_TRANSPORT, place, code);
}

// Records the outcome of an exchange that did not end with status 0.
void record_exchange_failure(const exchange_result& result, std::uint32_t control_code)
{
    switch (result.end) {
    case exchange_end::good:
        return;
    case exchange_end::short_buffer: // the code table sizes every buffer
        fail(DLL_ERROR_INTERNAL, __LINE__);
        return;
    case exchange_end::send_failed:
        fail(DLL_ERROR_SYSTEM, __LINE__);
        debug_log::errmsg_system(result.os_error);
        plat::set_last_error(result.os_error);
        return;
    case exchange_end::failure_status:
        fail(DLL_ERROR_DRIVER_REFUSED, __LINE__);
        break;
    case exchange_end::attempts_exhausted:
        fail(DLL_ERROR_DRIVER_FAILURE, __LINE__);
        break;
    case exchange_end::busy_limit:
        fail(DLL_ERROR_IOCTL_BUSY, __LINE__);
        break;
    }
    debug_log::errmsg_driver(control_code, result.status);
}

} // namespace

std::uint32_t library_record_size(std::uint32_t control_code)
{
    const library_code* entry = find_library_code(control_code);
    return entry != nullptr ? entry->size : 0;
}

std::uint16_t record_status(const std::uint8_t* record, std::uint32_t control_code)
{
    const library_code* entry = find_library_code(control_code);
    return entry != nullptr ? load_le16(record + entry->status_offset) : IOC_STATUS_FAILURE;
}

bool execute_request(std::uint8_t controller, std::uint32_t control_code, work_record& record)
{
    const library_code* entry = find_library_code(control_code);
    if (entry == nullptr) {
        fail(DLL_ERROR_INTERNAL, __LINE__);
        thread_errors::add(DLL_ERROR_PASSED_UP);
        return false;
    }
    const controller_slot* slot = find_slot(controller);
    if (slot == nullptr) {
        fail(DLL_ERROR_INTERNAL, __LINE__);
        thread_errors::add(DLL_ERROR_PASSED_UP);
        return false;
    }

    const std::size_t buffer_size = ENVELOPE_HEADER_LENGTH + entry->size;
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[buffer_size]());
    if (!buffer) {
        plat::set_last_error(plat::ERR_NOT_ENOUGH_MEMORY);
        fail(DLL_ERROR_SYSTEM, __LINE__);
        thread_errors::add(DLL_ERROR_PASSED_UP);
        return false;
    }
    std::uint8_t* envelope_record = buffer.get() + ENVELOPE_HEADER_LENGTH;
    copy_range(envelope_record, record, entry->copy_in);
    const std::span<std::uint8_t> envelope(buffer.get(), buffer_size);
    fill_envelope(envelope, LIBRARY_SENDER, control_code, entry->size);

    bool good = false;
    plat::device device;
    if (!device.open(slot->device_path)) {
        const std::uint32_t os_error = plat::last_error();
        fail(DLL_ERROR_SYSTEM, __LINE__);
        debug_log::errmsg_system(os_error);
        plat::set_last_error(os_error);
    } else {
        const exchange_result result = run_exchange(device, envelope, entry->status_offset, LIBRARY_SENDER.rule);
        device.close();
        record_exchange_failure(result, control_code);
        good = result.end == exchange_end::good;
    }

    for (const byte_range& range : entry->copy_back) copy_range(record, envelope_record, range);
    debug_log::dump_request(control_code, record, WORK_RECORD_SIZE);
    if (!good) thread_errors::add(DLL_ERROR_PASSED_UP);
    return good;
}

} // namespace zan
