#include "request_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zan::pth {

namespace {

constexpr std::size_t CDB_LIMIT = sizeof(ZanPasRequest::cdb);

int argument_error(char* out, std::uint8_t reason)
{
    out[0] = static_cast<char>(reason);
    return ZANPAS_ARGUMENT;
}

} // namespace

std::uint32_t request_u32(const std::uint8_t (&field)[4])
{
    return static_cast<std::uint32_t>(field[0]) | (static_cast<std::uint32_t>(field[1]) << 8) |
           (static_cast<std::uint32_t>(field[2]) << 16) | (static_cast<std::uint32_t>(field[3]) << 24);
}

std::optional<int> check_arguments(const call_arguments& a, length_rule rule)
{
    if (a.out == nullptr) return ZANPAS_ARGUMENT;
    if (a.request == nullptr) return argument_error(a.out, ZANPAS_ARG_REQUEST);
    if (a.length == nullptr || (rule == length_rule::required && *a.length == 0)) {
        return argument_error(a.out, ZANPAS_ARG_LENGTH);
    }
    if (*a.length != 0 && a.data == nullptr) return argument_error(a.out, ZANPAS_ARG_DATA);
    if (a.out_size == nullptr || *a.out_size == 0) return argument_error(a.out, ZANPAS_ARG_OUT_SIZE);
    return std::nullopt;
}

std::optional<int> fill_operation(ZanPasRequest& request, std::uint8_t code, char* out)
{
    if (request_u32(request.must_be_zero) != 0) return std::nullopt;
    switch (request_u32(request.target)) {
    case ZANPAS_TARGET_RAID_DISK:
        request.cdb[0] = ZANPAS_WRAP_DATA_IN;
        request.cdb[ZANPAS_WRAP_LENGTH] = code;
        return std::nullopt;
    case ZANPAS_TARGET_DISK: request.cdb[0] = code; return std::nullopt;
    default: return argument_error(out, ZANPAS_ARG_REQUEST);
    }
}

std::optional<int> require_operation(const ZanPasRequest& request, std::uint8_t code, char* out)
{
    if (request_u32(request.must_be_zero) != 0) return std::nullopt;
    const std::uint32_t target = request_u32(request.target);
    const bool holds = target == ZANPAS_TARGET_RAID_DISK
                           ? request.cdb[0] == ZANPAS_WRAP_DATA_OUT && request.cdb[ZANPAS_WRAP_LENGTH] == code
                           : target == ZANPAS_TARGET_DISK && request.cdb[0] == code;
    if (!holds) return argument_error(out, ZANPAS_ARG_REQUEST);
    return std::nullopt;
}

std::optional<int> check_request(const ZanPasRequest& request, char* out)
{
    if (request_u32(request.must_be_zero) != 0) return ZANPAS_NOT_ZERO;
    const std::uint32_t target = request_u32(request.target);
    if ((target != ZANPAS_TARGET_RAID_DISK && target != ZANPAS_TARGET_DISK) || request.cdb_length[0] > CDB_LIMIT) {
        return argument_error(out, ZANPAS_ARG_REQUEST);
    }
    return std::nullopt;
}

void write_error_text(char* out, std::uint32_t out_size, std::uint32_t error)
{
    std::snprintf(out, out_size, "%d", static_cast<int>(error));
}

void write_step_text(char* out, std::uint32_t out_size, const char* step, std::uint32_t error)
{
    std::snprintf(out, out_size, "%s,%d", step, static_cast<int>(error));
}

void copy_sense(const std::uint8_t* sense, std::uint32_t sense_length, char* out, std::uint32_t& out_size)
{
    std::memcpy(out, sense, std::min(sense_length, out_size));
    if (sense_length > out_size) out_size = sense_length;
}

} // namespace zan::pth
