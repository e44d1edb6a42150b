// SCSI commands the driver carries to the adapter itself in a
// ScsiRequestRecord: READ BUFFER (adapter parameters, event log, NVRAM, bad
// spots), the vendor SMART command, MODE SELECT (kept pages and the vendor
// action pages for deleting logical drives and the locate LED), MODE SENSE
// and WRITE BUFFER (firmware download). A refused command answers with its
// completion triple; the status word stays good except for WRITE BUFFER.
#include <algorithm>
#include <cstring>
#include <vector>

#include "adapter_memory.h"
#include "answers.h"
#include "diagnostics.h"
#include "dispatch.h"
#include "event_log.h"
#include "flash.h"
#include "mode_pages.h"
#include "records.h"
#include "zanioctl.h"

namespace sim {

namespace {

constexpr std::uint8_t OP_READ_BUFFER = 0x3C;
constexpr std::uint8_t OP_SMART = 0x20;
constexpr std::uint8_t OP_MODE_SELECT = 0x15;
constexpr std::uint8_t OP_MODE_SENSE = 0x1A;
constexpr std::uint8_t OP_WRITE_BUFFER = 0x3B;

struct scsi_request {
    const std::uint8_t* cdb;
    std::span<std::uint8_t> data;
    std::span<std::uint8_t> record;

    explicit scsi_request(std::span<std::uint8_t> r)
        : cdb(r.data() + zan::SCSI_REQUEST_CDB), data(r.subspan(zan::SCSI_REQUEST_DATA)), record(r)
    {
    }

    std::size_t cdb24(std::size_t at) const
    {
        return (std::size_t{cdb[at]} << 16) | (std::size_t{cdb[at + 1]} << 8) | cdb[at + 2];
    }

    std::uint16_t complete(std::uint8_t status = 0, std::uint8_t sense_key = 0, std::uint8_t asc = 0)
    {
        record[zan::SCSI_REQUEST_COMPLETION] = status;
        record[zan::SCSI_REQUEST_COMPLETION + 1] = sense_key;
        record[zan::SCSI_REQUEST_COMPLETION + 2] = asc;
        return zan::IOC_STATUS_GOOD;
    }

