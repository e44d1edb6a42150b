#include "dump.h"

#include <array>
#include <cstring>
#include <functional>
#include <string>

#include "driver_request.h"
#include "dump_folder.h"
#include "plat/error.h"
#include "reporter.h"
#include "zanbytes.h"
#include "zanioctl.h"

namespace zan {

namespace {

constexpr std::size_t DUMP_SIZE_AT = 164;
constexpr std::size_t DUMP_STATUS_AT = 171;
constexpr std::uint8_t DUMP_NOTHING = 0;
constexpr std::uint8_t DUMP_COLLECTED = 2;
constexpr std::size_t DUMP_DATA_OFFSET_AT = 4;
constexpr std::size_t DUMP_DATA_AT = 10;
constexpr std::uint8_t OP_READ_BUFFER = 0x3C;
constexpr std::uint8_t READ_BUFFER_DATA = 0x02;
constexpr std::uint8_t ADAPTER_MEMORY_BUFFER = 0x07;

constexpr std::uint32_t DUMP_INVALID_STATUS = 0xE0000104;
constexpr std::uint32_t DUMP_STOPPED = 0xA000010E;
constexpr std::uint32_t DUMP_CREATED = 0x6000010C;

using piece = std::array<std::uint8_t, DUMP_PIECE_BYTES>;
using piece_reader = std::function<bool(std::uint32_t offset, piece& out)>;

// GET_DUMP_DATA: 512 bytes of the stored dump from `offset`.
bool read_stored_piece(const dump_adapter& a, std::uint32_t offset, piece& out)
{
    std::array<std::uint8_t, 524> record{};
    record[0] = a.controller;
    store_le32(record.data() + DUMP_DATA_OFFSET_AT, offset);
    std::uint32_t os_error = 0;
    if (!send_driver_request(a.port, IOCTL_KRAID_GET_DUMP_DATA, record, os_error)) return false;
    std::memcpy(out.data(), record.data() + DUMP_DATA_AT, out.size());
    return true;
}

// READ BUFFER (data mode, adapter memory) of 512 bytes at `address`. A
// command the adapter ends in anything but GOOD read nothing.
bool read_memory_piece(const dump_adapter& a, std::uint32_t address, piece& out)
{
    std::array<std::uint8_t, 534> record{};
    const std::uint8_t cdb[] = {OP_READ_BUFFER,
                                READ_BUFFER_DATA,
                                ADAPTER_MEMORY_BUFFER,
                                static_cast<std::uint8_t>(address >> 16),
                                static_cast<std::uint8_t>(address >> 8),
                                static_cast<std::uint8_t>(address),
                                static_cast<std::uint8_t>(DUMP_PIECE_BYTES >> 16),
                                static_cast<std::uint8_t>(DUMP_PIECE_BYTES >> 8),
                                static_cast<std::uint8_t>(DUMP_PIECE_BYTES),
                                0x00};
    std::memcpy(record.data() + SCSI_REQUEST_CDB, cdb, sizeof cdb);
    std::uint32_t os_error = 0;
    if (!send_driver_request(a.port, IOCTL_KRAID_SCSI_READ_BUFFER, record, os_error) ||
        record[SCSI_REQUEST_COMPLETION] != 0) {
        return false;
    }
    std::memcpy(out.data(), record.data() + SCSI_REQUEST_DATA, out.size());
    return true;
}

// Reads `pieces` pieces into a new dump file and reports the outcome; the
// part written before a failed read or write stays.
void write_dump(const dump_adapter& a, std::uint64_t required, std::uint64_t pieces, std::uint32_t size,
                const piece_reader& read)
{
    plat::file file;
    if (!open_dump_file(a.index, required, file)) return;
    const std::string strings[] = {std::to_string(a.index)};
    piece data{};
    for (std::uint64_t n = 0; n < pieces; ++n) {
        if (!read(static_cast<std::uint32_t>(n * DUMP_PIECE_BYTES), data) || !file.write(data.data(), data.size())) {
            report_event(DUMP_STOPPED, strings, {}, a.index);
            file.close();
            return;
        }
    }
    if (!file.close_checked()) {
        report_dump_not_created(a.index, plat::last_error());
        return;
    }
    std::uint8_t raw[4];
    store_le32(raw, size);
    report_event(DUMP_CREATED, strings, raw, a.index);
}

} // namespace

std::uint64_t dump_pieces(std::uint32_t size)
{
    return (std::uint64_t{size} + DUMP_PIECE_BYTES - 1) / DUMP_PIECE_BYTES;
}

void save_stored_dump(const dump_adapter& a, std::span<const std::uint8_t> dump_info)
{
    const std::uint32_t size = load_le32(dump_info.data() + DUMP_SIZE_AT);
    const std::uint8_t status = dump_info[DUMP_STATUS_AT];
    if (status == DUMP_NOTHING || status == DUMP_COLLECTED) return;
    if (status != DUMP_READY) {
        // Reported with 255 in place of the adapter index, and for no adapter.
        const std::string strings[] = {"255", "ffffffff"};
        report_event(DUMP_INVALID_STATUS, strings, std::span(&status, 1), NO_ADAPTER);
        return;
    }
    write_dump(a, size, dump_pieces(size), size, [&a](std::uint32_t offset, piece& out) {
        return read_stored_piece(a, offset, out);
    });
}

void save_panic_dump(const dump_adapter& a)
{
    write_dump(a, PANIC_DUMP_BYTES, PANIC_DUMP_BYTES / DUMP_PIECE_BYTES, PANIC_DUMP_BYTES,
               [&a](std::uint32_t offset, piece& out) { return read_memory_piece(a, PANIC_DUMP_ADDRESS + offset, out); });
}

} // namespace zan
