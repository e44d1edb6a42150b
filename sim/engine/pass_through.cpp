// SCSI pass-through on the simulated machine's devices. A port device stands
// for the adapter's RAID disk, the disk through which wrapped commands reach
// the drives: it answers INQUIRY with its identity and TEST UNIT READY, and
// ends every other command with CHECK CONDITION, ILLEGAL REQUEST.
#include <algorithm>
#include <cstring>
#include <string>

#include "disk.h"
#include "dispatch.h"
#include "plat/error.h"
#include "sim/device.h"
#include "sim/root.h"
#include "store.h"

namespace sim {

namespace {

constexpr std::uint8_t OP_TEST_UNIT_READY = 0x00;
constexpr std::uint8_t OP_INQUIRY = 0x12;

constexpr std::uint8_t SCSI_GOOD = 0x00;
constexpr std::uint8_t INQUIRY_EVPD = 0x01;

// Standard INQUIRY data: a direct-access device of SPC-3, response format 2.
constexpr std::size_t INQUIRY_LENGTH = 36;
constexpr std::uint8_t SPC3_VERSION = 0x05;
constexpr std::uint8_t RESPONSE_FORMAT = 0x02;
constexpr std::size_t VENDOR_AT = 8;
constexpr std::size_t PRODUCT_AT = 16;
constexpr std::size_t REVISION_AT = 32;

// Fixed-format sense data of 18 bytes.
constexpr std::size_t SENSE_LENGTH = 18;
constexpr std::uint8_t SENSE_CURRENT_FIXED = 0x70;

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

void check_condition(const plat::scsi_request& request, plat::scsi_result& result, std::uint8_t asc)
{
    std::uint8_t sense[SENSE_LENGTH] = {};
    sense[0] = SENSE_CURRENT_FIXED;
    sense[2] = SENSE_ILLEGAL_REQUEST;
    sense[7] = SENSE_LENGTH - 8;
    sense[12] = asc;
    result.status = SCSI_CHECK_CONDITION;
    result.sense_length = static_cast<std::uint32_t>(std::min(request.sense.size(), SENSE_LENGTH));
    std::copy_n(sense, result.sense_length, request.sense.begin());
}

void inquiry(const adapter& a, const plat::scsi_request& request, plat::scsi_result& result)
{
    // Only the standard data is kept; vital product data pages are not.
    if ((request.cdb.size() < 6) || (request.cdb[1] & INQUIRY_EVPD) != 0) {
        check_condition(request, result, ASC_INVALID_FIELD_IN_CDB);
        return;
    }
    std::uint8_t data[INQUIRY_LENGTH];
    build_inquiry(a, data);
    const std::size_t allocation = (std::size_t{request.cdb[3]} << 8) | request.cdb[4];
    const std::size_t moved = request.direction == plat::scsi_direction::in
                                  ? std::min({allocation, request.data.size(), INQUIRY_LENGTH})
                                  : 0;
    std::copy_n(data, moved, request.data.begin());
    result.status = SCSI_GOOD;
    result.transferred = static_cast<std::uint32_t>(moved);
}

} // namespace

std::uint32_t raid_disk_pass_through(std::uint32_t port, const plat::scsi_request& request, plat::scsi_result& result)
{
    result = {};
    if (!plat::well_formed(request)) return plat::ERR_INVALID_PARAMETER;

    // The state file is replaced whole, so it reads consistently without the
    // adapter's lock; a pass-through changes nothing.
    adapter a;
    if (!load_adapter(root_dir(), port, a).empty()) return plat::ERR_IO_DEVICE;
    if (a.faults.silent != 0) return plat::ERR_SEM_TIMEOUT;

    switch (request.cdb[0]) {
    case OP_INQUIRY: inquiry(a, request, result); break;
    case OP_TEST_UNIT_READY: result.status = SCSI_GOOD; break;
    default: check_condition(request, result, ASC_INVALID_OPERATION_CODE); break;
    }
    return plat::ERR_SUCCESS;
}

} // namespace sim
