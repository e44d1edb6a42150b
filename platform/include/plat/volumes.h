// Volumes: the drive letters of the machine, its volumes and what lies
// behind them. A volume's device ("\\\\.\\C:") is opened with plat::device;
// its SCSI address comes from IOCTL_SCSI_GET_ADDRESS.
#ifndef PLAT_VOLUMES_H
#define PLAT_VOLUMES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// GetDriveType results.
inline constexpr std::uint32_t DRIVE_TYPE_UNKNOWN = 0;
inline constexpr std::uint32_t DRIVE_TYPE_NO_ROOT_DIR = 1;
inline constexpr std::uint32_t DRIVE_TYPE_REMOVABLE = 2;
inline constexpr std::uint32_t DRIVE_TYPE_FIXED = 3;
inline constexpr std::uint32_t DRIVE_TYPE_REMOTE = 4;
inline constexpr std::uint32_t DRIVE_TYPE_CDROM = 5;
inline constexpr std::uint32_t DRIVE_TYPE_RAMDISK = 6;

// GetLogicalDrives: bit 0 for A:, bit 1 for B:, ... 0 with last_error() set
// on failure.
std::uint32_t logical_drive_mask();

// GetDriveType of a root path such as "C:\\".
std::uint32_t drive_type(const char* root_path);

// ERROR_NO_MORE_FILES: the end of a volume search.
inline constexpr std::uint32_t ERR_NO_MORE_FILES = 18;

// FindFirstVolume / FindNextVolume / FindVolumeClose: the volume names of
// the machine ("\\\\?\\Volume{GUID}\\"), with or without drive letters, one
// after the other. A search is closed when destroyed.
class volume_search {
public:
    volume_search() = default;
    ~volume_search();
    volume_search(const volume_search&) = delete;
    volume_search& operator=(const volume_search&) = delete;

    // Starts a search with the first volume's name; false with last_error()
    // set when the search can't start.
    [[nodiscard]] bool first(std::string& name);
    // The next volume's name; false with last_error() set, ERR_NO_MORE_FILES
    // after the last one.
    [[nodiscard]] bool next(std::string& name);
    void close();

private:
    friend bool start_volume_list(volume_search&, std::vector<std::string>, std::string&);
    void* handle_ = nullptr;
};

inline constexpr std::uint32_t IOCTL_SCSI_GET_ADDRESS = 0x00041018;

// SCSI_ADDRESS, the answer of IOCTL_SCSI_GET_ADDRESS.
struct scsi_address {
    std::uint8_t length[4]; // little-endian u32: 8
    std::uint8_t port_number;
    std::uint8_t path_id;
    std::uint8_t target_id;
    std::uint8_t lun;
};
static_assert(sizeof(scsi_address) == 8);
static_assert(offsetof(scsi_address, port_number) == 4);
static_assert(offsetof(scsi_address, target_id) == 6);

} // namespace plat

#endif
