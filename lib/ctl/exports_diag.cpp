// Diagnostic data exports: the adapter's event log and NVRAM, SMART data of a
// physical drive, and the general MODE SENSE, MODE SELECT and READ BUFFER.
#include <algorithm>
#include <cstring>

#include "controller_table.h"
#include "export_support.h"
#include "request.h"
#include "scsi_forms.h"
#include "zandllctl.h"
#include "zanioctl.h"

using namespace zan;

namespace {

// Adapter buffers read in 512-byte blocks.
struct block_buffer {
    std::uint8_t mode;
    std::uint8_t buffer_id;
};

constexpr block_buffer EVENT_LOG = {1, 0xA6};
constexpr block_buffer NVRAM = {2, 0x08};
constexpr std::uint32_t NVRAM_BLOCKS = NVRAM_SIZE / LOG_BLOCK_SIZE;

// ReadBuffer reaches blocks 0-255 of a buffer.
constexpr std::uint32_t READ_BUFFER_BLOCKS = 256;

constexpr std::uint32_t SMART_STATUS_SIZE = 1;

// Reads block `block` of an adapter buffer into `out` (512 bytes); the
// completion triple goes to `completion` when it is given.
bool read_block(const export_entry& entry, std::uint8_t controller, const block_buffer& source, std::uint32_t block,
                std::uint8_t* out, std::uint8_t* completion = nullptr)
{
    work_record record = {};
    scsi_forms::put_read_buffer(record, source.mode, source.buffer_id, block * LOG_BLOCK_SIZE, LOG_BLOCK_SIZE);
    if (!send_request(entry, controller, IOCTL_KRAID_SCSI_READ_BUFFER, record)) return false;
    const auto data = scsi_forms::answered_data(record, LOG_BLOCK_SIZE);
    std::copy(data.begin(), data.end(), out);
    if (completion != nullptr) scsi_forms::take_completion(record, completion);
    return true;
}

// The three SMART exports: one request for one drive, `size` bytes back.
BOOL32 read_smart(const char* name, scsi_forms::smart_request request, std::uint32_t size, int CONTno, int HDDno,
                  std::uint8_t* buffer)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t drive = low_byte(HDDno);
    const export_entry entry(name, "CONTno = %d, HDDno=%d\n", controller, drive);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, buffer) || !check_drive(entry, drive)) {
            return 0;
        }
        std::memset(buffer, 0, size);

        work_record record = {};
        scsi_forms::put_smart_request(record, request, drive, size);
        if (!send_request(entry, controller, IOCTL_KRAID_SCSI_READ_BUFFER, record)) return 0;
        const auto data = scsi_forms::answered_data(record, size);
        std::copy(data.begin(), data.end(), buffer);
        return 1;
    });
}

} // namespace

