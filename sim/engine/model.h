// The simulated adapter's model: what the firmware knows about one adapter,
// its physical drives and its logical drives, plus the pending faults. Every
// record the engine answers is built from this model; it is stored as text
// (model_text.h) in the adapter's state file.
#ifndef SIM_ENGINE_MODEL_H
#define SIM_ENGINE_MODEL_H

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

inline constexpr int DRIVE_SLOTS = 12;
inline constexpr int LOGICAL_SLOTS = 12;

// Member roles inside a logical drive.
inline constexpr std::uint8_t ROLE_DATA = 0;
inline constexpr std::uint8_t ROLE_GROUP_SPARE = 2;
inline constexpr std::uint8_t ROLE_SPARE_IN_USE = 3;

// Physical-drive state codes.
inline constexpr std::uint32_t DRIVE_GOOD = 0x00;
inline constexpr std::uint32_t DRIVE_REBUILDING = 0x01; // Attention1: receiving its data
inline constexpr std::uint32_t DRIVE_ALARM_FIRST = 0x20;
inline constexpr std::uint32_t DRIVE_ALARM_LAST = 0x2F;
inline constexpr std::uint32_t DRIVE_UNSUPPORTED = 0x80;

// Logical-drive state codes derived from the members.
inline constexpr std::uint8_t LD_GOOD = 0x00;
inline constexpr std::uint8_t LD_REBUILDING = 0x01; // degraded, its rebuild running
inline constexpr std::uint8_t LD_WARNING = 0x10;
inline constexpr std::uint8_t LD_ALARM = 0x20;

// Physical-drive classes.
inline constexpr std::uint8_t CLASS_MEMBER_USE = 0;
inline constexpr std::uint8_t CLASS_MEMBER_NO_USE = 1;
inline constexpr std::uint8_t CLASS_SPARE_USE = 2;
inline constexpr std::uint8_t CLASS_SPARE_NO_USE = 3;
inline constexpr std::uint8_t CLASS_FRESH = 4;
inline constexpr std::uint8_t CLASS_RESTORE_CANDIDATE = 5;

// The firmware's event log: a ring of fixed-size entries.
inline constexpr std::uint32_t EVENT_SLOTS = 4096;
inline constexpr std::size_t EVENT_SIZE = 512;

// The volume every simulated machine boots from; it lives on no Zan adapter.
inline constexpr char SYSTEM_VOLUME = 'C';

inline constexpr std::uint32_t MEDIUM_ERRORS_NOT_AVAILABLE = 0xFFFFFFFF;

// A drive's spindle, as START STOP UNIT leaves it.
inline constexpr std::uint32_t SPINDLE_STOPPED = 0;
inline constexpr std::uint32_t SPINDLE_RUNNING = 1;
inline constexpr std::uint32_t SPINDLE_STARTING = 2; // started, not ready for `spin_up_left` more polls

// The drive's internal logs (request 0xFE), by selector bit.
inline constexpr std::size_t INTERNAL_LOGS = 4;
inline constexpr std::size_t BAD_SPOT_LIST_SIZE = 16;

struct member {
    std::uint32_t hdd = 0;
    std::uint8_t role = ROLE_DATA;
    bool operator==(const member&) const = default;
};

