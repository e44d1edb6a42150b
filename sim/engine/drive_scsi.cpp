#include "drive_scsi.h"

#include <algorithm>
#include <string>
#include <vector>

#include "big_endian.h"
#include "dispatch.h"
#include "drive_firmware.h"
#include "drive_logs.h"
#include "drive_mode.h"
#include "records.h"

namespace sim {

namespace {

constexpr std::uint8_t SENSE_CURRENT_FIXED = 0x70;
constexpr std::uint8_t SENSE_VALID = 0x80;

constexpr std::uint8_t OP_TEST_UNIT_READY = 0x00;
constexpr std::uint8_t OP_INQUIRY = 0x12;
constexpr std::uint8_t OP_START_STOP_UNIT = 0x1B;
constexpr std::uint8_t OP_MODE_SELECT_6 = 0x15;
constexpr std::uint8_t OP_MODE_SENSE_6 = 0x1A;
constexpr std::uint8_t OP_READ_CAPACITY_10 = 0x25;
constexpr std::uint8_t OP_WRITE_BUFFER = 0x3B;
constexpr std::uint8_t OP_LOG_SENSE = 0x4D;
constexpr std::uint8_t OP_READ_LONG = 0x3E;
constexpr std::uint8_t OP_WRITE_LONG = 0x3F;
constexpr std::uint8_t SENSE_ILI = 0x20;
constexpr std::uint8_t OP_INTERNAL_LOG = 0xFE;

// Standard INQUIRY data: a direct-access device of SPC-3 with command
// queueing, the identity text at bytes 8-47 (vendor, product, revision and
// serial number).
constexpr std::size_t INQUIRY_LENGTH = 96;
constexpr std::size_t IDENTITY_AT = 8;
constexpr std::size_t SERIAL_AT = 36;
constexpr std::size_t SERIAL_LENGTH = 12;
constexpr std::uint8_t VPD_SUPPORTED = 0x00;
constexpr std::uint8_t VPD_SERIAL = 0x80;

struct command_context {
    physical_drive& d;
    std::uint32_t hdd;
    std::span<const std::uint8_t> cdb;
    std::span<std::uint8_t> data_in;
    std::span<const std::uint8_t> data_out;
    block_store* blocks;
    drive_reply& reply;

