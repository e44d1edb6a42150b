// The simulated devices. A SCSI port device checks the control envelope as
// the driver does, serialises requests with the adapter's lock, applies
// pending faults and hands the request record to the firmware model. A volume
// device tells where its volume lives; a disk device answers as a disk
// (disk.h) and hands pass-throughs to its adapter's RAID disk.
#include "sim/device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "clock.h"
#include "disk.h"
#include "dispatch.h"
#include "faults.h"
#include "plat/disk.h"
#include "plat/error.h"
#include "plat/volumes.h"
#include "sim/root.h"
#include "storage.h"
#include "store.h"
#include "tasks.h"
#include "zanioctl.h"

namespace sim {

namespace {

constexpr std::uint32_t HEADER = zan::ENVELOPE_HEADER_LENGTH;

bool known_signature(const std::uint8_t* signature)
{
    return std::memcmp(signature, zan::SIGNATURE_CONTROL, 8) == 0 ||
           std::memcmp(signature, zan::SIGNATURE_SERVICE, 8) == 0;
}

bool length_accepted(const zan::control_code_layout& layout, std::uint32_t length)
{
    return length == layout.record_size ||
           (layout.code == zan::IOCTL_KRAID_SCSI_READ_BUFFER && length == zan::LARGE_TRANSFER_LENGTH);
}

// Answers with the request as sent and `status` in its status word.
void answer_status(const std::uint8_t* in, std::uint8_t* out, std::uint32_t size, std::uint32_t status_offset,
                   std::uint16_t status, std::uint32_t* returned)
{
    std::memmove(out, in, size);
    zan::store_le16(out + HEADER + status_offset, status);
    if (returned != nullptr) *returned = size;
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// "\\.\X:" names the volume with drive letter X.
bool open_volume(const char* path, device_ref& out)
{
    const char letter = upper(path[4]);
    if (std::strncmp(path, "\\\\.\\", 4) != 0 || letter < 'A' || letter > 'Z' || path[5] != ':' ||
        path[6] != '\0') {
        return false;
    }
    volume_location where;
    if (!locate_volume(root_dir(), letter, where)) return false;
    out.type = device_ref::kind::volume;
    out.number = letter;
    return true;
}

// "\\.\PHYSICALDRIVEn" names disk n of the storage stack's numbering.
bool open_disk(const char* path, std::size_t length, device_ref& out)
{
    const std::size_t prefix = sizeof plat::PHYSICAL_DRIVE_PREFIX - 1;
    if (length <= prefix || length > prefix + 3) return false;
    for (std::size_t i = 0; i < prefix; ++i) {
        if (upper(path[i]) != plat::PHYSICAL_DRIVE_PREFIX[i]) return false;
    }
    const std::string digits(path + prefix);
    if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
    const std::vector<volume_location> disks = list_disks(root_dir());
    const auto n = static_cast<std::size_t>(std::stoul(digits));
    if (n >= disks.size()) return false;
    out.type = disks[n].system ? device_ref::kind::system_disk : device_ref::kind::disk;
    out.number = static_cast<int>(disks[n].port);
    out.target = disks[n].target;
    return true;
}

volume_location disk_of(const device_ref& device)
{
    return {static_cast<std::uint32_t>(device.number), device.target, device.type == device_ref::kind::system_disk};
}

// A volume answers IOCTL_SCSI_GET_ADDRESS with the port of its disk and its
// target, the logical drive.
std::uint32_t volume_control(const device_ref& device, std::uint32_t code, void* out, std::uint32_t out_size,
                             std::uint32_t* returned)
{
    if (code != plat::IOCTL_SCSI_GET_ADDRESS) return plat::ERR_INVALID_FUNCTION;
    volume_location where;
    // The volume went away with its logical drive after it was opened.
    if (!locate_volume(root_dir(), static_cast<char>(device.number), where)) return plat::ERR_IO_DEVICE;
    return answer_address(where, out, out_size, returned);
}

} // namespace

std::uint32_t volume_mask()
{
    return volume_letters(root_dir());
}

std::vector<std::string> volume_names()
{
    std::vector<std::string> names;
    for (const volume_entry& v : list_volumes(root_dir())) {
        char name[64];
        std::snprintf(name, sizeof name, "\\\\?\\Volume{5a4e%04x-%04x-0000-0000-0000000000%02x}\\",
                      v.where.port, v.where.system ? 0xFFFFu : v.where.target, static_cast<unsigned>(v.letter));
        names.emplace_back(name);
    }
    return names;
}

std::uint32_t open_device(const char* path, device_ref& out)
{
    static constexpr char PREFIX[] = "\\\\.\\scsi";
    if (path == nullptr) return plat::ERR_INVALID_PARAMETER;
    const std::size_t length = std::strlen(path);
    if (length == 6 && open_volume(path, out)) return plat::ERR_SUCCESS;
    if (open_disk(path, length, out)) return plat::ERR_SUCCESS;
    const std::size_t prefix = sizeof PREFIX - 1;
    if (length < prefix + 2 || path[length - 1] != ':') return plat::ERR_FILE_NOT_FOUND;
    for (std::size_t i = 0; i < prefix; ++i) {
        if (upper(path[i]) != upper(PREFIX[i])) return plat::ERR_FILE_NOT_FOUND;
    }
    const std::string digits(path + prefix, length - prefix - 1);
    if (digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return plat::ERR_FILE_NOT_FOUND;
    }
    const int port = std::stoi(digits);
    if (port > 255 || !adapter_exists(root_dir(), static_cast<std::uint32_t>(port))) return plat::ERR_FILE_NOT_FOUND;
    out.type = device_ref::kind::scsi_port;
    out.number = port;
    return plat::ERR_SUCCESS;
}

std::uint32_t device_control(const device_ref& device, std::uint32_t code, const void* in, std::uint32_t in_size,
                             void* out, std::uint32_t out_size, std::uint32_t* returned)
{
    if (returned != nullptr) *returned = 0;
    if (device.number < 0) return plat::ERR_INVALID_HANDLE;
    switch (device.type) {
    case device_ref::kind::volume: return volume_control(device, code, out, out_size, returned);
    case device_ref::kind::disk:
    case device_ref::kind::system_disk: return disk_control(disk_of(device), code, in, in_size, out, out_size, returned);
    case device_ref::kind::scsi_port: break;
    }
    if (code != zan::IOCTL_SCSI_MINIPORT) return plat::ERR_INVALID_FUNCTION;
    if (in == nullptr || out == nullptr || in_size < HEADER || out_size < HEADER) return plat::ERR_INVALID_PARAMETER;

    const auto* request = static_cast<const std::uint8_t*>(in);
    auto* answer = static_cast<std::uint8_t*>(out);
    const std::uint32_t header_length = zan::load_le32(request);
    const std::uint32_t control_code = zan::load_le32(request + 16);
    const std::uint32_t length = zan::load_le32(request + 24);
    const zan::control_code_layout* layout = zan::find_control_code(control_code);
    const bool length_ok = layout != nullptr && length_accepted(*layout, length);
    const std::uint32_t smaller = std::min(in_size, out_size);

    if (length_ok && smaller - HEADER < length) return plat::ERR_INVALID_PARAMETER;
    if (header_length != HEADER || !known_signature(request + 4) || !length_ok) {
        // A malformed envelope is refused in the status word where the code
        // puts it, when the buffers reach that far.
        if (layout == nullptr || smaller < HEADER + layout->status_offset + 2) return plat::ERR_INVALID_PARAMETER;
        answer_status(request, answer, smaller, layout->status_offset, zan::IOC_STATUS_FAILURE, returned);
        return plat::ERR_SUCCESS;
    }

    const std::string root = root_dir();
    const auto port = static_cast<std::uint32_t>(device.number);
    const std::uint32_t size = HEADER + length;
    root_lock lock;
    switch (lock.try_lock(adapter_lock_path(root, port))) {
    case root_lock::outcome::held: break;
    case root_lock::outcome::busy:
        answer_status(request, answer, size, layout->status_offset, zan::IOC_STATUS_DEVICE_BUSY, returned);
        return plat::ERR_SUCCESS;
    case root_lock::outcome::failed: return plat::ERR_IO_DEVICE;
    }

    adapter a;
    clock_reading clock;
    if (!load_adapter(root, port, a).empty() || !read_clock(root, clock).empty()) return plat::ERR_IO_DEVICE;
    // The firmware's background work went on since the last request.
    advance_tasks(a, clock.now_ms);

    const fault_outcome fault = take_fault(a);
    if (fault.type == fault_outcome::kind::silent) {
        // A fault armed for this request was used up.
        return save_adapter(root, a).empty() ? plat::ERR_SEM_TIMEOUT : plat::ERR_IO_DEVICE;
    }
    std::vector<std::uint8_t> record(request + HEADER, request + size);
    const std::uint16_t status =
        fault.type == fault_outcome::kind::status ? fault.status : answer_request(a, control_code, record);
    ++a.requests;
    if (!save_adapter(root, a).empty()) return plat::ERR_IO_DEVICE;

    std::memmove(answer, request, HEADER);
    std::memcpy(answer + HEADER, record.data(), length);
    zan::store_le16(answer + HEADER + layout->status_offset, status);
    if (returned != nullptr) *returned = size;
    return plat::ERR_SUCCESS;
}

std::uint32_t device_pass_through(const device_ref& device, const plat::scsi_request& request,
                                  plat::scsi_result& result)
{
    result = {};
    if (device.number < 0) return plat::ERR_INVALID_HANDLE;
    switch (device.type) {
    case device_ref::kind::scsi_port:
        return raid_disk_pass_through(static_cast<std::uint32_t>(device.number), request, result);
    case device_ref::kind::disk: {
        // The disk's driver puts in the disk's own address on the way down.
        adapter a;
        if (!load_adapter(root_dir(), static_cast<std::uint32_t>(device.number), a).empty() ||
            !a.logicals[device.target].defined) {
            return plat::ERR_IO_DEVICE;
        }
        plat::scsi_request addressed = request;
        addressed.path_id = 0;
        addressed.target_id = device.target;
        addressed.lun = 0;
        return raid_disk_pass_through(static_cast<std::uint32_t>(device.number), addressed, result);
    }
    case device_ref::kind::volume:
    case device_ref::kind::system_disk: break;
    }
    return plat::ERR_INVALID_FUNCTION;
}

} // namespace sim
