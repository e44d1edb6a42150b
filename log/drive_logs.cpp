#include "drive_logs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "drive_commands.h"
#include "hex_listing.h"
#include "plat/error.h"
#include "plat/file.h"
#include "plat/folders.h"
#include "plat/sync.h"
#include "report.h"

namespace zanlog {

namespace {

constexpr std::uint8_t STATUS_GOOD = 0;
constexpr std::uint8_t STATUS_CHECK_CONDITION = 2;
constexpr std::uint32_t SPIN_POLLS = 600;
constexpr std::uint32_t SPIN_PAUSE_MS = 100;
constexpr std::size_t INQUIRY_BYTES = 48;
constexpr std::uint32_t LOG_SENSE_REQUEST_BYTES = 4096;
constexpr std::uint32_t LOG_SENSE_LARGEST = 0xFFFF; // the allocation length field's limit
constexpr std::size_t SUPPORTED_PAGES_LIMIT = 256;
constexpr std::uint32_t INTERNAL_LOG_PIECE = 65536;

enum class vendor { meridan, velmora };

struct internal_log {
    log_kind kind;
    std::uint8_t selector;
    const char* header;
};

constexpr internal_log INTERNAL_LOGS[] = {
    {log_kind::drive_status_log, 1, "<Drive Status Log>"},
    {log_kind::drive_internal_log, 2, "<Drive Internal Log>"},
    {log_kind::drive_command_log, 4, "<Command Log>"},
    {log_kind::drive_controller_information, 8, "<Controller Internal Information>"},
};

// The drive's identity from its standard inquiry data.
struct identity {
    char vendor[8];
    char product[16];
    char revision[4];
    char serial[12];
};

// The one output file of a drive log.
class log_file {
public:
    bool create(const std::string& path)
    {
        return file_.create_replace_exclusive(path.c_str()) || report_error(plat::last_error(), shown::general);
    }
    bool write(const std::string& text)
    {
        return file_.write(text.data(), text.size()) || report_error(plat::last_error(), shown::general);
    }
    bool close() { return file_.close_checked() || report_error(plat::last_error(), shown::general); }

private:
    plat::file file_;
};

std::uint32_t be16_at(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return std::uint32_t{data[at]} << 8 | data[at + 1];
}

bool identify(drive_channel& channel, identity& id, vendor& kind)
{
    const std::uint8_t inquiry[] = {0x12, 0, 0, 0, INQUIRY_BYTES, 0};
    std::uint8_t data[INQUIRY_BYTES] = {};
    if (!channel.send(drive_call::inquiry, inquiry, data).done) return false;
    std::memcpy(&id, data + 8, sizeof id);
    if (std::memcmp(id.vendor, "MERIDAN", 7) == 0) {
        kind = vendor::meridan;
    } else if (std::memcmp(id.vendor, "VELMORA", 7) == 0) {
        kind = vendor::velmora;
    } else {
        return report_error(ERROR_NO_DRIVE, shown::as_such);
    }
    return true;
}

// The drive's lock against a second run; open until the process ends.
plat::named_mutex& drive_lock()
{
    static plat::named_mutex lock;
    return lock;
}

bool take_drive_lock(int controller, int drive)
{
    char name[64];
    std::snprintf(name, sizeof name, "zanlogMutex%d%d", controller, drive);
    bool already_existed = false;
    if (!drive_lock().create(name, true, already_existed) || already_existed) {
        return report_error(ERROR_ALREADY_STARTED, shown::as_such);
    }
    return true;
}

bool start_stop(drive_channel& channel, bool start)
{
    const std::uint8_t command[] = {0x1B, 0x01, 0, 0, static_cast<std::uint8_t>(start ? 1 : 0), 0};
    const drive_outcome outcome = channel.send(drive_call::any, command);
    if (outcome.done && outcome.scsi_status != STATUS_GOOD) return report_error(ERROR_COMMAND_FAILED, shown::general);
    return outcome.done;
}

drive_outcome test_unit_ready(drive_channel& channel)
{
    const std::uint8_t command[] = {0, 0, 0, 0, 0, 0};
    return channel.send(drive_call::any, command);
}

// Locks the drive and spins it up when it is stopped; `started` tells
// whether this run started it.
bool prepare(drive_channel& channel, int controller, int drive, bool& started)
{
    started = false;
    drive_outcome ready = test_unit_ready(channel);
    if (!ready.done) return false;
    if (ready.scsi_status == STATUS_GOOD) {
        if (!take_drive_lock(controller, drive)) return false;
        (void)drive_lock().release(); // the open handle alone keeps a second run away
        return true;
    }
    if (ready.scsi_status != STATUS_CHECK_CONDITION) return report_error(ERROR_COMMAND_FAILED, shown::general);
    if (!take_drive_lock(controller, drive)) return false;
    started = true;
    if (!start_stop(channel, true)) return false;
    plat::sleep_ms(SPIN_PAUSE_MS);
    for (std::uint32_t poll = 0; poll < SPIN_POLLS; ++poll) {
        ready = test_unit_ready(channel);
        if (!ready.done) return false;
        if (ready.scsi_status == STATUS_GOOD) return true;
        if (ready.scsi_status != STATUS_CHECK_CONDITION) return report_error(ERROR_COMMAND_FAILED, shown::general);
        plat::sleep_ms(SPIN_PAUSE_MS);
    }
    return report_error(ERROR_COMMAND_FAILED, shown::general);
}

// Stops a drive this run started.
bool finish(drive_channel& channel, bool started)
{
    if (!started) return true;
    const bool stopped = start_stop(channel, false);
    plat::sleep_ms(SPIN_PAUSE_MS);
    (void)drive_lock().release();
    return stopped;
}

// Text of a fixed field, ended early at a zero byte.
template <std::size_t N>
std::string field_text(const char (&field)[N])
{
    return std::string(field, std::find(field, field + N, '\0'));
}

bool write_inquiry(const identity& id, const std::string& file_path)
{
    log_file file;
    return file.create(file_path) &&
           file.write("Vendor ID         : " + field_text(id.vendor) + "\n" +
                      "Product ID        : " + field_text(id.product) + "\n" +
                      "Product Revision  : " + field_text(id.revision) + "\n" +
                      "Serial No.        : " + field_text(id.serial) + "\n") &&
           file.close();
}

drive_outcome log_sense(drive_channel& channel, std::uint8_t page, bool save_parameters,
                        std::vector<std::uint8_t>& data)
{
    const auto length = static_cast<std::uint32_t>(data.size());
    const std::uint8_t command[] = {0x4D, static_cast<std::uint8_t>(save_parameters ? 1 : 0), page, 0, 0, 0, 0,
                                    static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 0};
    const drive_outcome outcome = channel.send(drive_call::log_sense, command, data);
    data.resize(outcome.received);
    return outcome;
}

bool write_log_sense(drive_channel& channel, vendor kind, const std::string& file_path)
{
    // Current cumulative values on Meridan drives, current thresholds on VELMORA drives.
    const std::uint8_t pc = kind == vendor::meridan ? 0x40 : 0x00;
    std::vector<std::uint8_t> supported(LOG_SENSE_REQUEST_BYTES);
    if (!log_sense(channel, pc | 0x00, true, supported).done) return false;
    std::vector<std::uint8_t> codes;
    if (supported.size() >= 4) {
        const std::size_t listed = std::min<std::size_t>(be16_at(supported, 2), SUPPORTED_PAGES_LIMIT);
        codes.assign(supported.begin() + 4, supported.begin() + 4 + std::min(listed, supported.size() - 4));
    }
    log_file file;
    if (!file.create(file_path)) return false;
    bool first = true;
    for (const std::uint8_t code : codes) {
        const std::uint8_t page = pc | (code & 0x3F);
        std::vector<std::uint8_t> head(4);
        if (!log_sense(channel, page, first, head).done) return false;
        first = false;
        const std::uint32_t total = head.size() == 4 ? be16_at(head, 2) + 4 : 4;
        // A page longer than one request is read whole in a larger one: a
        // second request would start at the page's beginning again.
        std::vector<std::uint8_t> body(std::min(total, LOG_SENSE_LARGEST));
        if (!log_sense(channel, page, false, body).done) return false;
        char header[16];
        std::snprintf(header, sizeof header, "<Page%02x>", code);
        hex_listing listing(header);
        if (!file.write(listing.list(body))) return false;
    }
    return file.close();
}

bool write_internal_log(drive_channel& channel, vendor kind, const internal_log& log, const std::string& file_path)
{
    if (kind == vendor::meridan) return report_error(ERROR_NOT_SUPPORTED, shown::as_such);
    log_file file;
    if (!file.create(file_path)) return false;
    hex_listing listing(log.header);
    const auto request = [&](std::uint32_t offset, std::vector<std::uint8_t>& data) {
        const auto length = static_cast<std::uint32_t>(data.size());
        const std::uint8_t command[] = {0xFE,
                                        log.selector,
                                        0,
                                        static_cast<std::uint8_t>(offset >> 16),
                                        static_cast<std::uint8_t>(offset >> 8),
                                        static_cast<std::uint8_t>(offset),
                                        static_cast<std::uint8_t>(length >> 16),
                                        static_cast<std::uint8_t>(length >> 8),
                                        static_cast<std::uint8_t>(length),
                                        0};
        const drive_outcome outcome = channel.send(drive_call::internal_log, command, data);
        data.resize(outcome.received);
        return outcome.done;
    };
    std::vector<std::uint8_t> head(4);
    if (!request(0, head)) return false;
    head.resize(4); // a short answer reads as zeros
    const std::uint32_t total = (std::uint32_t{head[1]} << 16 | std::uint32_t{head[2]} << 8 | head[3]) + 4;
    for (std::uint32_t offset = 0; offset < total;) {
        const std::uint32_t length = std::min(INTERNAL_LOG_PIECE, total - offset);
        std::vector<std::uint8_t> piece(length);
        if (!request(offset, piece) || !file.write(listing.list(piece))) return false;
        offset += length;
    }
    return file.close();
}

bool write_log(drive_channel& channel, log_kind kind, vendor maker, const identity& id, const std::string& file_path)
{
    if (kind == log_kind::drive_inquiry) return write_inquiry(id, file_path);
    if (kind == log_kind::drive_log_sense) return write_log_sense(channel, maker, file_path);
    for (const internal_log& log : INTERNAL_LOGS) {
        if (log.kind == kind) return write_internal_log(channel, maker, log, file_path);
    }
    return report_error(ERROR_NOT_SUPPORTED, shown::as_such);
}

} // namespace

bool collect_drive_log(log_kind kind, int controller, int drive, const std::string& file_path)
{
    drive_channel channel(controller, drive);
    identity id{};
    vendor maker = vendor::meridan;
    bool started = false;
    if (!identify(channel, id, maker) || !prepare(channel, controller, drive, started)) return false;
    const bool written = write_log(channel, kind, maker, id, file_path);
    // The drive goes back to rest whether or not the log was written; the
    // log's own failure is the one reported first.
    const bool stopped = finish(channel, started);
    return written && stopped;
}

} // namespace zanlog