    std::uint16_t refuse(std::uint8_t asc) { return complete(SCSI_CHECK_CONDITION, SENSE_ILLEGAL_REQUEST, asc); }
};

// ---- READ BUFFER and SMART -----------------------------------------------

void read_cont_para(const adapter& a, std::size_t offset, std::span<std::uint8_t> out)
{
    const zan::ContPara para = build_cont_para(a);
    std::memcpy(out.data(), reinterpret_cast<const std::uint8_t*>(&para) + offset, out.size());
}

// The NVRAM buffer: 32 KiB, the settings image first; the rest is unused and
// reads as zeros (the caller hands out a zeroed buffer).
constexpr std::size_t NVRAM_BUFFER_SIZE = 32768;

void read_nvram(const adapter& a, std::size_t offset, std::span<std::uint8_t> out)
{
    const nvram_image image = build_nvram(a);
    if (offset >= image.size()) return;
    std::memcpy(out.data(), image.data() + offset, std::min(out.size(), image.size() - offset));
}

// Every drive slot's bad-spot list, one block after the other.
void read_bad_spots(const adapter& a, std::size_t offset, std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        const std::size_t at = offset + done;
        const bad_spot_block block = build_bad_spot_block(a, static_cast<std::uint32_t>(at / BAD_SPOT_BLOCK_SIZE));
        const std::size_t part = std::min(out.size() - done, BAD_SPOT_BLOCK_SIZE - at % BAD_SPOT_BLOCK_SIZE);
        std::memcpy(out.data() + done, block.data() + at % BAD_SPOT_BLOCK_SIZE, part);
        done += part;
    }
}

// The adapter buffers READ BUFFER can read, by mode and buffer id.
struct readable_buffer {
    std::uint8_t mode;
    std::uint8_t id;
    std::size_t size;
    void (*read)(const adapter&, std::size_t offset, std::span<std::uint8_t> out);
};

constexpr readable_buffer READABLE_BUFFERS[] = {
    {0x01, 0xA0, sizeof(zan::ContPara), read_cont_para},
    {0x01, 0xA6, std::size_t{EVENT_SLOTS} * EVENT_SIZE, read_event_log},
    {0x02, 0x08, NVRAM_BUFFER_SIZE, read_nvram},
    {0x01, 0xE0, std::size_t{DRIVE_SLOTS} * BAD_SPOT_BLOCK_SIZE, read_bad_spots},
    {ADAPTER_MEMORY_MODE, ADAPTER_MEMORY_ID, ADAPTER_MEMORY_SIZE, read_adapter_memory},
};

std::uint16_t read_buffer(const adapter& a, scsi_request& r)
{
    const std::uint8_t mode = r.cdb[1] & 0x1F;
    const std::size_t offset = r.cdb24(3);
    const std::size_t length = r.cdb24(6);
    const auto source = std::find_if(std::begin(READABLE_BUFFERS), std::end(READABLE_BUFFERS),
                                     [&](const readable_buffer& b) { return b.mode == mode && b.id == r.cdb[2]; });
    if (source == std::end(READABLE_BUFFERS) || length > r.data.size() || offset >= source->size) {
        return r.refuse(ASC_INVALID_FIELD_IN_CDB);
    }
    source->read(a, offset, r.data.first(std::min(length, source->size - offset)));
    return r.complete();
}

// The vendor SMART command: byte 2 says what, byte 5 names the drive.
std::uint16_t smart(const adapter& a, scsi_request& r)
{
    constexpr std::uint8_t SMART_DATA = 1;
    constexpr std::uint8_t SMART_THRESHOLDS = 2;
    constexpr std::uint8_t SMART_STATUS = 3;
    const std::uint8_t what = r.cdb[2];
    const std::uint8_t hdd = r.cdb[5];
    const std::size_t length = r.cdb24(6);
    if (r.cdb[1] != 1 || what < SMART_DATA || what > SMART_STATUS || r.cdb[3] != 0 || r.cdb[4] != 0 ||
        hdd >= DRIVE_SLOTS || length > r.data.size()) {
        return r.refuse(ASC_INVALID_FIELD_IN_CDB);
    }
    if (!a.drives[hdd].present) return r.refuse(ASC_LUN_NOT_SUPPORTED);
    smart_block block{};
    std::size_t size = block.size();
    if (what == SMART_DATA) block = build_smart_data(a, hdd);
    if (what == SMART_THRESHOLDS) block = build_smart_thresholds();
    if (what == SMART_STATUS) {
        block[0] = smart_status(a, hdd);
        size = 1;
    }
    std::copy_n(block.begin(), std::min(length, size), r.data.begin());
    return r.complete();
}

// ---- MODE SELECT -----------------------------------------------------------

constexpr std::uint8_t PAGE_FORMAT = 0x10;
constexpr std::size_t MODE_HEADER_SIZE = 4;
constexpr std::size_t BLOCK_DESCRIPTOR_SIZE = 8;
constexpr std::uint8_t PAGE_CODE_MASK = 0x3F;

// Vendor action pages: page code, page length, action byte.
constexpr std::uint8_t PAGE_DELETE_PREPARE = 0x3A;
constexpr std::uint8_t PAGE_DELETE = 0x30;
constexpr std::uint8_t PAGE_LOCATE = 0x3C;
constexpr std::uint8_t ACTION_DELETE_PREPARE = 0x02;
constexpr std::uint8_t ACTION_DELETE_RELEASE = 0x11;
constexpr std::uint8_t ACTION_DELETE_COMMIT = 0x04;
constexpr std::uint8_t ACTION_LOCATE = 0x32;

constexpr std::uint8_t LED_MODES[] = {0x00, 0x10, 0x11, 0x20, 0x21, 0x30, 0x31};

// Deleting a logical drive takes three steps in order: prepare, release the
// members, commit. A step out of order is a sequence error; repeating the
// last accepted step is harmless, and prepare always starts over.
std::uint16_t delete_step(adapter& a, scsi_request& r, std::uint8_t number, std::uint32_t step)
{
    if (number >= LOGICAL_SLOTS || !a.logicals[number].defined) return r.refuse(ASC_INVALID_FIELD_IN_PARAMETERS);
    logical_drive& ld = a.logicals[number];
    if (step > 1 && ld.delete_step != step - 1 && ld.delete_step != step) {
        return r.refuse(ASC_COMMAND_SEQUENCE_ERROR);
    }
    if (step == 3) {
        // The logical drive, its disk and the volumes on it are gone; its
        // members are free drives again.
        ld = logical_drive{};
    } else {
        ld.delete_step = step;
    }
    return r.complete();
}

std::uint16_t locate(adapter& a, scsi_request& r, std::uint8_t hdd, std::uint8_t mode)
{
    if (hdd >= DRIVE_SLOTS || !a.drives[hdd].present ||
        std::find(std::begin(LED_MODES), std::end(LED_MODES), mode) == std::end(LED_MODES)) {
        return r.refuse(ASC_INVALID_FIELD_IN_PARAMETERS);
    }
    a.drives[hdd].led = mode;
    return r.complete();
}

std::uint16_t select_page(adapter& a, scsi_request& r, std::span<const std::uint8_t> page)
{
    const std::uint8_t code = page[0] & PAGE_CODE_MASK;
    const std::uint8_t action = page.size() > 2 ? page[2] : 0;
    if (code == PAGE_DELETE_PREPARE && page[1] == 0x0A && action == ACTION_DELETE_PREPARE) {
        return delete_step(a, r, page[3], 1);
    }
    if (code == PAGE_DELETE && page[1] == 0x2E && action == ACTION_DELETE_RELEASE) return delete_step(a, r, page[3], 2);
    if (code == PAGE_DELETE && page[1] == 0x2E && action == ACTION_DELETE_COMMIT) return delete_step(a, r, page[3], 3);
    if (code == PAGE_LOCATE && page[1] == 0x0E && action == ACTION_LOCATE) return locate(a, r, page[3], page[4]);
    if (!check_mode_page(page).empty()) return r.refuse(ASC_INVALID_FIELD_IN_PARAMETERS);
    store_mode_page(a, page);
    return r.complete();
}

// ---- MODE SENSE ------------------------------------------------------------

constexpr std::uint8_t DISABLE_BLOCK_DESCRIPTORS = 0x08;
constexpr std::uint8_t ALL_PAGES = 0x3F;
constexpr std::uint8_t PAGE_SAVEABLE = 0x80;
constexpr std::uint8_t CONTROL_CHANGEABLE = 1;
constexpr std::uint8_t CONTROL_DEFAULT = 2;

// A kept page as page control asks for it: current (and saved, since every
// select saves), default, or the mask of what a select may change.
mode_page sensed_page(const adapter& a, std::uint8_t code, std::uint8_t control)
{
    mode_page page = control == CONTROL_DEFAULT ? default_mode_page(code) : current_mode_page(a, code);
    if (control == CONTROL_CHANGEABLE) std::fill(page.begin() + 2, page.end(), 0xFF);
    page[0] |= PAGE_SAVEABLE;
    return page;
}

} // namespace