    void refuse(std::uint8_t asc) { reply.check_condition(build_sense(SENSE_ILLEGAL_REQUEST, asc, 0)); }
    // Hands the host as much of `bytes` as it and the allocation length allow.
    void give(std::span<const std::uint8_t> bytes, std::size_t allocation)
    {
        const std::size_t moved = std::min({bytes.size(), allocation, data_in.size()});
        std::copy_n(bytes.begin(), moved, data_in.begin());
        reply.transferred = static_cast<std::uint32_t>(moved);
    }
};

// The vendor, product, revision and serial number as INQUIRY gives them.
std::string identity(const physical_drive& d)
{
    std::string text = inquiry_text(d);
    if (d.inquiry.empty()) {
        std::string serial = d.serial;
        serial.resize(SERIAL_LENGTH, ' ');
        text.replace(SERIAL_AT - IDENTITY_AT, SERIAL_LENGTH, serial);
    }
    return text;
}

void inquiry(command_context& c)
{
    const std::size_t allocation = load_be(c.cdb.data() + 3, 2);
    const std::string id = identity(c.d);
    std::vector<std::uint8_t> data;
    if ((c.cdb[1] & 0x01) == 0) {
        if (c.cdb[2] != 0) return c.refuse(ASC_INVALID_FIELD_IN_CDB);
        data.assign(INQUIRY_LENGTH, 0);
        data[2] = 0x05;
        data[3] = 0x12;
        data[4] = INQUIRY_LENGTH - 5;
        data[7] = 0x02;
        std::copy(id.begin(), id.end(), data.begin() + IDENTITY_AT);
    } else if (c.cdb[2] == VPD_SUPPORTED) {
        data = {0x00, VPD_SUPPORTED, 0x00, 0x02, VPD_SUPPORTED, VPD_SERIAL};
    } else if (c.cdb[2] == VPD_SERIAL) {
        data = {0x00, VPD_SERIAL, 0x00, SERIAL_LENGTH};
        data.insert(data.end(), id.begin() + (SERIAL_AT - IDENTITY_AT), id.end());
    } else {
        return c.refuse(ASC_INVALID_FIELD_IN_CDB);
    }
    c.give(data, allocation);
}

void test_unit_ready(command_context& c)
{
    switch (c.d.spindle) {
    case SPINDLE_STOPPED:
        c.reply.check_condition(build_sense(SENSE_NOT_READY, ASC_NOT_READY, ASCQ_START_REQUIRED));
        break;
    case SPINDLE_STARTING:
        c.reply.check_condition(build_sense(SENSE_NOT_READY, ASC_NOT_READY, ASCQ_BECOMING_READY));
        if (c.d.spin_up_left <= 1) c.d.spindle = SPINDLE_RUNNING;
        c.d.spin_up_left = c.d.spin_up_left > 0 ? c.d.spin_up_left - 1 : 0;
        break;
    default: break;
    }
}

// START STOP UNIT: the START bit of byte 4 starts or stops the spindle; a
// power condition is not kept by these drives.
void start_stop_unit(command_context& c)
{
    if ((c.cdb[4] & 0xF0) != 0) return c.refuse(ASC_INVALID_FIELD_IN_CDB);
    set_spindle(c.d, (c.cdb[4] & 0x01) != 0);
}

// LOG SENSE: byte 1 PPC (not kept) and SP (the values are saved), byte 2 page
// control and page code, byte 3 the subpage (only 0), bytes 5-6 the first
// parameter code, bytes 7-8 the allocation length.
void log_sense(command_context& c)
{
    const bool save = (c.cdb[1] & 0x01) != 0;
    const std::uint8_t pc = c.cdb[2] >> 6;
    const std::uint8_t page = c.cdb[2] & 0x3F;
    const auto first = static_cast<std::uint16_t>(load_be(c.cdb.data() + 5, 2));
    if ((c.cdb[1] & 0x02) != 0 || c.cdb[3] != 0 || (page == PAGE_SUPPORTED && first != 0)) {
        return c.refuse(ASC_INVALID_FIELD_IN_CDB);
    }
    const std::optional<std::vector<std::uint8_t>> bytes = log_page(c.d, c.hdd, page, pc, first);
    if (!bytes) return c.refuse(ASC_INVALID_FIELD_IN_CDB);
    if (save) ++c.d.log_saves;
    c.give(*bytes, load_be(c.cdb.data() + 7, 2));
}

// The internal-log request: byte 1 the log selector, bytes 3-5 the offset
// into the log with its header, bytes 6-8 the length. An offset past the end
// is refused with the log's whole length in the information field.
void internal_log_request(command_context& c)
{
    if (!internal_log_index(c.cdb[1])) return c.refuse(ASC_INVALID_FIELD_IN_CDB);
    const std::vector<std::uint8_t> log = internal_log(c.d, c.hdd, c.cdb[1]);
    const std::size_t offset = load_be(c.cdb.data() + 3, 3);
    if (offset > log.size()) {
        c.reply.check_condition(build_sense(SENSE_ILLEGAL_REQUEST, ASC_INVALID_FIELD_IN_CDB, 0, true,
                                            static_cast<std::uint32_t>(log.size())));
        return;
    }
    c.give(std::span(log).subspan(offset), load_be(c.cdb.data() + 6, 3));
}

// Whether `count` blocks from `lba` can be reached: a drive with a data
// store, spinning, and the blocks before its end; else the command is
// answered.
bool reachable(command_context& c, std::uint64_t lba, std::uint64_t count)
{
    if (c.blocks == nullptr) {
        c.refuse(ASC_INVALID_OPERATION_CODE);
    } else if (c.d.spindle == SPINDLE_STOPPED) {
        c.reply.check_condition(build_sense(SENSE_NOT_READY, ASC_NOT_READY, ASCQ_START_REQUIRED));
    } else if (lba + count > drive_blocks(c.d)) {
        c.refuse(ASC_LBA_OUT_OF_RANGE);
    } else {
        return true;
    }
    return false;
}

// READ(10) and WRITE(10) on the drive's own blocks: the LBA at bytes 2-5,
// the block count at bytes 7-8. Blocks past the drive's end are refused
// before any moves; the host's buffer must hold them all.
bool block_range(command_context& c, std::uint64_t& lba, std::size_t& bytes, std::size_t buffer)
{
    lba = load_be(c.cdb.data() + 2, 4);
    bytes = load_be(c.cdb.data() + 7, 2) * std::size_t{BLOCK_BYTES};
    if (!reachable(c, lba, bytes / BLOCK_BYTES)) return false;
    if (buffer >= bytes) return true;
    c.refuse(ASC_INVALID_FIELD_IN_CDB);
    return false;
}

bool medium_error_at(const physical_drive& d, std::uint64_t lba)
{
    return std::find(d.medium_error_lbas.begin(), d.medium_error_lbas.end(), lba) != d.medium_error_lbas.end();
}

// A block read stops at the first block with a medium error, its LBA in the
// information field; the blocks before it are transferred.
void read_10(command_context& c)
{
    std::uint64_t lba = 0;
    std::size_t bytes = 0;
    if (!block_range(c, lba, bytes, c.data_in.size())) return;
    block b;
    for (std::size_t at = 0; at < bytes; at += BLOCK_BYTES, ++lba) {
        if (medium_error_at(c.d, lba)) {
            c.reply.transferred = static_cast<std::uint32_t>(at);
            return c.reply.check_condition(build_sense(SENSE_MEDIUM_ERROR, ASC_UNRECOVERED_READ_ERROR, 0, true,
                                                       static_cast<std::uint32_t>(lba)));
        }
        if (!c.blocks->read(c.hdd, lba, b)) return c.reply.check_condition(build_sense(SENSE_HARDWARE_ERROR, 0, 0));
        std::copy(b.begin(), b.end(), c.data_in.begin() + static_cast<std::ptrdiff_t>(at));
    }
    c.reply.transferred = static_cast<std::uint32_t>(bytes);
}

// Writing a block gives it a fresh ECC: a medium error there is gone.
void write_10(command_context& c)
{
    std::uint64_t lba = 0;
    std::size_t bytes = 0;
    if (!block_range(c, lba, bytes, c.data_out.size())) return;
    block b;
    for (std::size_t at = 0; at < bytes; at += BLOCK_BYTES, ++lba) {
        std::copy_n(c.data_out.begin() + static_cast<std::ptrdiff_t>(at), BLOCK_BYTES, b.begin());
        c.blocks->write(c.hdd, lba, b);
        std::erase(c.d.medium_error_lbas, static_cast<std::uint32_t>(lba));
    }
    c.reply.transferred = static_cast<std::uint32_t>(bytes);
}

// The ECC bytes of a block: byte i folds the data bytes i, i + 40, ...
std::array<std::uint8_t, ECC_BYTES> ecc_of(const block& b)
{
    std::array<std::uint8_t, ECC_BYTES> ecc = {};
    for (std::size_t i = 0; i < b.size(); ++i) {
        std::uint8_t& e = ecc[i % ECC_BYTES];
        e = static_cast<std::uint8_t>(e * 31 + b[i]);
    }
    return ecc;
}

// READ LONG(10) and WRITE LONG(10): one long block (LBA bytes 2-5, length
// bytes 7-8). Another length is refused with the incorrect-length bit and
// the requested length less the long block's in the information field, so
// that the host learns the long-block length.
bool long_block(command_context& c, std::uint64_t& lba, std::size_t buffer)
{
    lba = load_be(c.cdb.data() + 2, 4);
    const std::uint32_t length = load_be(c.cdb.data() + 7, 2);
    if (!reachable(c, lba, 1)) return false;
    if (length != LONG_BLOCK_BYTES) {
        fixed_sense s =
            build_sense(SENSE_ILLEGAL_REQUEST, ASC_INVALID_FIELD_IN_CDB, 0, true, length - LONG_BLOCK_BYTES);
        s[2] |= SENSE_ILI;
        c.reply.check_condition(s);
        return false;
    }
    if (buffer >= LONG_BLOCK_BYTES) return true;
    c.refuse(ASC_INVALID_FIELD_IN_CDB);
    return false;
}

void read_long(command_context& c)
{
    std::uint64_t lba = 0;
    block b;
    if (!long_block(c, lba, c.data_in.size())) return;
    if (!c.blocks->read(c.hdd, lba, b)) return c.reply.check_condition(build_sense(SENSE_HARDWARE_ERROR, 0, 0));
    std::array<std::uint8_t, ECC_BYTES> ecc = ecc_of(b);
    if (medium_error_at(c.d, lba)) ecc.fill(0xFF);
    std::copy(b.begin(), b.end(), c.data_in.begin());
    std::copy(ecc.begin(), ecc.end(), c.data_in.begin() + BLOCK_BYTES);
    c.reply.transferred = LONG_BLOCK_BYTES;
}

// The data part is written as it comes; an ECC part that does not match it
// plants a medium error, a matching one clears one.
void write_long(command_context& c)
{
    std::uint64_t lba = 0;
    block b;
    if (!long_block(c, lba, c.data_out.size())) return;
    std::copy_n(c.data_out.begin(), BLOCK_BYTES, b.begin());
    c.blocks->write(c.hdd, lba, b);
    const std::array<std::uint8_t, ECC_BYTES> ecc = ecc_of(b);
    const auto lba32 = static_cast<std::uint32_t>(lba);
    std::erase(c.d.medium_error_lbas, lba32);
    if (!std::equal(ecc.begin(), ecc.end(), c.data_out.begin() + BLOCK_BYTES)) c.d.medium_error_lbas.push_back(lba32);
    c.reply.transferred = LONG_BLOCK_BYTES;
}

// MODE SENSE(6): byte 1 DBD, byte 2 page control and page, byte 3 the
// subpage, byte 4 the allocation length.
void mode_sense(command_context& c)
{
    const mode_answer answer = drive_mode_sense(c.d, c.cdb);
    if (answer.refusal != 0) return c.refuse(answer.refusal);
    c.give(answer.data, c.cdb[4]);
}

// MODE SELECT(6): the parameter list length in byte 4, the list the host
// sends. The drive's pages are all in page format and all saved, so the PF
// and SP bits change nothing.
void mode_select(command_context& c)
{
    const std::size_t length = c.cdb[4];
    if (c.data_out.size() < length) return c.refuse(ASC_INVALID_FIELD_IN_CDB);
    if (const std::uint8_t refusal = drive_mode_select(c.d, c.data_out.first(length)); refusal != 0) {
        c.refuse(refusal);
    }
}

// READ CAPACITY(10): the last LBA (0xFFFFFFFF when it does not fit) and the
// block length. Without PMI the LBA field must be 0.
void read_capacity(command_context& c)
{
    if ((c.cdb[8] & 0x01) == 0 && load_be(c.cdb.data() + 2, 4) != 0) return c.refuse(ASC_INVALID_FIELD_IN_CDB);
    if (c.d.spindle == SPINDLE_STOPPED) {
        return c.reply.check_condition(build_sense(SENSE_NOT_READY, ASC_NOT_READY, ASCQ_START_REQUIRED));
    }
    const std::uint64_t blocks = drive_blocks(c.d);
    std::uint8_t data[8] = {};
    store_be(data, 4, static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks > 0 ? blocks - 1 : 0, 0xFFFFFFFF)));
    store_be(data + 4, 4, BLOCK_BYTES);
    c.give(data, sizeof data);
}

