// The SCSI commands the library carries to the adapter itself inside a
// ScsiRequestRecord: READ BUFFER (and its SMART form), MODE SENSE(6) and
// MODE SELECT(6) with its parameter list, and the adapter's vendor mode pages.
// Every CDB and page the exports send is built here.
#ifndef ZAN_SCSI_FORMS_H
#define ZAN_SCSI_FORMS_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "request.h"
#include "zanbytes.h"

namespace zan::scsi_forms {

// READ BUFFER(10), and the SMART request that shares its layout.
struct read_buffer_cdb {
    u8 operation;
    u8 mode;                 // READ BUFFER mode, or 1 for SMART
    u8 buffer_id;            // buffer id, or the SMART request
    be24 offset;             // bytes; SMART: drive number in the last byte
    be24 allocation_length;
    u8 control;
};
static_assert(sizeof(read_buffer_cdb) == 10);
static_assert(offsetof(read_buffer_cdb, offset) == 3);
static_assert(offsetof(read_buffer_cdb, allocation_length) == 6);

// MODE SENSE(6) and MODE SELECT(6).
struct mode_cdb {
    u8 operation;
    u8 flags;                // SENSE: 0x08 block descriptors disabled; SELECT: 0x11 PF and SP
    u8 page;                 // SENSE: page control 0 and page code
    u8 reserved3;
    u8 length;               // SENSE: allocation length; SELECT: parameter list length
    u8 control;
};
static_assert(sizeof(mode_cdb) == 6);

// What MODE SELECT sends ahead of the page: the mode parameter header and one
// block descriptor of 512-byte blocks.
struct mode_parameter_header {
    u8 mode_data_length;
    u8 medium_type;
    u8 device_specific;
    u8 block_descriptor_length; // 8
    u8 density_code;
    be24 block_count;
    u8 reserved8;
    be24 block_length;          // 512
};
static_assert(sizeof(mode_parameter_header) == 12);
static_assert(offsetof(mode_parameter_header, block_length) == 9);

inline constexpr std::size_t BLOCK_SIZE = 512;

// The longest page MODE SELECT can carry: its parameter list length is one
// CDB byte, so header and page together stay below 256 bytes.
inline constexpr std::size_t MAX_MODE_SELECT_PAGE = 0xFF - sizeof(mode_parameter_header);

// SMART requests.
enum class smart_request : std::uint8_t { data = 1, thresholds = 2, status = 3 };

// READ BUFFER of `length` bytes at byte `offset` of a buffer of the adapter.
void put_read_buffer(work_record& record, std::uint8_t mode, std::uint8_t buffer_id, std::uint32_t offset,
                     std::uint32_t length);

// A SMART request for one physical drive.
void put_smart_request(work_record& record, smart_request request, std::uint8_t drive, std::uint32_t length);

// MODE SENSE of the current values of page `page` (its low 6 bits).
void put_mode_sense(work_record& record, std::uint8_t page, std::uint8_t allocation_length);

// MODE SELECT of one page, with header and block descriptor ahead of it.
// The page is at most MAX_MODE_SELECT_PAGE bytes.
void put_mode_select(work_record& record, std::span<const std::uint8_t> page);

// The data the adapter returned.
std::span<const std::uint8_t> answered_data(const work_record& record, std::size_t length);

// Hands the completion triple of an answered record to a caller's 4-byte
// area (the fourth byte zero).
void take_completion(const work_record& record, std::uint8_t* area);

// Whether a completion area says the adapter accepted the command.
constexpr bool accepted(const std::uint8_t* area)
{
    return area[0] == 0;
}

// The adapter's vendor mode pages: page code, page length as given to
// MODE SELECT, and the operation they carry.
struct vendor_page_form {
    std::uint8_t page_code;
    std::uint8_t length;
    std::uint8_t operation;
};

inline constexpr vendor_page_form DELETE_LD_CONFIGURATION = {0x3A, 12, 0x02};
inline constexpr vendor_page_form DELETE_LD_ARRAY = {0x30, 48, 0x11};
inline constexpr vendor_page_form DELETE_LD_FINISH = {0x30, 48, 0x04};
inline constexpr vendor_page_form LOCATE_LED = {0x3C, 16, 0x32};

inline constexpr std::size_t MAX_VENDOR_PAGE = 48;

struct vendor_page {
    std::array<std::uint8_t, MAX_VENDOR_PAGE> bytes;
    std::uint8_t length;
};

// A vendor page for one logical or physical drive (`target`), with an
// operation value (the LED mode) where the page has one.
vendor_page build_vendor_page(const vendor_page_form& form, std::uint8_t target, std::uint8_t value = 0);

} // namespace zan::scsi_forms

#endif
