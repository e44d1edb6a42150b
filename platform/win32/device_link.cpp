// Device access of the Windows test build: every device path, control
// request and pass-through goes over the simulator link to `zansim serve`,
// which answers it from the simulated machine (link_client.h). One
// connection per open device, so the server keeps the device's state.
#include <cstring>
#include <new>

#include "link_client.h"
#include "plat/device.h"
#include "plat/error.h"

namespace plat {

namespace {

// Sends a request on an open device's connection and leaves the answer's
// payload in `answer`; false, with the last error set, when the link fails.
bool exchange(void* handle, sim::link::writer& request, std::vector<std::uint8_t>& answer)
{
    if (handle == nullptr) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (const std::uint32_t rc = static_cast<link::connection*>(handle)->exchange(request, answer); rc != ERR_SUCCESS) {
        set_last_error(rc);
        return false;
    }
    return true;
}

// The end of an answer: a malformed one is a device error; otherwise the
// call's own result, its error code as the last error.
bool finish(const sim::link::reader& reply, std::uint32_t error)
{
    if (!reply.done()) error = ERR_IO_DEVICE;
    if (error != ERR_SUCCESS) set_last_error(error);
    return error == ERR_SUCCESS;
}

std::span<const std::uint8_t> bytes_of(const void* data, std::uint32_t size)
{
    return data == nullptr ? std::span<const std::uint8_t>() : std::span(static_cast<const std::uint8_t*>(data), size);
}

} // namespace

device::~device()
{
    close();
}

bool device::open(const char* path)
{
    close();
    if (path == nullptr) {
        set_last_error(ERR_PATH_NOT_FOUND);
        return false;
    }
    auto* connection = new (std::nothrow) link::connection;
    if (connection == nullptr) {
        set_last_error(ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (const std::uint32_t rc = connection->connect(); rc != ERR_SUCCESS) {
        delete connection;
        set_last_error(rc);
        return false;
    }
    sim::link::writer request(sim::link::op::open);
    request.text(path);
    std::vector<std::uint8_t> answer;
    if (!exchange(connection, request, answer)) {
        delete connection;
        return false;
    }
    sim::link::reader reply(answer);
    if (!finish(reply, reply.u32())) {
        delete connection;
        return false;
    }
    handle_ = connection;
    return true;
}

bool device::control(std::uint32_t code, const void* in, std::uint32_t in_size, void* out, std::uint32_t out_size,
                     std::uint32_t* returned)
{
    if (returned != nullptr) *returned = 0;
    if (in_size > sim::link::BUFFER_MAX || out_size > sim::link::BUFFER_MAX) {
        set_last_error(ERR_INVALID_PARAMETER);
        return false;
    }
    sim::link::writer request(sim::link::op::control);
    request.u32(code);
    request.u32(in_size);
    request.u32(out_size);
    request.u8((in != nullptr ? sim::link::HAS_IN : 0) | (out != nullptr ? sim::link::HAS_OUT : 0));
    request.bytes(bytes_of(in, in_size));
    std::vector<std::uint8_t> answer;
    if (!exchange(handle_, request, answer)) return false;

    sim::link::reader reply(answer);
    const std::uint32_t error = reply.u32();
    const std::uint32_t count = reply.u32();
    const auto data = reply.bytes(out_size);
    if (!data.empty() && out != nullptr) std::memcpy(out, data.data(), data.size());
    if (returned != nullptr) *returned = count;
    return finish(reply, error);
}

bool device::pass_through(const scsi_request& request, scsi_result& result)
{
    result = {};
    if (!well_formed(request) || request.data.size() > sim::link::BUFFER_MAX) {
        set_last_error(handle_ == nullptr ? ERR_INVALID_HANDLE : ERR_INVALID_PARAMETER);
        return false;
    }
    const bool sends = request.direction == scsi_direction::out;
    sim::link::writer message(sim::link::op::pass_through);
    message.u8(static_cast<std::uint8_t>(request.direction));
    message.u8(request.path_id);
    message.u8(request.target_id);
    message.u8(request.lun);
    message.u32(request.timeout_seconds);
    message.u32(static_cast<std::uint32_t>(request.sense.size()));
    message.u32(static_cast<std::uint32_t>(request.data.size()));
    message.bytes(request.cdb);
    message.bytes(sends ? std::span<const std::uint8_t>(request.data) : std::span<const std::uint8_t>());
    std::vector<std::uint8_t> answer;
    if (!exchange(handle_, message, answer)) return false;

    sim::link::reader reply(answer);
    const std::uint32_t error = reply.u32();
    const std::uint8_t status = reply.u8();
    const std::uint32_t transferred = reply.u32();
    const auto data = reply.bytes(static_cast<std::uint32_t>(request.data.size()));
    const auto sense = reply.bytes(static_cast<std::uint32_t>(request.sense.size()));
    if (!finish(reply, error)) return false;
    if (!data.empty()) std::memcpy(request.data.data(), data.data(), data.size());
    if (!sense.empty()) std::memcpy(request.sense.data(), sense.data(), sense.size());
    result.status = status;
    result.transferred = transferred;
    result.sense_length = static_cast<std::uint32_t>(sense.size());
    return true;
}

bool device::is_open() const
{
    return handle_ != nullptr;
}

void device::close()
{
    delete static_cast<link::connection*>(handle_);
    handle_ = nullptr;
}

} // namespace plat