// WRITE BUFFER: only mode 7 (microcode with offsets, saved and activated)
// into buffer 0, on the models that take microcode; offset bytes 3-5,
// length bytes 6-8. A length of 0 moves nothing.
void write_buffer(command_context& c)
{
    constexpr std::uint8_t MODE_MICROCODE_OFFSETS_SAVE = 0x07;
    const std::uint32_t offset = load_be(c.cdb.data() + 3, 3);
    const std::uint32_t length = load_be(c.cdb.data() + 6, 3);
    if (!takes_microcode(c.d) || (c.cdb[1] & 0x1F) != MODE_MICROCODE_OFFSETS_SAVE || c.cdb[2] != 0 ||
        c.data_out.size() < length) {
        return c.refuse(ASC_INVALID_FIELD_IN_CDB);
    }
    if (length == 0) return;
    if (const std::uint8_t refusal = take_microcode_piece(c.d, offset, c.data_out.first(length)); refusal != 0) {
        c.refuse(refusal);
    }
}

struct drive_operation {
    std::uint8_t code;
    std::size_t cdb_length;
    void (*run)(command_context&);
};

constexpr drive_operation OPERATIONS[] = {
    {OP_TEST_UNIT_READY, 6, test_unit_ready}, {OP_INQUIRY, 6, inquiry},
    {OP_START_STOP_UNIT, 6, start_stop_unit}, {OP_LOG_SENSE, 10, log_sense},
    {OP_INTERNAL_LOG, 10, internal_log_request}, {OP_READ_10, 10, read_10}, {OP_WRITE_10, 10, write_10},
    {OP_READ_LONG, 10, read_long},            {OP_WRITE_LONG, 10, write_long},
    {OP_MODE_SENSE_6, 6, mode_sense},         {OP_MODE_SELECT_6, 6, mode_select},
    {OP_READ_CAPACITY_10, 10, read_capacity}, {OP_WRITE_BUFFER, 10, write_buffer},
};

} // namespace

