// The driver control envelope shared by every sender of control requests:
// the SRB_IO_CONTROL header, the control codes with their record sizes and
// status-word positions, the status codes and the SCSI request record.
// Header-only, so that programs that link no library of the suite can use it.
#ifndef ZANIOCTL_H
#define ZANIOCTL_H

#include <cstddef>
#include <cstdint>

#include "zanbytes.h"

namespace zan {

// The Windows control code that carries every request to the miniport driver.
inline constexpr std::uint32_t IOCTL_SCSI_MINIPORT = 0x0004D008;

// SRB_IO_CONTROL, immediately followed by the request record.
struct SRB_IO_CONTROL {
    le32 HeaderLength;
    u8 Signature[8];
    le32 Timeout;
    le32 ControlCode;
    le32 ReturnCode;
    le32 Length;
};
static_assert(sizeof(SRB_IO_CONTROL) == 28);
static_assert(offsetof(SRB_IO_CONTROL, Signature) == 4);
static_assert(offsetof(SRB_IO_CONTROL, Timeout) == 12);
static_assert(offsetof(SRB_IO_CONTROL, ControlCode) == 16);
static_assert(offsetof(SRB_IO_CONTROL, ReturnCode) == 20);
static_assert(offsetof(SRB_IO_CONTROL, Length) == 24);

inline constexpr std::uint32_t ENVELOPE_HEADER_LENGTH = 28;

// The two signature forms the driver accepts.
inline constexpr u8 SIGNATURE_CONTROL[8] = {'Z', 'A', 'N', 'C', 'T', 'L', ' ', 0};   // library, firmware download
inline constexpr u8 SIGNATURE_SERVICE[8] = {'Z', 'A', 'N', 'C', 'T', 'L', ' ', ' '}; // service, log tool

// Control codes.
inline constexpr std::uint32_t IOCTL_KRAID_GET_RAID_STATUS = 0xA1D0E004;
inline constexpr std::uint32_t IOCTL_KRAID_GET_LOGICAL_DISK_INFO = 0xA1D0E008;
inline constexpr std::uint32_t IOCTL_KRAID_GET_HDD_INFO = 0xA1D0E00C;
inline constexpr std::uint32_t IOCTL_KRAID_GET_CONTROLLER_INFO = 0xA1D0E010;
inline constexpr std::uint32_t IOCTL_KRAID_CREATE_LOGICAL_DISK = 0xA1D0E014;
inline constexpr std::uint32_t IOCTL_KRAID_CONFIG_LOGICAL_DISK = 0xA1D0E018;
inline constexpr std::uint32_t IOCTL_KRAID_CONFIG_CONTROLLER = 0xA1D0E028;
inline constexpr std::uint32_t IOCTL_KRAID_CONFIG_HOT_SPARE = 0xA1D0E02C;
inline constexpr std::uint32_t IOCTL_KRAID_GET_RESTORE_STATUS = 0xA1D0E030;
inline constexpr std::uint32_t IOCTL_KRAID_GET_RESTORE_LOGICAL_DISK_INFO = 0xA1D0E034;
inline constexpr std::uint32_t IOCTL_KRAID_CONFIG_RESTORE = 0xA1D0E038;
inline constexpr std::uint32_t IOCTL_KRAID_CONFIG_HDD_STATUS = 0xA1D0E040;
inline constexpr std::uint32_t IOCTL_KRAID_CONFIG_FAULT_RECOVERY = 0xA1D0E044;
inline constexpr std::uint32_t IOCTL_KRAID_GET_EVENT_LOG = 0xA1D0E080;
inline constexpr std::uint32_t IOCTL_KRAID_GET_DUMP_INFO = 0xA1D0E084;
inline constexpr std::uint32_t IOCTL_KRAID_GET_DUMP_DATA = 0xA1D0E088;
inline constexpr std::uint32_t IOCTL_KRAID_GET_GLIST_INFO = 0xA1D0E0C0;
inline constexpr std::uint32_t IOCTL_KRAID_SET_GLIST_INFO = 0xA1D0E0C4;
inline constexpr std::uint32_t IOCTL_KRAID_SCSI_MODE_SELECT = 0xA1D0E100;
inline constexpr std::uint32_t IOCTL_KRAID_SCSI_MODE_SENSE = 0xA1D0E104;
inline constexpr std::uint32_t IOCTL_KRAID_SCSI_READ_BUFFER = 0xA1D0E108;
inline constexpr std::uint32_t IOCTL_KRAID_SCSI_WRITE_BUFFER = 0xA1D0E10C;
inline constexpr std::uint32_t IOCTL_KRAID_SET_SERVICE_STATE = 0xA1D0E140;

// Length of the large transfers (firmware download, log tool reads).
inline constexpr std::uint32_t LARGE_TRANSFER_LENGTH = 131096;

// Record size and status-word position of every control code the driver knows.
struct control_code_layout {
    std::uint32_t code;
    std::uint32_t record_size;
    std::uint32_t status_offset;
};

inline constexpr control_code_layout CONTROL_CODE_LAYOUTS[] = {
    {IOCTL_KRAID_GET_RAID_STATUS, 100, 10},
    {IOCTL_KRAID_GET_LOGICAL_DISK_INFO, 232, 10},
    {IOCTL_KRAID_GET_HDD_INFO, 124, 10},
    {IOCTL_KRAID_GET_CONTROLLER_INFO, 84, 10},
    {IOCTL_KRAID_CREATE_LOGICAL_DISK, 108, 94},
    {IOCTL_KRAID_CONFIG_LOGICAL_DISK, 26, 14},
    {IOCTL_KRAID_CONFIG_CONTROLLER, 38, 18},
    {IOCTL_KRAID_CONFIG_HOT_SPARE, 24, 12},
    {IOCTL_KRAID_GET_RESTORE_STATUS, 36, 10},
    {IOCTL_KRAID_GET_RESTORE_LOGICAL_DISK_INFO, 232, 10},
    {IOCTL_KRAID_CONFIG_RESTORE, 40, 28},
    {IOCTL_KRAID_CONFIG_HDD_STATUS, 24, 12},
    {IOCTL_KRAID_CONFIG_FAULT_RECOVERY, 24, 12},
    {IOCTL_KRAID_GET_EVENT_LOG, 524, 8},
    {IOCTL_KRAID_GET_DUMP_INFO, 276, 2},
    {IOCTL_KRAID_GET_DUMP_DATA, 524, 8},
    {IOCTL_KRAID_GET_GLIST_INFO, 18, 8},
    {IOCTL_KRAID_SET_GLIST_INFO, 18, 16},
    {IOCTL_KRAID_SCSI_MODE_SELECT, 278, 0},
    {IOCTL_KRAID_SCSI_MODE_SENSE, 278, 0},
    {IOCTL_KRAID_SCSI_READ_BUFFER, 534, 0},
    {IOCTL_KRAID_SCSI_WRITE_BUFFER, LARGE_TRANSFER_LENGTH, 0},
    {IOCTL_KRAID_SET_SERVICE_STATE, 6, 2},
};

// The layout of a control code, or nullptr for a code the driver does not know.
constexpr const control_code_layout* find_control_code(std::uint32_t code)
{
    for (const auto& layout : CONTROL_CODE_LAYOUTS) {
        if (layout.code == code) return &layout;
    }
    return nullptr;
}

// Driver status codes (the 16-bit status word inside the request record).
inline constexpr std::uint16_t IOC_STATUS_GOOD = 0x0000;
inline constexpr std::uint16_t IOC_STATUS_DEVICE_BUSY = 0x8001;
inline constexpr std::uint16_t IOC_STATUS_CANSELED = 0x8002;
inline constexpr std::uint16_t IOC_STATUS_INVALID_PARAM = 0x8003;
inline constexpr std::uint16_t IOC_STATUS_NO_RESOURCE = 0x8004;
inline constexpr std::uint16_t IOC_STATUS_FAILURE = 0x8005;
inline constexpr std::uint16_t IOC_STATUS_SAVE_CONFIG_INFO_FAILED = 0x8012;
inline constexpr std::uint16_t IOC_STATUS_PARITY_CHK_FAILED = 0x8013;
inline constexpr std::uint16_t IOC_STATUS_PARITY_WRT_FAILED = 0x8014;
inline constexpr std::uint16_t IOC_STATUS_CANCEL_PARITY_FAILED = 0x8015;
inline constexpr std::uint16_t IOC_STATUS_REBUILD_FAILED = 0x8016;
inline constexpr std::uint16_t IOC_STATUS_DEFRAG_FAILED = 0x8017;
inline constexpr std::uint16_t IOC_STATUS_CANCEL_DEFRAG_FAILED = 0x8018;
inline constexpr std::uint16_t IOC_STATUS_CONFIG_HDD_STATUS_FAILED = 0x8019;
inline constexpr std::uint16_t IOC_STATUS_HDDS_NOT_EXIST = 0x801A;
inline constexpr std::uint16_t IOC_STATUS_HDD_IS_NOT_GOOD = 0x801B;
inline constexpr std::uint16_t IOC_STATUS_HDD_CAPA_MISSMATCH = 0x801C;
inline constexpr std::uint16_t IOC_STATUS_LD_STATUS_IS_ALAM = 0x801D;
inline constexpr std::uint16_t IOC_STATUS_HDD_IS_USED = 0x801E;

// ScsiRequestRecord: a SCSI command the driver carries to the adapter itself
// (mode select, mode sense, read buffer, write buffer).
inline constexpr std::size_t SCSI_REQUEST_STATUS = 0;     // u16 driver status word
inline constexpr std::size_t SCSI_REQUEST_COMPLETION = 3; // 3-byte completion triple
inline constexpr std::size_t SCSI_REQUEST_CDB = 6;        // 16-byte CDB
inline constexpr std::size_t SCSI_REQUEST_CDB_SIZE = 16;
inline constexpr std::size_t SCSI_REQUEST_DATA = 22;      // data out or data in

} // namespace zan

#endif