std::uint16_t scsi_read_buffer(adapter& a, std::span<std::uint8_t> record)
{
    scsi_request r(record);
    std::fill(r.data.begin(), r.data.end(), 0);
    if (r.cdb[0] == OP_READ_BUFFER) return read_buffer(a, r);
    if (r.cdb[0] == OP_SMART) return smart(a, r);
    return r.refuse(ASC_INVALID_OPERATION_CODE);
}

std::uint16_t scsi_mode_select(adapter& a, std::span<std::uint8_t> record)
{
    scsi_request r(record);
    if (r.cdb[0] != OP_MODE_SELECT) return r.refuse(ASC_INVALID_OPERATION_CODE);
    if ((r.cdb[1] & PAGE_FORMAT) == 0) return r.refuse(ASC_INVALID_FIELD_IN_CDB);
    const std::size_t list = std::min<std::size_t>(r.cdb[4], r.data.size());
    // No parameter data is no change, and no error.
    if (list == 0) return r.complete();
    if (list < MODE_HEADER_SIZE) return r.refuse(ASC_PARAMETER_LIST_LENGTH);
    const std::size_t descriptors = r.data[3];
    if (descriptors != 0 && descriptors != BLOCK_DESCRIPTOR_SIZE) return r.refuse(ASC_INVALID_FIELD_IN_PARAMETERS);
    const std::size_t at = MODE_HEADER_SIZE + descriptors;
    if (at + 2 > list || at + 2 + r.data[at + 1] > list) return r.refuse(ASC_PARAMETER_LIST_LENGTH);
    return select_page(a, r, r.data.subspan(at, 2 + std::size_t{r.data[at + 1]}));
}

