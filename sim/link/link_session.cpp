#include "link_session.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "plat/error.h"
#include "plat/volumes.h"
#include "sim/link.h"

namespace sim::link {

namespace {

// The failure of a plat call, as the caller's last error.
std::uint32_t failure()
{
    const std::uint32_t code = plat::last_error();
    return code == plat::ERR_SUCCESS ? plat::ERR_IO_DEVICE : code;
}

bool run_session(session& s, reader& in, writer& out)
{
    const std::string root = in.text();
    if (!in.done()) return false;
    if (!root.empty() && ::setenv("ZAN_ROOT", root.c_str(), 1) != 0) return false;
    s.started = true;
    out.u32(plat::ERR_SUCCESS);
    return true;
}

bool run_open(session& s, reader& in, writer& out)
{
    const std::string path = in.text();
    if (!in.done()) return false;
    out.u32(s.device.open(path.c_str()) ? plat::ERR_SUCCESS : failure());
    return true;
}

bool run_control(session& s, reader& in, writer& out)
{
    const std::uint32_t code = in.u32();
    const std::uint32_t in_size = in.u32();
    const std::uint32_t out_size = in.u32();
    const std::uint8_t flags = in.u8();
    const auto in_bytes = in.bytes();
    const bool has_in = (flags & HAS_IN) != 0;
    const bool has_out = (flags & HAS_OUT) != 0;
    if (!in.done() || (flags & ~(HAS_IN | HAS_OUT)) != 0 || out_size > BUFFER_MAX ||
        (has_in ? in_bytes.size() != in_size : !in_bytes.empty())) {
        return false;
    }
    const std::vector<std::uint8_t> request(in_bytes.begin(), in_bytes.end());
    std::vector<std::uint8_t> answer(has_out ? out_size : 0);
    std::uint32_t returned = 0;
    const bool ok = s.device.control(code, has_in ? request.data() : nullptr, in_size,
                                     has_out ? answer.data() : nullptr, out_size, &returned);
    out.u32(ok ? plat::ERR_SUCCESS : failure());
    out.u32(returned);
    // What the call wrote: the bytes it says it returned, only on success.
    const std::size_t written = ok && has_out ? std::min<std::size_t>(returned, answer.size()) : 0;
    out.bytes(std::span(answer).first(written));
    return true;
}

bool run_pass_through(session& s, reader& in, writer& out)
{
    plat::scsi_request request;
    request.direction = static_cast<plat::scsi_direction>(in.u8());
    request.path_id = in.u8();
    request.target_id = in.u8();
    request.lun = in.u8();
    request.timeout_seconds = in.u32();
    const std::uint32_t sense_size = in.u32();
    const std::uint32_t data_size = in.u32();
    const auto cdb_bytes = in.bytes(plat::SCSI_CDB_MAX);
    const auto out_bytes = in.bytes();
    const bool sends = request.direction == plat::scsi_direction::out;
    if (!in.done() || request.direction > plat::scsi_direction::none || sense_size > plat::SCSI_SENSE_MAX || data_size > BUFFER_MAX ||
        (sends ? out_bytes.size() != data_size : !out_bytes.empty())) {
        return false;
    }
    const std::vector<std::uint8_t> cdb(cdb_bytes.begin(), cdb_bytes.end());
    std::vector<std::uint8_t> data(out_bytes.begin(), out_bytes.end());
    data.resize(data_size);
    std::vector<std::uint8_t> sense(sense_size);
    request.cdb = cdb;
    request.data = data;
    request.sense = sense;

    plat::scsi_result result;
    const bool ok = s.device.pass_through(request, result);
    out.u32(ok ? plat::ERR_SUCCESS : failure());
    out.u8(result.status);
    out.u32(result.transferred);
    const bool receives = ok && request.direction == plat::scsi_direction::in;
    out.bytes(receives ? std::span<const std::uint8_t>(data) : std::span<const std::uint8_t>());
    out.bytes(std::span(sense).first(ok ? std::min<std::size_t>(result.sense_length, sense.size()) : 0));
    return true;
}

bool run_volume_mask(reader& in, writer& out)
{
    if (!in.done()) return false;
    const std::uint32_t mask = plat::logical_drive_mask();
    out.u32(mask != 0 ? plat::ERR_SUCCESS : failure());
    out.u32(mask);
    return true;
}

bool run_drive_type(reader& in, writer& out)
{
    const std::string root_path = in.text();
    if (!in.done()) return false;
    out.u32(plat::drive_type(root_path.c_str()));
    return true;
}

// The whole volume enumeration in one answer; the client walks it.
bool run_volume_names(reader& in, writer& out)
{
    if (!in.done()) return false;
    std::vector<std::string> names;
    plat::volume_search search;
    std::string name;
    for (bool more = search.first(name); more; more = search.next(name)) names.push_back(name);
    const std::uint32_t error = plat::last_error();
    out.u32(error == plat::ERR_NO_MORE_FILES ? plat::ERR_SUCCESS : failure());
    out.u32(static_cast<std::uint32_t>(names.size()));
    for (const std::string& n : names) out.text(n);
    return true;
}

bool run_stop(session& s, reader& in, writer& out)
{
    if (!in.done()) return false;
    s.stop_requested = true;
    out.u32(plat::ERR_SUCCESS);
    return true;
}

} // namespace

bool answer_request(session& s, std::span<const std::uint8_t> payload, std::vector<std::uint8_t>& answer)
{
    reader in(payload);
    const auto code = static_cast<op>(in.u8());
    writer out(code);
    bool ok = false;
    if (!in.ok()) return false;
    if (code == op::session) {
        ok = !s.started && run_session(s, in, out);
    } else if (!s.started) {
        return false;
    } else {
        switch (code) {
        case op::open: ok = run_open(s, in, out); break;
        case op::control: ok = run_control(s, in, out); break;
        case op::pass_through: ok = run_pass_through(s, in, out); break;
        case op::volume_mask: ok = run_volume_mask(in, out); break;
        case op::drive_type: ok = run_drive_type(in, out); break;
        case op::volume_names: ok = run_volume_names(in, out); break;
        case op::stop: ok = run_stop(s, in, out); break;
        default: ok = false; break;
        }
    }
    if (ok) answer = out.frame();
    return ok;
}

} // namespace sim::link
