#include "scsi_forms.h"

#include <cstring>

#include "zanioctl.h"

namespace zan::scsi_forms {
namespace {

constexpr std::uint8_t OP_READ_BUFFER = 0x3C;
constexpr std::uint8_t OP_SMART = 0x20;
constexpr std::uint8_t SMART_MODE = 1;
constexpr std::uint8_t OP_MODE_SENSE = 0x1A;
constexpr std::uint8_t OP_MODE_SELECT = 0x15;
constexpr std::uint8_t SENSE_DISABLE_BLOCK_DESCRIPTORS = 0x08;
constexpr std::uint8_t SELECT_PAGE_FORMAT_SAVE_PAGES = 0x11;
constexpr std::uint8_t PAGE_CODE_MASK = 0x3F;
constexpr std::uint8_t BLOCK_DESCRIPTOR_LENGTH = 8;
constexpr std::size_t PAGE_HEADER_SIZE = 2; // page code and the length of what follows

template <class Cdb>
void put_cdb(work_record& record, const Cdb& cdb)
{
    static_assert(sizeof(Cdb) <= SCSI_REQUEST_CDB_SIZE);
    std::memcpy(record + SCSI_REQUEST_CDB, &cdb, sizeof cdb);
}

} // namespace

void put_read_buffer(work_record& record, std::uint8_t mode, std::uint8_t buffer_id, std::uint32_t offset,
                     std::uint32_t length)
{
    read_buffer_cdb cdb = {};
    cdb.operation = OP_READ_BUFFER;
    cdb.mode = mode;
    cdb.buffer_id = buffer_id;
    cdb.offset.set(offset);
    cdb.allocation_length.set(length);
    put_cdb(record, cdb);
}

void put_smart_request(work_record& record, smart_request request, std::uint8_t drive, std::uint32_t length)
{
    read_buffer_cdb cdb = {};
    cdb.operation = OP_SMART;
    cdb.mode = SMART_MODE;
    cdb.buffer_id = static_cast<std::uint8_t>(request);
    cdb.offset.set(drive);
    cdb.allocation_length.set(length);
    put_cdb(record, cdb);
}

void put_mode_sense(work_record& record, std::uint8_t page, std::uint8_t allocation_length)
{
    mode_cdb cdb = {};
    cdb.operation = OP_MODE_SENSE;
    cdb.flags = SENSE_DISABLE_BLOCK_DESCRIPTORS;
    cdb.page = page & PAGE_CODE_MASK;
    cdb.length = allocation_length;
    put_cdb(record, cdb);
}

void put_mode_select(work_record& record, std::span<const std::uint8_t> page)
{
    const std::size_t list_length = sizeof(mode_parameter_header) + page.size();
    mode_cdb cdb = {};
    cdb.operation = OP_MODE_SELECT;
    cdb.flags = SELECT_PAGE_FORMAT_SAVE_PAGES;
    cdb.length = static_cast<std::uint8_t>(list_length);
    put_cdb(record, cdb);

    mode_parameter_header header = {};
    header.block_descriptor_length = BLOCK_DESCRIPTOR_LENGTH;
    header.block_length.set(BLOCK_SIZE);
    std::uint8_t* data = record + SCSI_REQUEST_DATA;
    std::memcpy(data, &header, sizeof header);
    std::memcpy(data + sizeof header, page.data(), page.size());
}

std::span<const std::uint8_t> answered_data(const work_record& record, std::size_t length)
{
    return {record + SCSI_REQUEST_DATA, length};
}

void take_completion(const work_record& record, std::uint8_t* area)
{
    std::memcpy(area, record + SCSI_REQUEST_COMPLETION, 3);
    area[3] = 0;
}

vendor_page build_vendor_page(const vendor_page_form& form, std::uint8_t target, std::uint8_t value)
{
    vendor_page page = {};
    page.length = form.length;
    page.bytes[0] = form.page_code;
    page.bytes[1] = static_cast<std::uint8_t>(form.length - PAGE_HEADER_SIZE);
    page.bytes[2] = form.operation;
    page.bytes[3] = target;
    page.bytes[4] = value;
    return page;
}

} // namespace zan::scsi_forms