struct physical_drive {
    bool present = false;
    std::string vendor = "KESTREL";
    std::string product = "KS3146SAS";
    std::string revision = "0101";
    std::uint32_t size_mb = 140014;
    std::uint32_t state = DRIVE_GOOD;
    std::uint32_t link = 8;            // 7 1.5Gbps, 8 3.0Gbps, 0xFE error, 0xFF disabled
    std::uint32_t smart = 0;           // 0 none, 4 received
    std::uint32_t global_spare = 0;    // 1 = global hot spare
    std::uint32_t medium_errors = 0;   // MEDIUM_ERRORS_NOT_AVAILABLE when unknown
    std::vector<std::uint32_t> bad_spots; // LBAs
    std::vector<std::uint32_t> medium_error_lbas; // blocks whose ECC a WRITE LONG spoiled
    std::string inquiry;               // empty: built from vendor, product, revision
    std::uint32_t led = 0;             // locate LED mode last set
    // What the drive answers to SCSI commands the adapter forwards to it.
    std::string serial;                // INQUIRY bytes 36-47
    std::uint32_t spindle = SPINDLE_RUNNING;
    std::uint32_t spin_up_polls = 0;   // TEST UNIT READYs answered "becoming ready" after a start
    std::uint32_t spin_up_left = 0;
    std::uint32_t start_stops = 0;     // spindle starts counted by the drive
    std::uint32_t log_seed = 0;        // varies the contents of its logs and log pages
    std::uint32_t log_saves = 0;       // LOG SENSE requests with the save-parameters bit
    // Lengths of the internal logs after their 4-byte header, selectors 1, 2, 4, 8.
    std::array<std::uint32_t, INTERNAL_LOGS> log_lengths = {1020, 70000, 16380, 508};
    // A chosen answer for the next `answer_count` commands: SCSI status, and
    // with CHECK CONDITION the sense key, ASC and ASCQ (0xKKAAQQ) and the
    // sense information field.
    std::uint32_t answer_status = 0;
    std::uint32_t answer_sense = 0;
    std::uint32_t answer_info = 0;
    std::uint32_t answer_count = 0;
    // A capacity change (MODE SELECT block descriptor): `size_mb` is what
    // the adapter sees, in whole MiB; `blocks` the exact capacity and
    // `full_mb` the size as made while a change holds (0: no change).
    std::uint32_t blocks = 0;
    std::uint32_t full_mb = 0;
    // The drive's mode pages MODE SELECT changed, each whole (page code,
    // length, parameters); the others read as their defaults.
    std::vector<std::vector<std::uint8_t>> mode_pages;
    // A microcode download in progress (WRITE BUFFER mode 7): the image
    // length announced (0: none), the bytes received from the start, their
    // running checksum and the revision the image carries.
    std::uint32_t download_length = 0;
    std::uint32_t download_received = 0;
    std::uint32_t download_sum = 0;
    std::string download_revision;
    bool operator==(const physical_drive&) const = default;
};

// How Windows keeps the disk of a logical drive.
inline constexpr std::uint32_t DISK_BASIC = 0;
inline constexpr std::uint32_t DISK_DYNAMIC = 1;

struct logical_drive {
    bool defined = false;
    std::uint32_t raid_level = 1;      // 0, 1 (RAID 10 with four or more data members), 5
    std::vector<member> members;
    std::uint32_t stripe_blocks = 256; // 512-byte blocks: 0, 128, 256, 512, 1024
    std::uint32_t sub_groups = 1;
    std::uint32_t read_cache = 0;      // 0 RA, 1 NORA
    std::uint32_t write_cache = 1;     // 0 WB, 1 WT
    std::uint32_t auto_rebuild = 0;    // 0 enabled, 1 disabled
    std::uint32_t hot_spare_mode = 0;  // 0 global, 1 group, 2 none
    std::uint32_t rebuild = 0;         // 0 not needed, 1 needed, 2 executing
    std::uint32_t maintenance = 0;     // 0 none, 1 consistency check, 2 parity making
    std::uint32_t progress = 0;        // percent
    std::uint32_t progress_ticks = 0;  // work done beyond `progress`, in clock ticks
    std::uint32_t inconsistencies = 0; // parity errors a check or parity making finds
    std::uint32_t errors = 0;          // operation error count
    std::uint32_t forced = 0;          // force state change
    std::uint32_t delete_step = 0;     // deletion steps accepted so far (0-2)
    std::string volumes;               // letters of the Windows volumes on its disk
    std::uint32_t disk_style = DISK_BASIC; // how Windows keeps its disk: DISK_BASIC, DISK_DYNAMIC
    std::uint32_t turbine = 0;         // Raid Turbine: the level byte it reports instead (0x5A, 0xA5); 0 none
    bool operator==(const logical_drive&) const = default;
};

// What a fault armed for one request answers.
inline constexpr std::uint32_t FAULT_AT_NONE = 0;
inline constexpr std::uint32_t FAULT_AT_STATUS = 1;
inline constexpr std::uint32_t FAULT_AT_BUSY = 2;
inline constexpr std::uint32_t FAULT_AT_SILENT = 3;