void set_spindle(physical_drive& d, bool start)
{
    if (!start) {
        d.spindle = SPINDLE_STOPPED;
        d.spin_up_left = 0;
    } else if (d.spindle == SPINDLE_STOPPED) {
        ++d.start_stops;
        d.spin_up_left = d.spin_up_polls;
        d.spindle = d.spin_up_polls > 0 ? SPINDLE_STARTING : SPINDLE_RUNNING;
    }
}

fixed_sense build_sense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, bool information_valid,
                        std::uint32_t information)
{
    fixed_sense s = {};
    s[0] = static_cast<std::uint8_t>(SENSE_CURRENT_FIXED | (information_valid ? SENSE_VALID : 0));
    s[2] = key;
    store_be(s.data() + 3, 4, information);
    s[7] = FIXED_SENSE_LENGTH - 8;
    s[12] = asc;
    s[13] = ascq;
    return s;
}

drive_reply drive_command(adapter& a, std::uint32_t hdd, std::span<const std::uint8_t> cdb,
                          std::span<std::uint8_t> data_in, std::span<const std::uint8_t> data_out,
                          block_store* blocks)
{
    drive_reply reply;
    physical_drive& d = a.drives[hdd];
    if (d.answer_count > 0) {
        // The chosen answer stands in for whatever the command would do.
        --d.answer_count;
        reply.status = static_cast<std::uint8_t>(d.answer_status);
        if (reply.status == SCSI_CHECK_CONDITION) {
            reply.check_condition(build_sense(static_cast<std::uint8_t>(d.answer_sense >> 16),
                                              static_cast<std::uint8_t>(d.answer_sense >> 8),
                                              static_cast<std::uint8_t>(d.answer_sense), d.answer_info != 0,
                                              d.answer_info));
        }
        return reply;
    }
    command_context c{d, hdd, cdb, data_in, data_out, blocks, reply};
    if (cdb.empty()) {
        c.refuse(ASC_INVALID_OPERATION_CODE);
        return reply;
    }
    const auto op = std::find_if(std::begin(OPERATIONS), std::end(OPERATIONS),
                                 [&cdb](const drive_operation& o) { return o.code == cdb[0]; });
    if (op == std::end(OPERATIONS)) c.refuse(ASC_INVALID_OPERATION_CODE);
    else if (cdb.size() < op->cdb_length) c.refuse(ASC_INVALID_FIELD_IN_CDB);
    else op->run(c);
    return reply;
}

} // namespace sim
