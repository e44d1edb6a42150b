// A physical drive answering the SCSI commands the adapter forwards to it,
// as a SAS drive does: GOOD, or CHECK CONDITION with fixed-format sense data.
#ifndef SIM_ENGINE_DRIVE_SCSI_H
#define SIM_ENGINE_DRIVE_SCSI_H

#include <array>
#include <cstdint>
#include <span>

#include "data_blocks.h"
#include "dispatch.h"
#include "model.h"

namespace sim {

inline constexpr std::uint8_t SCSI_GOOD = 0x00;
inline constexpr std::uint8_t SENSE_NOT_READY = 0x02;
inline constexpr std::uint8_t ASC_NOT_READY = 0x04;
inline constexpr std::uint8_t ASCQ_BECOMING_READY = 0x01;
inline constexpr std::uint8_t ASCQ_START_REQUIRED = 0x02;
inline constexpr std::uint8_t ASCQ_MANUAL_INTERVENTION = 0x03;
inline constexpr std::uint8_t SENSE_HARDWARE_ERROR = 0x04;
inline constexpr std::uint8_t ASC_LBA_OUT_OF_RANGE = 0x21;

inline constexpr std::uint8_t SENSE_MEDIUM_ERROR = 0x03;
inline constexpr std::uint8_t ASC_UNRECOVERED_READ_ERROR = 0x11;

inline constexpr std::uint8_t OP_READ_10 = 0x28;
inline constexpr std::uint8_t OP_WRITE_10 = 0x2A;

// A long block: the 512 data bytes and the ECC bytes the drive keeps with them.
inline constexpr std::uint32_t ECC_BYTES = 40;
inline constexpr std::uint32_t LONG_BLOCK_BYTES = 512 + ECC_BYTES;

// Fixed-format sense data (response code 0x70): sense key at byte 2, the
// information field at bytes 3-6 (valid bit set when given), ASC and ASCQ at
// bytes 12 and 13.
inline constexpr std::size_t FIXED_SENSE_LENGTH = 18;
using fixed_sense = std::array<std::uint8_t, FIXED_SENSE_LENGTH>;
fixed_sense build_sense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, bool information_valid = false,
                        std::uint32_t information = 0);

struct drive_reply {
    std::uint8_t status = SCSI_GOOD;
    std::uint32_t transferred = 0;     // data bytes moved in
    std::uint32_t sense_length = 0;    // 0, or FIXED_SENSE_LENGTH with CHECK CONDITION
    fixed_sense sense = {};

    void check_condition(const fixed_sense& s)
    {
        status = SCSI_CHECK_CONDITION;
        sense = s;
        sense_length = FIXED_SENSE_LENGTH;
    }
};

// Starts the spindle (counted; ready at once or after `spin_up_polls` TEST
// UNIT READYs) or stops it.
void set_spindle(physical_drive& d, bool start);

// Carries out the drive's own command `cdb` (the forwarded command without
// the adapter's wrapper) on the present drive `hdd`. `data_in` is where data
// the command returns goes (empty when the host takes none), `data_out` what
// the host sends. The drive's state changes as the command says: spindle,
// start-stop count, saved logs, mode pages and capacity, microcode and a
// chosen answer used up; READ(10) and WRITE(10) reach its blocks in
// `blocks` (without one they are refused).
drive_reply drive_command(adapter& a, std::uint32_t hdd, std::span<const std::uint8_t> cdb,
                          std::span<std::uint8_t> data_in, std::span<const std::uint8_t> data_out = {},
                          block_store* blocks = nullptr);

} // namespace sim

#endif
