#include "dispatch.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "records.h"
#include "zanioctl.h"

namespace sim {

namespace {

using handler = std::uint16_t (*)(adapter&, std::span<std::uint8_t>);

template <class R>
void put_record(std::span<std::uint8_t> record, const R& r)
{
    std::memcpy(record.data(), &r, std::min(sizeof r, record.size()));
}

// Addressed records carry the adapter's controller id in byte 0.
bool addressed_here(const adapter& a, std::span<const std::uint8_t> record)
{
    return record[0] == a.controller_id;
}

std::uint16_t get_controller_info(adapter& a, std::span<std::uint8_t> record)
{
    if (record[0] != 0xFF && !addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    put_record(record, build_cont_info(a));
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_raid_status(adapter& a, std::span<std::uint8_t> record)
{
    put_record(record, build_raid_status(a));
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_logical_disk_info(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    const int number = record[1];
    if (number >= LOGICAL_SLOTS || !a.logicals[static_cast<std::size_t>(number)].defined) {
        return zan::IOC_STATUS_FAILURE;
    }
    put_record(record, build_logical_info(a, number));
    return zan::IOC_STATUS_GOOD;
}

std::uint16_t get_hdd_info(adapter& a, std::span<std::uint8_t> record)
{
    if (!addressed_here(a, record)) return zan::IOC_STATUS_INVALID_PARAM;
    const int number = record[1];
    if (number >= DRIVE_SLOTS || !a.drives[static_cast<std::size_t>(number)].present) {
        return zan::IOC_STATUS_FAILURE;
    }
    put_record(record, build_drive_info(a, number));
    return zan::IOC_STATUS_GOOD;
}

// ---- READ BUFFER ---------------------------------------------------------

std::vector<std::uint8_t> cont_para_bytes(const adapter& a)
{
    const zan::ContPara para = build_cont_para(a);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&para);
    return {bytes, bytes + sizeof para};
}

// The adapter buffers READ BUFFER can read, by mode and buffer id.
struct readable_buffer {
    std::uint8_t mode;
    std::uint8_t id;
    std::vector<std::uint8_t> (*content)(const adapter&);
};

constexpr readable_buffer READABLE_BUFFERS[] = {
    {0x01, 0xA0, cont_para_bytes},
};

constexpr std::uint8_t OP_READ_BUFFER = 0x3C;

void complete(std::span<std::uint8_t> record, std::uint8_t status, std::uint8_t sense_key, std::uint8_t asc)
{
    record[zan::SCSI_REQUEST_COMPLETION] = status;
    record[zan::SCSI_REQUEST_COMPLETION + 1] = sense_key;
    record[zan::SCSI_REQUEST_COMPLETION + 2] = asc;
}

std::uint16_t scsi_read_buffer(adapter& a, std::span<std::uint8_t> record)
{
    const std::uint8_t* cdb = record.data() + zan::SCSI_REQUEST_CDB;
    const std::span<std::uint8_t> data = record.subspan(zan::SCSI_REQUEST_DATA);
    std::fill(data.begin(), data.end(), 0);
    if (cdb[0] != OP_READ_BUFFER) {
        complete(record, SCSI_CHECK_CONDITION, SENSE_ILLEGAL_REQUEST, ASC_INVALID_OPERATION_CODE);
        return zan::IOC_STATUS_GOOD;
    }
    const std::uint8_t mode = cdb[1] & 0x1F;
    const std::size_t offset = (std::size_t{cdb[3]} << 16) | (std::size_t{cdb[4]} << 8) | cdb[5];
    const std::size_t length = (std::size_t{cdb[6]} << 16) | (std::size_t{cdb[7]} << 8) | cdb[8];
    const auto source = std::find_if(std::begin(READABLE_BUFFERS), std::end(READABLE_BUFFERS),
                                     [&](const readable_buffer& b) { return b.mode == mode && b.id == cdb[2]; });
    if (source == std::end(READABLE_BUFFERS) || length > data.size()) {
        complete(record, SCSI_CHECK_CONDITION, SENSE_ILLEGAL_REQUEST, ASC_INVALID_FIELD_IN_CDB);
        return zan::IOC_STATUS_GOOD;
    }
    const std::vector<std::uint8_t> content = source->content(a);
    if (offset >= content.size()) {
        complete(record, SCSI_CHECK_CONDITION, SENSE_ILLEGAL_REQUEST, ASC_INVALID_FIELD_IN_CDB);
        return zan::IOC_STATUS_GOOD;
    }
    const std::size_t count = std::min(length, content.size() - offset);
    std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(offset), count, data.begin());
    complete(record, 0, 0, 0);
    return zan::IOC_STATUS_GOOD;
}

struct modelled_code {
    std::uint32_t code;
    handler answer;
};

constexpr modelled_code MODELLED_CODES[] = {
    {zan::IOCTL_KRAID_GET_CONTROLLER_INFO, get_controller_info},
    {zan::IOCTL_KRAID_GET_RAID_STATUS, get_raid_status},
    {zan::IOCTL_KRAID_GET_LOGICAL_DISK_INFO, get_logical_disk_info},
    {zan::IOCTL_KRAID_GET_HDD_INFO, get_hdd_info},
    {zan::IOCTL_KRAID_SCSI_READ_BUFFER, scsi_read_buffer},
};

} // namespace

std::uint16_t answer_request(adapter& a, std::uint32_t code, std::span<std::uint8_t> record)
{
    for (const modelled_code& m : MODELLED_CODES) {
        if (m.code == code) return m.answer(a, record);
    }
    // The firmware rejects what it does not carry out.
    return zan::IOC_STATUS_INVALID_PARAM;
}

} // namespace sim
