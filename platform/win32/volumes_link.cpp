// Volumes of the Windows test build: the drive letters, drive types and
// volume names of the simulated storage stack, asked over the simulator link
// (link_client.h), one connection per question.
#include <string>
#include <utility>
#include <vector>

#include "link_client.h"
#include "plat/error.h"
#include "plat/volumes.h"
#include "volume_list.h"

namespace plat {

namespace {

// Asks the server; false with the last error set when the link fails.
bool ask(sim::link::writer& request, std::vector<std::uint8_t>& answer)
{
    link::connection connection;
    std::uint32_t rc = connection.connect();
    if (rc == ERR_SUCCESS) rc = connection.exchange(request, answer);
    if (rc != ERR_SUCCESS) set_last_error(rc);
    return rc == ERR_SUCCESS;
}

} // namespace

std::uint32_t logical_drive_mask()
{
    sim::link::writer request(sim::link::op::volume_mask);
    std::vector<std::uint8_t> answer;
    if (!ask(request, answer)) return 0;
    sim::link::reader reply(answer);
    const std::uint32_t error = reply.u32();
    const std::uint32_t mask = reply.u32();
    if (!reply.done() || error != ERR_SUCCESS) {
        set_last_error(reply.done() ? error : ERR_IO_DEVICE);
        return 0;
    }
    return mask;
}

std::uint32_t drive_type(const char* root_path)
{
    if (root_path == nullptr) return DRIVE_TYPE_NO_ROOT_DIR;
    sim::link::writer request(sim::link::op::drive_type);
    request.text(root_path);
    std::vector<std::uint8_t> answer;
    if (!ask(request, answer)) return DRIVE_TYPE_UNKNOWN;
    sim::link::reader reply(answer);
    const std::uint32_t type = reply.u32();
    return reply.done() ? type : DRIVE_TYPE_UNKNOWN;
}

bool volume_search::first(std::string& name)
{
    close();
    sim::link::writer request(sim::link::op::volume_names);
    std::vector<std::uint8_t> answer;
    if (!ask(request, answer)) return false;
    sim::link::reader reply(answer);
    const std::uint32_t error = reply.u32();
    const std::uint32_t count = reply.u32();
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < count && reply.ok(); ++i) names.push_back(reply.text());
    if (!reply.done() || error != ERR_SUCCESS) {
        set_last_error(reply.done() ? error : ERR_IO_DEVICE);
        return false;
    }
    return start_volume_list(*this, std::move(names), name);
}

} // namespace plat
