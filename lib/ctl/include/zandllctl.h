// zandllctl: the controller control library of the Zan RAID adapters.
//
// Exports use C linkage and the Windows standard calling convention, return a
// 32-bit BOOL (1 success, 0 failure) and leave the reason in the calling
// thread's last error (DLLGetLastError). Numeric arguments are used by their
// low byte. Result records are caller-owned buffers of fixed size; their
// layouts below are at the same time the driver's wire format.
#ifndef ZANDLLCTL_H
#define ZANDLLCTL_H

#include <cstddef>
#include <cstdint>

#include "zanbytes.h"

#if defined(_WIN32)
#define ZANAPI __stdcall
#else
#define ZANAPI
#endif

#if defined(ZANDLLCTL_BUILD) && !defined(_WIN32)
#define ZANEXPORT __attribute__((visibility("default")))
#else
#define ZANEXPORT
#endif

namespace zan {

using BOOL32 = std::int32_t;

// ---- Library error codes (DLLGetLastError) --------------------------------
inline constexpr std::uint32_t DLL_ERROR_ARGUMENT = 0x00000010;
inline constexpr std::uint32_t DLL_ERROR_STATE_REFUSED = 0x00000020;
inline constexpr std::uint32_t DLL_ERROR_PARITY_MAKING_RUNNING = 0x00000021;
inline constexpr std::uint32_t DLL_ERROR_CONSISTENCY_CHECK_RUNNING = 0x00000022;
inline constexpr std::uint32_t DLL_ERROR_GROUP_NOT_DEFINED = 0x00000040;
inline constexpr std::uint32_t DLL_ERROR_INTERNAL = 0x00000100;
inline constexpr std::uint32_t DLL_ERROR_SYSTEM = 0x00000200;
inline constexpr std::uint32_t DLL_ERROR_DRIVER_FAILURE = 0x00001000;
inline constexpr std::uint32_t DLL_ERROR_DRIVER_REFUSED = 0x00002000;
inline constexpr std::uint32_t DLL_ERROR_MUTEX = 0x00004000;
inline constexpr std::uint32_t DLL_ERROR_IOCTL_BUSY = 0x00008000;
inline constexpr std::uint32_t DLL_ARG_ERROR_NO_SUCH_CONTROLLER = 0x00010000;
inline constexpr std::uint32_t DLL_ARG_ERROR_CONTNO = 0x00020000;
inline constexpr std::uint32_t DLL_ARG_ERROR_PRIORITY = 0x00040000;
inline constexpr std::uint32_t DLL_ARG_ERROR_GROUPNO = 0x00080000;
inline constexpr std::uint32_t DLL_ARG_ERROR_NULL = 0x00100000;
inline constexpr std::uint32_t DLL_ARG_ERROR_CONFIGLD = 0x00200000;
inline constexpr std::uint32_t DLL_ARG_ERROR_HDDNO = 0x00400000;
inline constexpr std::uint32_t DLL_ARG_ERROR_BUZZER = 0x00800000;
inline constexpr std::uint32_t DLL_ARG_ERROR_LOGINDEX = 0x01000000;
inline constexpr std::uint32_t DLL_ARG_ERROR_NVOFFSET = 0x02000000;
inline constexpr std::uint32_t DLL_ARG_ERROR_SIZESPEC = 0x04000000;
inline constexpr std::uint32_t DLL_ARG_ERROR_GLIST_PREVENTLIMIT = 0x08000000;
inline constexpr std::uint32_t DLL_ERROR_PASSED_UP = 0x10000000;

// ---- Limits ----------------------------------------------------------------
inline constexpr int MAX_CONTROLLERS = 4;
inline constexpr int MAX_GROUPS = 12; // logical drives 0-11 in adapter records
inline constexpr int MAX_HDDS = 12;   // physical drives 0-11 in adapter records
inline constexpr std::uint8_t ABSENT = 0xFF;

// ---- Records ---------------------------------------------------------------

// RaidStatus: the state of every logical and physical drive of an adapter.
struct RaidStatus {
    u8 reserved0[10];
    le16 status;
    u8 ld_state[MAX_GROUPS];     // logical-drive state, 0xFF = not defined
    u8 ld_state2[MAX_GROUPS];    // second per-logical-drive byte, same codes
    u8 hdd_state[MAX_HDDS];      // physical-drive state, 0xFF = no drive
    le32 event_log_position;     // index 0-4095 of the next event-log entry
    u8 reserved52[20];
    u8 battery_status;           // 0xFF = no battery or battery failed
    u8 reserved73[27];
};
static_assert(sizeof(RaidStatus) == 100);
static_assert(offsetof(RaidStatus, status) == 10);
static_assert(offsetof(RaidStatus, ld_state) == 12);
static_assert(offsetof(RaidStatus, ld_state2) == 24);
static_assert(offsetof(RaidStatus, hdd_state) == 36);
static_assert(offsetof(RaidStatus, event_log_position) == 48);
static_assert(offsetof(RaidStatus, battery_status) == 72);

// ContInfo: identity, versions, PCI location, memory and settings of an adapter.
struct ContInfo {
    u8 controller_id;
    u8 reserved1[9];
    le16 status;
    u8 pci_bus;
    u8 pci_device;
    u8 revision;
    u8 reserved15[5];
    char driver_version[8];      // not zero-terminated
    u8 reserved28[16];
    le32 total_memory_mb;
    le32 cache_size_mb;
    le32 write_cache_size_mb;
    le16 rebuild_priority_idle;  // 1 High, 2 Middle, 3 Low
    le16 rebuild_priority_busy;
    le16 patrol_read_delay;      // 1 High, 2 Middle, 3 Low
    u8 buzzer;                   // 0 off, 1 on
    u8 reserved63[3];
    char model_name[8];          // not zero-terminated
    char general_revision[4];    // firmware revision, not zero-terminated
    u8 port_number;              // filled in by the library
    u8 driver_kind;              // filled in by the library
    u8 reserved80[4];
};
static_assert(sizeof(ContInfo) == 84);
static_assert(offsetof(ContInfo, status) == 10);
static_assert(offsetof(ContInfo, pci_bus) == 12);
static_assert(offsetof(ContInfo, pci_device) == 13);
static_assert(offsetof(ContInfo, revision) == 14);
static_assert(offsetof(ContInfo, driver_version) == 20);
static_assert(offsetof(ContInfo, total_memory_mb) == 44);
static_assert(offsetof(ContInfo, cache_size_mb) == 48);
static_assert(offsetof(ContInfo, write_cache_size_mb) == 52);
static_assert(offsetof(ContInfo, rebuild_priority_idle) == 56);
static_assert(offsetof(ContInfo, rebuild_priority_busy) == 58);
static_assert(offsetof(ContInfo, patrol_read_delay) == 60);
static_assert(offsetof(ContInfo, buzzer) == 62);
static_assert(offsetof(ContInfo, model_name) == 66);
static_assert(offsetof(ContInfo, general_revision) == 74);
static_assert(offsetof(ContInfo, port_number) == 78);
static_assert(offsetof(ContInfo, driver_kind) == 79);

// ContPara: further adapter parameters (READ BUFFER mode 1, buffer id 0xA0).
struct ContPara {
    u8 reserved0[42];
    char boot_firmware_revision[22]; // zero-terminated
    u8 processor_revision[4];
    u8 reserved68;
    u8 adapter_version;
    u8 reserved70[22];
    u8 sas_address[8];
    char flash_rom1_revision[4];
    char flash_rom2_revision[4];
    u8 flash_rom_state;          // high nibble start bank, bit 0/1 ROM #1/#2 checksum good
    u8 reserved109[147];
};
static_assert(sizeof(ContPara) == 256);
static_assert(offsetof(ContPara, boot_firmware_revision) == 42);
static_assert(offsetof(ContPara, processor_revision) == 64);
static_assert(offsetof(ContPara, adapter_version) == 69);
static_assert(offsetof(ContPara, sas_address) == 92);
static_assert(offsetof(ContPara, flash_rom1_revision) == 100);
static_assert(offsetof(ContPara, flash_rom2_revision) == 104);
static_assert(offsetof(ContPara, flash_rom_state) == 108);

// One member entry of a logical drive.
struct MemberEntry {
    u8 hdd;                      // physical-drive number
    u8 role;                     // 0 data drive, 2 group hot spare, 3 spare in use
    u8 drive_state;              // restore candidates: the member's drive state, 0xFF absent
    u8 reserved3[2];
    u8 position;                 // position shown after the role (D2, S0)
};
static_assert(sizeof(MemberEntry) == 6);
static_assert(offsetof(MemberEntry, drive_state) == 2);
static_assert(offsetof(MemberEntry, position) == 5);

// LogicalDriveInfo: one logical drive (also a restorable configuration).
struct LogicalDriveInfo {
    u8 controller_id;
    u8 group;
    u8 reserved2[8];
    le16 status;
    u8 member_count;             // 0-12
    MemberEntry members[12];
    u8 hot_spare_mode;           // 0 Global, 1 Group, 2 None
    u8 raid_level;               // 0, 1, 5, 80
    u8 reserved87;
    le32 stripe_size;            // 512-byte blocks: 0, 128, 256, 512, 1024
    u8 sub_group_count;
    u8 reserved93;
    u8 auto_rebuild;             // 0 Enabled, 1 Disabled
    u8 rebuild_state;            // 0 Not Needed, 1 Needed, 2 Executing
    u8 maintenance_state;        // 0 none, 1 consistency check, 2 parity making
    u8 progress;                 // percent
    u8 force_state_change;       // 0 None, 1 forced
    u8 reserved99[9];
    le32 operation_error_count;
    u8 reserved112[9];
    u8 read_cache;               // 0 RA, 1 NORA
    u8 reserved122[7];
    u8 write_cache;              // 0 WB, 1 WT
    u8 reserved130[50];
    le32 size_mb;
    u8 reserved184[48];
};
static_assert(sizeof(LogicalDriveInfo) == 232);
static_assert(offsetof(LogicalDriveInfo, status) == 10);
static_assert(offsetof(LogicalDriveInfo, member_count) == 12);
static_assert(offsetof(LogicalDriveInfo, members) == 13);
static_assert(offsetof(LogicalDriveInfo, hot_spare_mode) == 85);
static_assert(offsetof(LogicalDriveInfo, raid_level) == 86);
static_assert(offsetof(LogicalDriveInfo, stripe_size) == 88);
static_assert(offsetof(LogicalDriveInfo, sub_group_count) == 92);
static_assert(offsetof(LogicalDriveInfo, auto_rebuild) == 94);
static_assert(offsetof(LogicalDriveInfo, rebuild_state) == 95);
static_assert(offsetof(LogicalDriveInfo, maintenance_state) == 96);
static_assert(offsetof(LogicalDriveInfo, progress) == 97);
static_assert(offsetof(LogicalDriveInfo, force_state_change) == 98);
static_assert(offsetof(LogicalDriveInfo, operation_error_count) == 108);
static_assert(offsetof(LogicalDriveInfo, read_cache) == 121);
static_assert(offsetof(LogicalDriveInfo, write_cache) == 129);
static_assert(offsetof(LogicalDriveInfo, size_mb) == 180);

// PhysicalDriveInfo: one physical drive.
struct PhysicalDriveInfo {
    u8 controller_id;
    u8 hdd;
    u8 reserved2[8];
    le16 status;
    u8 reserved12[2];
    char vendor[8];
    char product[16];
    char revision[4];
    u8 group;                    // logical drive the drive belongs to (class 0)
    u8 drive_class;              // 0 Member Use ... 5 Restore Candidate
    le32 size_mb;
    u8 reserved48[4];
    le32 medium_error_count;     // 0xFFFFFFFF = not available
    u8 reserved56[8];
    char inquiry_text[40];
    u8 reserved104[3];
    u8 link;                     // 7 1.5Gbps, 8 3.0Gbps, 0xFE link error, 0xFF PHY disabled
    u8 smart;                    // 0 None, 4 Received
    u8 bad_spot_state;           // 0 None, 6 Exist, 0x16 Over
    le16 bad_spot_count;
    u8 reserved112[12];
};
static_assert(sizeof(PhysicalDriveInfo) == 124);
static_assert(offsetof(PhysicalDriveInfo, status) == 10);
static_assert(offsetof(PhysicalDriveInfo, vendor) == 14);
static_assert(offsetof(PhysicalDriveInfo, product) == 22);
static_assert(offsetof(PhysicalDriveInfo, revision) == 38);
static_assert(offsetof(PhysicalDriveInfo, group) == 42);
static_assert(offsetof(PhysicalDriveInfo, drive_class) == 43);
static_assert(offsetof(PhysicalDriveInfo, size_mb) == 44);
static_assert(offsetof(PhysicalDriveInfo, medium_error_count) == 52);
static_assert(offsetof(PhysicalDriveInfo, inquiry_text) == 64);
static_assert(offsetof(PhysicalDriveInfo, link) == 107);
static_assert(offsetof(PhysicalDriveInfo, smart) == 108);
static_assert(offsetof(PhysicalDriveInfo, bad_spot_state) == 109);
static_assert(offsetof(PhysicalDriveInfo, bad_spot_count) == 110);

// CreateLDRecord: the caller's description of a logical drive to create.
struct CreateLDRecord {
    u8 controller;               // controller number (CONTno)
    u8 group;                    // number of the logical drive to create
    u8 reserved2;
    u8 member_count;             // at most 12
    u8 members[12];              // member physical-drive numbers, 0-11
    u8 hot_spare_mode;           // 0 Global, 1 Group, 2 None
    u8 raid_level;               // 0, 1 or 5 (1 with four or more members is RAID 10)
    u8 reserved18;
    u8 no_read_ahead;            // 1 = no read ahead
    u8 write_through;            // 1 = write through
    u8 sub_group;                // passed through to the adapter
};
static_assert(sizeof(CreateLDRecord) == 22);
static_assert(offsetof(CreateLDRecord, member_count) == 3);
static_assert(offsetof(CreateLDRecord, members) == 4);
static_assert(offsetof(CreateLDRecord, hot_spare_mode) == 16);
static_assert(offsetof(CreateLDRecord, raid_level) == 17);
static_assert(offsetof(CreateLDRecord, no_read_ahead) == 19);
static_assert(offsetof(CreateLDRecord, write_through) == 20);
static_assert(offsetof(CreateLDRecord, sub_group) == 21);

// GListInfo: the prevent-limit thresholds.
struct GListInfo {
    le16 prevent_limit;
    le16 prevent_limit_one_month;
    le16 prevent_limit_half_year;
    le16 prevent_limit_one_year;
};
static_assert(sizeof(GListInfo) == 8);

// RestoreStatus: the adapter's restorable logical-drive configurations.
struct RestoreStatus {
    u8 reserved0[10];
    le16 status;
    u8 candidate_count;
    u8 candidate_state[12];      // logical-drive state codes, 0xFF = no candidate
    u8 reserved25[11];
};
static_assert(sizeof(RestoreStatus) == 36);
static_assert(offsetof(RestoreStatus, status) == 10);
static_assert(offsetof(RestoreStatus, candidate_count) == 12);
static_assert(offsetof(RestoreStatus, candidate_state) == 13);

// RestoreLDRecord: restore or delete one candidate (sent and answered whole).
struct RestoreLDRecord {
    u8 controller;               // CONTno; the request carries the controller id
    u8 action;                   // 0 restore, 1 delete
    u8 candidate;                // 0-11
    u8 group;                    // logical-drive number to restore under, 0-11
    u8 must_be_zero;
    u8 fill[12];                 // set to 0xFF by the library
    u8 group_again;              // set by the library to `group`
    u8 no_read_ahead;            // read cache of the restored drive: 1 no read ahead
    u8 write_through;            // write cache: 1 write through
    u8 reserved20[8];
    le16 status;
    u8 reserved30[10];
};
static_assert(sizeof(RestoreLDRecord) == 40);
static_assert(offsetof(RestoreLDRecord, fill) == 5);
static_assert(offsetof(RestoreLDRecord, group_again) == 17);
static_assert(offsetof(RestoreLDRecord, no_read_ahead) == 18);
static_assert(offsetof(RestoreLDRecord, write_through) == 19);
static_assert(offsetof(RestoreLDRecord, status) == 28);

inline constexpr int BAD_SPOT_LIST_SIZE = 16;

// BadspotInfo: one drive's bad spots, converted from the adapter's raw list.
struct BadspotInfo {
    u8 raw0;
    u8 state;                    // 0 None, 6 Exist, 0x16 Over
    u8 raw2;
    u8 raw3;
    le32 count;
    u8 raw8[4];
    u8 raw12[4];
    le32 lba[BAD_SPOT_LIST_SIZE]; // packed from the start, zero after the last
};
static_assert(sizeof(BadspotInfo) == 80);
static_assert(offsetof(BadspotInfo, count) == 4);
static_assert(offsetof(BadspotInfo, raw8) == 8);
static_assert(offsetof(BadspotInfo, lba) == 16);

// Sizes of the diagnostic data areas.
inline constexpr std::size_t LOG_BLOCK_SIZE = 512;
inline constexpr std::uint32_t LOG_BLOCK_COUNT = 4096;
inline constexpr std::size_t NVRAM_SIZE = 8192;
inline constexpr std::size_t SMART_DATA_SIZE = 512;
inline constexpr std::size_t COMPLETION_AREA_SIZE = 4; // completion triple and a zero byte

} // namespace zan

