// The log types of the log tool: the command-line keyword, the name the
// messages use, the file-name suffix and what the type needs, as one table.
#ifndef ZANLOG_LOG_TYPES_H
#define ZANLOG_LOG_TYPES_H

#include <cstdint>
#include <span>

namespace zanlog {

enum class log_kind {
    raid,
    nvram,
    firmware_trace,
    firmware_dump_direct, // refused: not supported
    firmware_dump,
    drive_inquiry,
    drive_log_sense,
    drive_status_log,
    drive_internal_log,
    drive_command_log,
    drive_controller_information,
};

struct log_type {
    const char* keyword;    // lowercase; matched over its own length
    log_kind kind;
    const char* name;       // "Log type : %s"
    const char* collected;  // "ZAN1000-I %s Get Success"
    const char* suffix;     // after "<time stamp>_ZAN_<controller>"
    bool drive_follows;     // one character after the keyword is the drive
    bool automatic_allowed; // may run in automatic mode
};

// In the order the keywords are tried: "_fwdumpdirect" before "_fwdump".
inline constexpr log_type LOG_TYPES[] = {
    {"_raidlog", log_kind::raid, "RAID Log", "RAID Log", "_RaidLog", false, false},
    {"_nvramlog", log_kind::nvram, "NVRAM Log", "NVRAM Log", "_NvramLog", false, false},
    {"_fwtrclog", log_kind::firmware_trace, "Firmware Trace Log", "Firmware Trace Log", "_FWTrcLog", false, true},
    {"_fwdumpdirect", log_kind::firmware_dump_direct, "", "", "", false, false},
    {"_fwdump", log_kind::firmware_dump, "Firmware Dump", "Firmware Dump Log", "_FWDump", false, false},
    {"_hddinquiry_", log_kind::drive_inquiry, "HDD internal Log", "HDD internal Log", "_HDDInquiry_", true, false},
    {"_hddlogsense_", log_kind::drive_log_sense, "HDD internal Log", "HDD internal Log", "_HDDLogSense_", true, false},
    {"_hddlog_dslog_", log_kind::drive_status_log, "HDD internal Log", "HDD internal Log", "_HDDLog_DSLog_", true, false},
    {"_hddlog_dilog_", log_kind::drive_internal_log, "HDD internal Log", "HDD internal Log", "_HDDLog_DILog_", true, false},
    {"_hddlog_clog_", log_kind::drive_command_log, "HDD internal Log", "HDD internal Log", "_HDDLog_CLog_", true, false},
    {"_hddlog_cii_", log_kind::drive_controller_information, "HDD internal Log", "HDD internal Log", "_HDDLog_CII_", true, false},
};

// The name of the log type before one is known.
inline constexpr char UNKNOWN_LOG_TYPE_NAME[] = "Log Type Unknown";

} // namespace zanlog

#endif