std::uint16_t scsi_mode_sense(adapter& a, std::span<std::uint8_t> record)
{
    scsi_request r(record);
    std::fill(r.data.begin(), r.data.end(), 0);
    if (r.cdb[0] != OP_MODE_SENSE) return r.refuse(ASC_INVALID_OPERATION_CODE);
    const std::uint8_t code = r.cdb[2] & PAGE_CODE_MASK;
    const std::uint8_t control = r.cdb[2] >> 6;
    std::vector<std::uint8_t> answer(MODE_HEADER_SIZE, 0);
    if ((r.cdb[1] & DISABLE_BLOCK_DESCRIPTORS) == 0) {
        // One descriptor: all blocks, 512 bytes each.
        answer[3] = BLOCK_DESCRIPTOR_SIZE;
        answer.insert(answer.end(), {0, 0, 0, 0, 0, 0x00, 0x02, 0x00});
    }
    if (code == ALL_PAGES) {
        for (std::uint8_t kept : kept_page_codes()) {
            const mode_page page = sensed_page(a, kept, control);
            answer.insert(answer.end(), page.begin(), page.end());
        }
    } else if (!default_mode_page(code).empty()) {
        const mode_page page = sensed_page(a, code, control);
        answer.insert(answer.end(), page.begin(), page.end());
    } else {
        return r.refuse(ASC_INVALID_FIELD_IN_CDB);
    }
    answer[0] = static_cast<std::uint8_t>(answer.size() - 1);
    std::copy_n(answer.begin(), std::min({answer.size(), std::size_t{r.cdb[4]}, r.data.size()}), r.data.begin());
    return r.complete();
}

// Firmware download: mode 5 (download microcode with offsets and save),
// buffer id 1, offset and length in bytes 3-5 and 6-8. The update tools read
// only the status word, so a refused piece also fails in it.
std::uint16_t scsi_write_buffer(adapter& a, std::span<std::uint8_t> record)
{
    constexpr std::uint8_t MODE_DOWNLOAD_SAVE = 0x05;
    constexpr std::uint8_t FIRMWARE_BUFFER = 0x01;
    scsi_request r(record);
    const std::size_t offset = r.cdb24(3);
    const std::size_t length = r.cdb24(6);
    std::uint8_t refusal = ASC_INVALID_OPERATION_CODE;
    if (r.cdb[0] == OP_WRITE_BUFFER) {
        refusal = ASC_INVALID_FIELD_IN_CDB;
        if ((r.cdb[1] & 0x1F) == MODE_DOWNLOAD_SAVE && r.cdb[2] == FIRMWARE_BUFFER && length != 0 &&
            length <= r.data.size()) {
            refusal = write_flash_piece(a, offset, r.data.first(length));
        }
    }
    if (refusal == 0) return r.complete();
    (void)r.refuse(refusal);
    return zan::IOC_STATUS_FAILURE;
}

} // namespace sim
