// SCSI pass-through to an adapter's RAID disk, reached through its port
// device or a logical drive's disk. It answers INQUIRY with its identity and TEST
// UNIT READY itself, carries READ(10) and WRITE(10) to the blocks of the
// logical drive the SCSI target names, forwards the vendor-wrapped commands
// (0xBB data in, 0xBA data out or none; byte 1 the drive, the drive's own
// command from byte 2) to the physical drive, and ends every other command
// with CHECK CONDITION, ILLEGAL REQUEST.
#include <algorithm>
#include <cstring>
#include <string>

#include "big_endian.h"
#include "clock.h"
#include "data_path.h"
#include "disk.h"
#include "dispatch.h"
#include "drive_scsi.h"
#include "plat/error.h"
#include "sim/device.h"
#include "sim/root.h"
#include "store.h"
#include "tasks.h"

namespace sim {

namespace {

constexpr std::uint8_t OP_TEST_UNIT_READY = 0x00;
constexpr std::uint8_t OP_INQUIRY = 0x12;
constexpr std::uint8_t WRAP_DATA_IN = 0xBB;
constexpr std::uint8_t WRAP_DATA_OUT = 0xBA;
constexpr std::size_t WRAP_LENGTH = 2;

constexpr std::uint8_t INQUIRY_EVPD = 0x01;
constexpr std::uint8_t ASC_NO_SUCH_UNIT = ASC_LUN_NOT_SUPPORTED;

// The largest transfer the adapter's port carries in one command; a longer
// one fails the call, as the port driver refuses it.
constexpr std::size_t MAX_TRANSFER = 0x200000;

// A request waits this long for the adapter's lock: the storage stack queues
// commands where a control request is answered busy.
constexpr int LOCK_WAIT_MS = 5000;

// Standard INQUIRY data: a direct-access device of SPC-3, response format 2.
constexpr std::size_t INQUIRY_LENGTH = 36;
constexpr std::uint8_t SPC3_VERSION = 0x05;
constexpr std::uint8_t RESPONSE_FORMAT = 0x02;
constexpr std::size_t VENDOR_AT = 8;
constexpr std::size_t PRODUCT_AT = 16;
constexpr std::size_t REVISION_AT = 32;

void put_text(std::uint8_t* at, std::size_t width, const std::string& text)
{
    std::memset(at, ' ', width);
    std::memcpy(at, text.data(), std::min(width, text.size()));
}

// The RAID disk's identity: the maker, the adapter's model with "RAID", and
// the firmware revision.
void build_inquiry(const adapter& a, std::uint8_t (&data)[INQUIRY_LENGTH])
{
    std::memset(data, 0, sizeof data);
    data[2] = SPC3_VERSION;
    data[3] = RESPONSE_FORMAT;
    data[4] = INQUIRY_LENGTH - 5;
    put_text(data + VENDOR_AT, PRODUCT_AT - VENDOR_AT, RAID_DISK_VENDOR);
    put_text(data + PRODUCT_AT, REVISION_AT - PRODUCT_AT, a.model + RAID_DISK_PRODUCT_SUFFIX);
    put_text(data + REVISION_AT, INQUIRY_LENGTH - REVISION_AT, a.firmware);
}

// Puts a drive's or the RAID disk's reply into the caller's result; the sense
// is cut to the caller's buffer.
void deliver(const drive_reply& reply, const plat::scsi_request& request, plat::scsi_result& result)
{
    result.status = reply.status;
    result.transferred = reply.transferred;
    result.sense_length = static_cast<std::uint32_t>(std::min<std::size_t>(request.sense.size(), reply.sense_length));
    std::copy_n(reply.sense.begin(), result.sense_length, request.sense.begin());
}

drive_reply refusal(std::uint8_t asc)
{
    drive_reply reply;
    reply.check_condition(build_sense(SENSE_ILLEGAL_REQUEST, asc, 0));
    return reply;
}

drive_reply inquiry(const adapter& a, const plat::scsi_request& request)
{
    // Only the standard data is kept; vital product data pages are not.
    if ((request.cdb.size() < 6) || (request.cdb[1] & INQUIRY_EVPD) != 0) return refusal(ASC_INVALID_FIELD_IN_CDB);
    std::uint8_t data[INQUIRY_LENGTH];
    build_inquiry(a, data);
    const std::size_t allocation = (std::size_t{request.cdb[3]} << 8) | request.cdb[4];
    const std::size_t moved = request.direction == plat::scsi_direction::in
                                  ? std::min({allocation, request.data.size(), INQUIRY_LENGTH})
                                  : 0;
    std::copy_n(data, moved, request.data.begin());
    drive_reply reply;
    reply.transferred = static_cast<std::uint32_t>(moved);
    return reply;
}

// Runs `command` on the adapter brought up to the clock, under its lock: the
// blocks it writes are committed and the adapter's new state saved.
template <class F>
std::uint32_t with_adapter(std::uint32_t port, F command)
{
    const std::string root = root_dir();
    root_lock lock;
    switch (lock.lock_within(adapter_lock_path(root, port), LOCK_WAIT_MS)) {
    case root_lock::outcome::held: break;
    case root_lock::outcome::busy: return plat::ERR_SEM_TIMEOUT;
    case root_lock::outcome::failed: return plat::ERR_IO_DEVICE;
    }
    adapter a;
    clock_reading clock;
    if (!load_adapter(root, port, a).empty() || !read_clock(root, clock).empty()) return plat::ERR_IO_DEVICE;
    if (a.faults.silent != 0) return plat::ERR_SEM_TIMEOUT;
    advance_tasks(a, clock.now_ms);
    // Saved first, so that the drives' blocks follow the background work
    // before the command reads them.
    if (!save_adapter(root, a).empty()) return plat::ERR_IO_DEVICE;
    block_store blocks(root, port);
    if (!blocks.recover()) return plat::ERR_IO_DEVICE;
    command(a, blocks);
    if (!blocks.commit()) return plat::ERR_IO_DEVICE;
    return save_adapter(root, a).empty() ? plat::ERR_SUCCESS : plat::ERR_IO_DEVICE;
}

// A wrapped command: checked by the adapter, carried out by the drive.
std::uint32_t forward_to_drive(std::uint32_t port, const plat::scsi_request& request, drive_reply& reply)
{
    const std::span<const std::uint8_t> cdb = request.cdb;
    const bool wrong_direction = cdb[0] == WRAP_DATA_IN ? request.direction == plat::scsi_direction::out
                                                        : request.direction == plat::scsi_direction::in;
    if (cdb.size() <= WRAP_LENGTH || wrong_direction) {
        reply = refusal(ASC_INVALID_FIELD_IN_CDB);
        return plat::ERR_SUCCESS;
    }
    return with_adapter(port, [&](adapter& a, block_store& blocks) {
        const std::uint32_t hdd = cdb[1];
        if (hdd >= DRIVE_SLOTS || !a.drives[hdd].present) {
            reply = refusal(ASC_NO_SUCH_UNIT);
            return;
        }
        const bool in = request.direction == plat::scsi_direction::in;
        const std::span<std::uint8_t> data_in = in ? request.data : std::span<std::uint8_t>();
        const std::span<const std::uint8_t> data_out = in ? std::span<const std::uint8_t>() : request.data;
        reply = drive_command(a, hdd, cdb.subspan(WRAP_LENGTH), data_in, data_out, &blocks);
    });
}

// READ(10) or WRITE(10) on the blocks of the logical drive the request's
// target names. A failed logical drive is not ready until an operator acts.
std::uint32_t logical_blocks_command(std::uint32_t port, const plat::scsi_request& request, drive_reply& reply)
{
    const std::span<const std::uint8_t> cdb = request.cdb;
    const bool write = cdb[0] == OP_WRITE_10;
    const auto wanted = write ? plat::scsi_direction::out : plat::scsi_direction::in;
    const std::size_t bytes = cdb.size() < 10 ? 0 : load_be(cdb.data() + 7, 2) * std::size_t{BLOCK_BYTES};
    if (cdb.size() < 10 || (bytes > 0 && request.direction != wanted) || request.data.size() < bytes) {
        reply = refusal(ASC_INVALID_FIELD_IN_CDB);
        return plat::ERR_SUCCESS;
    }
    return with_adapter(port, [&](adapter& a, block_store& blocks) {
        const std::size_t number = request.target_id;
        if (number >= LOGICAL_SLOTS || !a.logicals[number].defined || request.lun != 0) {
            reply = refusal(ASC_NO_SUCH_UNIT);
            return;
        }
        const std::uint64_t lba = load_be(cdb.data() + 2, 4);
        const std::span<std::uint8_t> data = request.data.first(bytes);
        std::uint64_t medium_lba = 0;
        const data_status s = write ? write_logical(a, number, blocks, lba, data)
                                    : read_logical(a, number, blocks, lba, data, &medium_lba);
        switch (s) {
        case data_status::ok: reply.transferred = static_cast<std::uint32_t>(bytes); break;
        case data_status::out_of_range: reply = refusal(ASC_LBA_OUT_OF_RANGE); break;
        case data_status::no_access:
            reply.check_condition(build_sense(SENSE_NOT_READY, ASC_NOT_READY, ASCQ_MANUAL_INTERVENTION));
            break;
        case data_status::io_error: reply.check_condition(build_sense(SENSE_HARDWARE_ERROR, 0, 0)); break;
        case data_status::medium_error:
            reply.check_condition(build_sense(SENSE_MEDIUM_ERROR, ASC_UNRECOVERED_READ_ERROR, 0, true,
                                              static_cast<std::uint32_t>(medium_lba)));
            break;
        }
    });
}

} // namespace

std::uint32_t raid_disk_pass_through(std::uint32_t port, const plat::scsi_request& request, plat::scsi_result& result)
{
    result = {};
    if (!plat::well_formed(request) || request.data.size() > MAX_TRANSFER) return plat::ERR_INVALID_PARAMETER;
    drive_reply reply;
    const std::uint8_t op = request.cdb[0];
    if (op == WRAP_DATA_IN || op == WRAP_DATA_OUT || op == OP_READ_10 || op == OP_WRITE_10) {
        const bool wrapped = op == WRAP_DATA_IN || op == WRAP_DATA_OUT;
        const std::uint32_t code =
            wrapped ? forward_to_drive(port, request, reply) : logical_blocks_command(port, request, reply);
        if (code != plat::ERR_SUCCESS) return code;
        deliver(reply, request, result);
        return plat::ERR_SUCCESS;
    }
    // The state file is replaced whole, so it reads consistently without the
    // adapter's lock; the RAID disk's own commands change nothing.
    adapter a;
    if (!load_adapter(root_dir(), port, a).empty()) return plat::ERR_IO_DEVICE;
    if (a.faults.silent != 0) return plat::ERR_SEM_TIMEOUT;
    switch (request.cdb[0]) {
    case OP_INQUIRY: reply = inquiry(a, request); break;
    case OP_TEST_UNIT_READY: break;
    default: reply = refusal(ASC_INVALID_OPERATION_CODE); break;
    }
    deliver(reply, request, result);
    return plat::ERR_SUCCESS;
}

} // namespace sim
