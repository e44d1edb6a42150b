// "L": the error history and SMART logs of every drive of every adapter.
#include <vector>

#include "checks.h"
#include "tool_commands.h"
#include "drive_identity.h"
#include "log_report.h"
#include "tool_messages.h"
#include "tool_output.h"

namespace pth {

namespace {

constexpr std::uint8_t op_log_sense = 0x4D;
constexpr std::uint8_t current_values = 0x40;
constexpr int max_controllers = 4;

std::optional<std::vector<std::uint8_t>> log_sense(const pass_caller& caller, const pass_target& target,
                                                   std::uint8_t page, std::uint16_t allocation)
{
    std::uint8_t cdb[10] = {op_log_sense, 0, static_cast<std::uint8_t>(current_values | page)};
    put_be(std::span(cdb).subspan(7, 2), allocation);
    zan::ZanPasRequest request = build_request(target, zan::ZANPAS_DATA_IN, cdb);
    std::vector<std::uint8_t> data(allocation, 0);
    std::uint32_t length = allocation;
    if (!caller.call("ZanPasLogSense", call_shape::read, request, data, length))
        return std::nullopt;
    return data;
}

void drive_report(const pass_caller& caller, const pass_target& target)
{
    putf(msg::controller_line, target.controller);
    putf(msg::physical_drive_line, target.drive);
    put("\n<<<Logpage31:Errors the drive reported in the past>>>\n");
    const auto history = log_sense(caller, target, 0x31, error_history_bytes);
    if (!history)
        return;
    put(error_history_report(*history));
    put("\n<<<Logpage32:HDD SMART related log>>>\n");
    const auto identity = read_identity(caller, target, true);
    if (!identity)
        return;
    const auto layout = smart_layout_of(identity->product);
    if (!layout)
        return;
    const auto smart = log_sense(caller, target, 0x32, layout->allocation);
    if (smart)
        put(smart_report(*smart, *layout));
}

} // namespace

void drive_logs(const pass_caller& caller, command_args)
{
    for (int controller = 0; controller < max_controllers; ++controller) {
        if (!check_controller(controller, loudness::quiet))
            continue;
        for (int drive = 0; drive < max_physical_drives; ++drive) {
            if (check_physical_drive(controller, drive, loudness::quiet))
                drive_report(caller, {true, controller, drive});
        }
    }
}

} // namespace pth
