// zandllpth: the pass-through library of the Zan RAID adapters.
//
// Sends one SCSI command at a time, either wrapped to a physical drive behind
// the adapter (target 0: the adapter's RAID disk forwards it) or plainly to a
// Windows disk (target 1). Exports use C linkage and the Windows standard
// calling convention and return a result code (ZANPAS_*); on failure the
// caller's out buffer receives the detail (a reason byte, a text or the
// drive's sense data, see the result codes).
#ifndef ZANDLLPTH_H
#define ZANDLLPTH_H

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define ZANPASAPI __stdcall
#else
#define ZANPASAPI
#endif

#if defined(ZANDLLPTH_BUILD) && !defined(_WIN32)
#define ZANPASEXPORT __attribute__((visibility("default")))
#else
#define ZANPASEXPORT
#endif

namespace zan {

// The caller's request: filled by the caller, the SCSI status written back.
struct ZanPasRequest {
    std::uint8_t must_be_zero[4];  // u32, any other value: ZANPAS_NOT_ZERO
    std::uint8_t target[4];        // u32: ZANPAS_TARGET_RAID_DISK or ZANPAS_TARGET_DISK
    std::uint8_t disk_number;      // n of \\.\PHYSICALDRIVEn (target 1)
    std::uint8_t caller_byte;      // not read by the library (the tools keep the controller here)
    std::uint8_t direction;        // ZANPAS_DATA_OUT, ZANPAS_DATA_IN, anything else: no copies
    std::uint8_t cdb[16];          // wrapped (target 0) or plain (target 1) command
    std::uint8_t unused27;
    std::uint8_t cdb_length[4];    // u32; its low byte is sent
    std::uint8_t scsi_status;      // written back: the drive's SCSI status
    std::uint8_t unused33[3];
};
static_assert(sizeof(ZanPasRequest) == 36);
static_assert(offsetof(ZanPasRequest, target) == 4);
static_assert(offsetof(ZanPasRequest, disk_number) == 8);
static_assert(offsetof(ZanPasRequest, direction) == 10);
static_assert(offsetof(ZanPasRequest, cdb) == 11);
static_assert(offsetof(ZanPasRequest, cdb_length) == 28);
static_assert(offsetof(ZanPasRequest, scsi_status) == 32);

// u32 fields of the request are little-endian (the Windows byte order).
inline constexpr std::uint32_t ZANPAS_TARGET_RAID_DISK = 0;
inline constexpr std::uint32_t ZANPAS_TARGET_DISK = 1;

inline constexpr std::uint8_t ZANPAS_DATA_OUT = 0;
inline constexpr std::uint8_t ZANPAS_DATA_IN = 1;
inline constexpr std::uint8_t ZANPAS_NO_DATA = 0xFF; // what the tools pass for commands without data

// Vendor wrapper bytes of a target-0 command: byte 0, the physical drive in
// byte 1, the drive's own command from byte 2.
inline constexpr std::uint8_t ZANPAS_WRAP_DATA_IN = 0xBB;
inline constexpr std::uint8_t ZANPAS_WRAP_DATA_OUT = 0xBA;
inline constexpr std::size_t ZANPAS_WRAP_LENGTH = 2;

// Result codes.
inline constexpr int ZANPAS_OK = 0;              // completed, or a zero data length
inline constexpr int ZANPAS_ARGUMENT = 1;        // out[0]: a ZANPAS_ARG_* reason (nothing when out is null)
inline constexpr int ZANPAS_NOT_ZERO = 2;        // request offset 0 is not 0
inline constexpr int ZANPAS_IO_FAILED = 3;       // out: "%d" with the system error
inline constexpr int ZANPAS_SCSI_STATUS = 4;     // out: sense data; request scsi_status set
inline constexpr int ZANPAS_OPEN_FAILED = 5;     // out: "<step>,%d" with the system error
inline constexpr int ZANPAS_BUSY = 6;            // another pass-through is in progress
inline constexpr int ZANPAS_NO_MEMORY = 7;       // out: "%d" with the system error

// Reasons of ZANPAS_ARGUMENT in out[0].
inline constexpr std::uint8_t ZANPAS_ARG_REQUEST = 1;   // request null, wrong target or operation code
inline constexpr std::uint8_t ZANPAS_ARG_DATA = 2;      // data pointer null
inline constexpr std::uint8_t ZANPAS_ARG_LENGTH = 3;    // data length missing or zero
inline constexpr std::uint8_t ZANPAS_ARG_OUT_SIZE = 5;  // out size pointer null or zero

} // namespace zan

extern "C" {

// The general command: the caller's CDB unchanged. `length` in: bytes to send
// or receive (0 allowed); out: bytes received. `out_size` in: the size of
// out; raised to the sense length when the sense data did not fit.
ZANPASEXPORT int ZANPASAPI ZanPasAnyCommand(zan::ZanPasRequest* request, void* data, std::uint32_t* length,
                                            char* out, std::uint32_t* out_size);

// Read-type wrappers: fill in the operation code, then as ZanPasAnyCommand
// (a zero or missing length is an argument error).
ZANPASEXPORT int ZANPASAPI ZanPasInquiry(zan::ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                                         std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasLogSense(zan::ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                                          std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasModeSense(zan::ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                                           std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasReadBuffer(zan::ZanPasRequest* request, void* data, std::uint32_t* length,
                                            char* out, std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasReadExtend(zan::ZanPasRequest* request, void* data, std::uint32_t* length,
                                            char* out, std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasReadLong(zan::ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                                          std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasRequestInternalLog(zan::ZanPasRequest* request, void* data,
                                                    std::uint32_t* length, char* out, std::uint32_t* out_size);

// Write-type wrappers: the CDB must already carry the operation code; the
// data length is passed by value.
ZANPASEXPORT int ZANPASAPI ZanPasModeSelect(zan::ZanPasRequest* request, void* data, std::uint32_t length, char* out,
                                            std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasWriteBuffer(zan::ZanPasRequest* request, void* data, std::uint32_t length,
                                             char* out, std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasWriteExtend(zan::ZanPasRequest* request, void* data, std::uint32_t length,
                                             char* out, std::uint32_t* out_size);
ZANPASEXPORT int ZANPASAPI ZanPasWriteLong(zan::ZanPasRequest* request, void* data, std::uint32_t length, char* out,
                                           std::uint32_t* out_size);

} // extern "C"

// The two shapes of export, for callers that look the functions up by name.
using ZanPasReadCall = int(ZANPASAPI*)(zan::ZanPasRequest*, void*, std::uint32_t*, char*, std::uint32_t*);
using ZanPasWriteCall = int(ZANPASAPI*)(zan::ZanPasRequest*, void*, std::uint32_t, char*, std::uint32_t*);

#endif