// ---- Exports ---------------------------------------------------------------
extern "C" {

// Start and end, errors and debug log.
ZANEXPORT zan::BOOL32 ZANAPI initContData(int flag);
ZANEXPORT zan::BOOL32 ZANAPI finContData(void);
ZANEXPORT std::uint32_t ZANAPI DLLGetLastError(void);
ZANEXPORT zan::BOOL32 ZANAPI DLLSetDebugLevel(int level);
ZANEXPORT zan::BOOL32 ZANAPI DebugOn(const char* path);
ZANEXPORT zan::BOOL32 ZANAPI getDLLVersionSize(int* size);
ZANEXPORT zan::BOOL32 ZANAPI getDLLVersion(char* buffer, unsigned int size);

// Information.
ZANEXPORT zan::BOOL32 ZANAPI getContNum(std::uint8_t* count);
ZANEXPORT zan::BOOL32 ZANAPI getContInfo(int CONTno, zan::ContInfo* info);
ZANEXPORT zan::BOOL32 ZANAPI getContPara(int CONTno, zan::ContPara* para);
ZANEXPORT zan::BOOL32 ZANAPI getRaidStatus(int CONTno, zan::RaidStatus* status);
ZANEXPORT zan::BOOL32 ZANAPI getLogicalDriveInfo(int CONTno, int GROUPno, zan::LogicalDriveInfo* info);
ZANEXPORT zan::BOOL32 ZANAPI getPhysicalDriveInfo(int CONTno, int HDDno, zan::PhysicalDriveInfo* info);

// Configuration.
ZANEXPORT zan::BOOL32 ZANAPI createLD(const zan::CreateLDRecord* record);
ZANEXPORT zan::BOOL32 ZANAPI deleteLD(int CONTno, int GROUPno);
ZANEXPORT zan::BOOL32 ZANAPI createGHS(int CONTno, int HDDno);
ZANEXPORT zan::BOOL32 ZANAPI deleteGHS(int CONTno, int HDDno);
ZANEXPORT zan::BOOL32 ZANAPI setWriteCache(int CONTno, int GROUPno, int WBCon);
ZANEXPORT zan::BOOL32 ZANAPI setReadCache(int CONTno, int GROUPno, int RDCon);
ZANEXPORT zan::BOOL32 ZANAPI setAutoRebuild(int CONTno, int GROUPno, int AutoRebld);
ZANEXPORT zan::BOOL32 ZANAPI setRESTintvIDLE(int CONTno, int priority);
ZANEXPORT zan::BOOL32 ZANAPI setRESTintvBUSY(int CONTno, int priority);
ZANEXPORT zan::BOOL32 ZANAPI setHDDintv(int CONTno, int priority);
ZANEXPORT zan::BOOL32 ZANAPI setHDDsts_GOOD(int CONTno, int HDDno);
ZANEXPORT zan::BOOL32 ZANAPI setHDDsts_ALAM(int CONTno, int HDDno);
ZANEXPORT zan::BOOL32 ZANAPI setHDDLocateLED(int CONTno, int HDDno, int mode);
ZANEXPORT zan::BOOL32 ZANAPI getGListInfo(int CONTno, zan::GListInfo* info);
ZANEXPORT zan::BOOL32 ZANAPI setGListInfo(int CONTno, const zan::GListInfo* info);

// Background tasks, restore and bad spots.
ZANEXPORT zan::BOOL32 ZANAPI start_Rebuild(int CONTno, int GROUPno);
ZANEXPORT zan::BOOL32 ZANAPI start_consistencyCheck(int CONTno, int GROUPno);
ZANEXPORT zan::BOOL32 ZANAPI stop_consistencyCheck(int CONTno, int GROUPno);
ZANEXPORT zan::BOOL32 ZANAPI start_makeParity(int CONTno, int GROUPno);
ZANEXPORT zan::BOOL32 ZANAPI stop_makeParity(int CONTno, int GROUPno);
ZANEXPORT zan::BOOL32 ZANAPI getRestoreLDsts(int CONTno, zan::RestoreStatus* status);
ZANEXPORT zan::BOOL32 ZANAPI getRestoreLDInfo(int CONTno, int GROUPno, zan::LogicalDriveInfo* info);
ZANEXPORT zan::BOOL32 ZANAPI configRestoreLD(zan::RestoreLDRecord* record);
ZANEXPORT zan::BOOL32 ZANAPI getBadspotInfo(int CONTno, int HDDno, zan::BadspotInfo* info);

// Diagnostic data. Block indexes, sizes and offsets are whole 32-bit values.
ZANEXPORT zan::BOOL32 ZANAPI getLOGinfo(int CONTno, std::uint8_t* buffer, std::uint32_t index, std::uint32_t size,
                                        std::uint32_t* returned);
ZANEXPORT zan::BOOL32 ZANAPI getNVRAMdata(int CONTno, std::uint8_t* buffer);
ZANEXPORT zan::BOOL32 ZANAPI getSMARTInfo(int CONTno, int HDDno, std::uint8_t* buffer);
ZANEXPORT zan::BOOL32 ZANAPI getSMARTThreshold(int CONTno, int HDDno, std::uint8_t* buffer);
ZANEXPORT zan::BOOL32 ZANAPI getSMARTsts(int CONTno, int HDDno, std::uint8_t* status);
ZANEXPORT zan::BOOL32 ZANAPI ModeSense(int CONTno, int page, int length, std::uint8_t* buffer,
                                       std::uint8_t* completion);
ZANEXPORT zan::BOOL32 ZANAPI ModeSelect(int CONTno, int page_length, const std::uint8_t* page,
                                        std::uint8_t* completion);
ZANEXPORT zan::BOOL32 ZANAPI ReadBuffer(int CONTno, int mode, int buffer_id, std::uint32_t BufferSize,
                                        std::uint32_t offset, std::uint8_t* buffer, std::uint8_t* completion);

} // extern "C"

#endif