// Faults the adapter applies to the next requests before answering them.
struct fault_plan {
    std::uint32_t silent = 0;          // 1: the adapter does not answer at all
    std::uint32_t busy = 0;            // answer busy to this many requests
    std::uint32_t status = 0;          // answer this status word ...
    std::uint32_t status_count = 0;    // ... to this many requests (after the busy ones)
    // One fault armed for request number `at_request` (the request counter's
    // value once that request is counted): a status word, a run of `at_value`
    // busy answers, or silence, once.
    std::uint64_t at_request = 0;
    std::uint32_t at_answer = 0;       // FAULT_AT_*
    std::uint32_t at_value = 0;        // the status word, or the length of the busy run
    bool operator==(const fault_plan&) const = default;
};

struct adapter {
    std::uint32_t port = 0;
    std::string driver = "zandrv";
    std::uint32_t controller_id = 0;
    std::uint32_t pci_bus = 2;
    std::uint32_t pci_device = 0;
    std::uint32_t revision = 0x02;
    std::string driver_version = "1.20.00";
    std::uint32_t memory_mb = 256;
    std::uint32_t cache_mb = 192;
    std::uint32_t write_cache_mb = 128;
    std::uint32_t rebuild_priority_idle = 1; // 1 high, 2 middle, 3 low
    std::uint32_t rebuild_priority_busy = 2;
    std::uint32_t patrol_delay = 2;
    std::uint32_t buzzer = 1;
    std::string model = "ZAN8SAS";
    std::string firmware = "1.10";
    std::string boot_firmware = "BT1.02";
    std::uint32_t processor_revision = 0x01000203; // four bytes, most significant first
    std::uint32_t adapter_version = 0x10;
    std::uint64_t sas_address = 0x5000A1D000000000ULL;
    std::string flash_rom1 = "1.10";
    std::string flash_rom2 = "1.08";
    std::uint32_t flash_state = 0x13;
    // A firmware download in progress (WRITE BUFFER pieces): the image length
    // its inner header announces (0: none), the bytes received from the
    // start, their running checksum and the revision the image carries.
    std::uint32_t flash_expected = 0;
    std::uint32_t flash_received = 0;
    std::uint32_t flash_sum = 0;
    std::string flash_revision;
    std::uint32_t battery = 0;         // 0xFF: no battery or battery failed
    std::uint64_t requests = 0;        // control requests answered since creation
    // Background tasks: seconds a task takes from 0 to 100 percent at High
    // priority (Middle takes twice, Low four times as long), and the clock
    // time in milliseconds up to which the state was brought (0: not yet).
    std::uint32_t task_seconds = 100;
    std::uint64_t clock_ms = 0;
    // What the monitoring service last said (SET_SERVICE_STATE): 0 nothing,
    // 0x10 started, 0x11 stops.
    std::uint32_t service_state = 0;
    // A stored dump the firmware keeps for the monitoring service: its size
    // in bytes and its status (0 none, 1 ready, 2 collected, others invalid).
    std::uint32_t dump_size = 0;
    std::uint32_t dump_status = 0;
    std::uint32_t prevent_limit = 10;  // GListInfo thresholds
    std::uint32_t prevent_limit_one_month = 3;
    std::uint32_t prevent_limit_half_year = 6;
    std::uint32_t prevent_limit_one_year = 8;
    // Mode pages changed by MODE SELECT, each whole (page code, length, data);
    // pages not listed read as the firmware's defaults.
    std::vector<std::vector<std::uint8_t>> mode_pages;
    // Event log: the slot the next entry goes to, how many entries nobody has
    // collected yet, the entries written since the state was loaded (by slot,
    // EVENT_SIZE bytes each), and the file holding the slots saved before
    // (empty: none).
    std::uint32_t event_next = 0;
    std::uint32_t event_unread = 0;
    std::uint32_t event_sequence = 0;  // number of the last entry written
    std::map<std::uint32_t, std::vector<std::uint8_t>> events;
    std::string event_file;
    fault_plan faults;
    std::array<physical_drive, DRIVE_SLOTS> drives;
    std::array<logical_drive, LOGICAL_SLOTS> logicals;
    // Restore candidates: configurations found on drives that belong to no
    // logical drive of this adapter, numbered 0-11.
    std::array<logical_drive, LOGICAL_SLOTS> candidates;
    bool operator==(const adapter&) const = default;
};

// A registry port of a scenario that has no adapter behind it.
struct registry_port {
    std::uint32_t port = 0;
    std::string driver;
    bool operator==(const registry_port&) const = default;
};

struct scenario {
    std::vector<adapter> adapters;
    std::vector<registry_port> ports;
};

} // namespace sim

#endif
