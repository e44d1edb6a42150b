#include "pass_call.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hex_dump.h"
#include "tool_messages.h"
#include "tool_output.h"
#include "plat/error.h"

namespace pth {

namespace {

constexpr std::uint32_t detail_size = 260;

void put_le32(std::uint8_t (&field)[4], std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        field[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The detail as text: the bytes up to the first zero.
std::string detail_text(std::span<const std::uint8_t> detail)
{
    const auto end = std::find(detail.begin(), detail.end(), std::uint8_t{0});
    return std::string(detail.begin(), end);
}

std::uint32_t decimal_code(const std::string& text)
{
    return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

} // namespace

void put_be(std::span<std::uint8_t> at, std::uint32_t value)
{
    for (std::size_t i = 0; i < at.size(); ++i)
        at[at.size() - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get_be(std::span<const std::uint8_t> at)
{
    std::uint32_t value = 0;
    for (const std::uint8_t byte : at)
        value = (value << 8) | byte;
    return value;
}

zan::ZanPasRequest build_request(const pass_target& target, std::uint8_t direction, std::span<const std::uint8_t> cdb)
{
    zan::ZanPasRequest request{};
    std::size_t at = 0;
    if (target.physical) {
        put_le32(request.target, zan::ZANPAS_TARGET_RAID_DISK);
        request.cdb[at++] = direction == zan::ZANPAS_DATA_OUT ? zan::ZANPAS_WRAP_DATA_OUT : zan::ZANPAS_WRAP_DATA_IN;
        request.cdb[at++] = static_cast<std::uint8_t>(target.drive);
    } else {
        put_le32(request.target, zan::ZANPAS_TARGET_DISK);
        request.disk_number = static_cast<std::uint8_t>(target.drive);
    }
    request.caller_byte = static_cast<std::uint8_t>(target.controller);
    request.direction = direction;
    const std::size_t count = std::min(cdb.size(), sizeof request.cdb - at);
    std::copy_n(cdb.begin(), count, request.cdb + at);
    put_le32(request.cdb_length, static_cast<std::uint32_t>(at + count));
    return request;
}

std::span<const std::uint8_t> sent_cdb(const zan::ZanPasRequest& request)
{
    return {request.cdb, std::min<std::size_t>(request.cdb_length[0], sizeof request.cdb)};
}

void report_pass_failure(int result, std::span<const std::uint8_t> detail)
{
    const std::string text = detail_text(detail);
    const auto comma = text.find(',');
    switch (result) {
    case zan::ZANPAS_ARGUMENT:
        if (detail[0] == zan::ZANPAS_ARG_LENGTH)
            put(msg::size_zero);
        else
            putf(msg::parameter_error, detail[0]);
        break;
    case zan::ZANPAS_NOT_ZERO:
        put(msg::unsupported);
        break;
    case zan::ZANPAS_IO_FAILED:
        putf(msg::execution_error, plat::system_message(decimal_code(text)).c_str());
        break;
    case zan::ZANPAS_SCSI_STATUS:
        putf(msg::sense_data, detail[2], detail[12], detail[13]);
        break;
    case zan::ZANPAS_OPEN_FAILED: {
        const std::uint32_t code = comma == std::string::npos ? 0 : decimal_code(text.substr(comma + 1));
        putf(msg::function_failed, text.substr(0, comma).c_str(), static_cast<int>(code),
             plat::system_message(code).c_str());
        break;
    }
    case zan::ZANPAS_BUSY:
        put(msg::busy);
        break;
    case zan::ZANPAS_NO_MEMORY:
        putf(msg::memory_alloc, static_cast<int>(decimal_code(text)), "Failed in Library");
        break;
    default:
        return;
    }
    abnormal_end();
}

int pass_caller::call_quiet(const char* function, call_shape shape, zan::ZanPasRequest& request,
                            std::span<std::uint8_t> data, std::uint32_t& length,
                            std::array<std::uint8_t, detail_size>& detail, bool show_cdb, bool lookup_by_call) const
{
    if (show_cdb) {
        const auto cdb = sent_cdb(request);
        print_dump("CDB", cdb, 0, static_cast<std::uint32_t>(cdb.size()));
        put("\n");
    }
    const plat::run_time_library::function found = library_.find(function);
    if (found == nullptr) {
        const std::string reason = plat::system_message(plat::last_error());
        if (lookup_by_call)
            putf(msg::call_failed, "GetProcAddress", reason.c_str());
        else
            putf(msg::function_lookup, reason.c_str());
        abnormal_end();
        return -1;
    }
    detail.fill(0);
    std::uint32_t detail_length = detail_size;
    char* out = reinterpret_cast<char*>(detail.data());
    const int result = shape == call_shape::read
                           ? reinterpret_cast<ZanPasReadCall>(found)(&request, data.data(), &length, out, &detail_length)
                           : reinterpret_cast<ZanPasWriteCall>(found)(&request, data.data(), length, out, &detail_length);
    detail[detail_size - 1] = 0;
    return result;
}

bool pass_caller::call(const char* function, call_shape shape, zan::ZanPasRequest& request,
                       std::span<std::uint8_t> data, std::uint32_t& length, bool show_cdb, bool lookup_by_call) const
{
    std::array<std::uint8_t, detail_size> detail{};
    const int result = call_quiet(function, shape, request, data, length, detail, show_cdb, lookup_by_call);
    if (result == zan::ZANPAS_OK)
        return true;
    if (result > 0)
        report_pass_failure(result, detail);
    return false;
}

std::optional<std::vector<std::uint8_t>> data_buffer(std::uint32_t bytes)
{
    if (bytes == 0) {
        put(msg::data_length_zero);
        abnormal_end();
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(std::min(bytes, max_buffer_bytes), 0);
}

} // namespace pth