extern "C" {

ZANEXPORT BOOL32 ZANAPI getLOGinfo(int CONTno, std::uint8_t* buffer, std::uint32_t index, std::uint32_t size,
                                   std::uint32_t* returned)
{
    const std::uint8_t controller = low_byte(CONTno);
    const export_entry entry("getLOGinfo", "CONTno = %d, index=%d\n", controller, static_cast<int>(index));
    return entry.run([&] {
        if (!check_controller(entry, controller)) return 0;
        if (index >= LOG_BLOCK_COUNT) {
            (void)argument_failed(entry, __LINE__, DLL_ARG_ERROR_LOGINDEX);
            return 0;
        }
        if (!check_pointer(entry, buffer) || !check_pointer(entry, returned)) return 0;

        // Whole blocks only, and none past the end of the log.
        const std::uint32_t blocks = std::min<std::uint32_t>(size / LOG_BLOCK_SIZE, LOG_BLOCK_COUNT - index);
        std::memset(buffer, 0, blocks * LOG_BLOCK_SIZE);
        *returned = 0;
        for (std::uint32_t i = 0; i < blocks; ++i) {
            if (!read_block(entry, controller, EVENT_LOG, index + i, buffer + i * LOG_BLOCK_SIZE)) return 0;
            *returned += LOG_BLOCK_SIZE;
        }
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getNVRAMdata(int CONTno, std::uint8_t* buffer)
{
    const std::uint8_t controller = low_byte(CONTno);
    const export_entry entry("getNVRAMdata", "CONTno = %d\n", controller);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, buffer)) return 0;
        std::memset(buffer, 0, LOG_BLOCK_SIZE);
        for (std::uint32_t block = 0; block < NVRAM_BLOCKS; ++block) {
            if (!read_block(entry, controller, NVRAM, block, buffer + block * LOG_BLOCK_SIZE)) return 0;
        }
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI getSMARTInfo(int CONTno, int HDDno, std::uint8_t* buffer)
{
    return read_smart("getSMARTInfo", scsi_forms::smart_request::data, SMART_DATA_SIZE, CONTno, HDDno, buffer);
}

ZANEXPORT BOOL32 ZANAPI getSMARTThreshold(int CONTno, int HDDno, std::uint8_t* buffer)
{
    return read_smart("getSMARTThreshold", scsi_forms::smart_request::thresholds, SMART_DATA_SIZE, CONTno, HDDno,
                      buffer);
}

ZANEXPORT BOOL32 ZANAPI getSMARTsts(int CONTno, int HDDno, std::uint8_t* status)
{
    return read_smart("getSMARTsts", scsi_forms::smart_request::status, SMART_STATUS_SIZE, CONTno, HDDno, status);
}

ZANEXPORT BOOL32 ZANAPI ModeSense(int CONTno, int page, int length, std::uint8_t* buffer, std::uint8_t* completion)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t wanted = low_byte(length);
    const export_entry entry("ModeSense", "CONTno = %d \n", controller);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, buffer) ||
            !check_pointer(entry, completion)) {
            return 0;
        }
        std::memset(buffer, 0, wanted);

        work_record record = {};
        scsi_forms::put_mode_sense(record, low_byte(page), wanted);
        if (!send_request(entry, controller, IOCTL_KRAID_SCSI_MODE_SENSE, record)) return 0;
        const auto data = scsi_forms::answered_data(record, wanted);
        std::copy(data.begin(), data.end(), buffer);
        scsi_forms::take_completion(record, completion);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI ModeSelect(int CONTno, int page_length, const std::uint8_t* page, std::uint8_t* completion)
{
    const std::uint8_t controller = low_byte(CONTno);
    const std::uint8_t length = low_byte(page_length);
    const export_entry entry("ModeSelect", "CONTno = %d\n", controller);
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, page) ||
            !check_pointer(entry, completion)) {
            return 0;
        }
        if (length > scsi_forms::MAX_MODE_SELECT_PAGE) {
            (void)argument_failed(entry, __LINE__, DLL_ARG_ERROR_SIZESPEC);
            return 0;
        }

        work_record record = {};
        scsi_forms::put_mode_select(record, {page, length});
        if (!send_request(entry, controller, IOCTL_KRAID_SCSI_MODE_SELECT, record)) return 0;
        scsi_forms::take_completion(record, completion);
        return 1;
    });
}

ZANEXPORT BOOL32 ZANAPI ReadBuffer(int CONTno, int mode, int buffer_id, std::uint32_t BufferSize,
                                   std::uint32_t offset, std::uint8_t* buffer, std::uint8_t* completion)
{
    const std::uint8_t controller = low_byte(CONTno);
    const block_buffer source = {low_byte(mode), low_byte(buffer_id)};
    const export_entry entry("ReadBuffer", "CONTno = %d, BufferID=0x%x, BufferSize=0x%x, Offset=%d\n", controller,
                             source.buffer_id, BufferSize, static_cast<int>(offset));
    return entry.run([&] {
        if (!check_controller(entry, controller) || !check_pointer(entry, buffer) ||
            !check_pointer(entry, completion)) {
            return 0;
        }
        if (BufferSize > READ_BUFFER_BLOCKS || offset > READ_BUFFER_BLOCKS - BufferSize) {
            (void)argument_failed(entry, __LINE__, DLL_ARG_ERROR_SIZESPEC);
            return 0;
        }
        std::memset(buffer, 0, BufferSize * LOG_BLOCK_SIZE);
        std::memset(completion, 0, COMPLETION_AREA_SIZE);

        // A block the adapter refuses ends the read: the caller sees its triple.
        for (std::uint32_t i = 0; i < BufferSize && scsi_forms::accepted(completion); ++i) {
            if (!read_block(entry, controller, source, offset + i, buffer + i * LOG_BLOCK_SIZE, completion)) {
                return 0;
            }
        }
        return 1;
    });
}

} // extern "C"
