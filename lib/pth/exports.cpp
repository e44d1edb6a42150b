// The twelve exports: the general command and the wrappers that fill in or
// require the operation code of one SCSI command. No exception leaves them.
#include "command.h"
#include "plat/error.h"
#include "request_rules.h"
#include "zandllpth.h"

using zan::ZanPasRequest;
using namespace zan::pth;

namespace {

constexpr std::uint8_t OP_INQUIRY = 0x12;
constexpr std::uint8_t OP_LOG_SENSE = 0x4D;
constexpr std::uint8_t OP_MODE_SENSE = 0x1A;
constexpr std::uint8_t OP_READ_BUFFER = 0x3C;
constexpr std::uint8_t OP_READ_EXTEND = 0x28;
constexpr std::uint8_t OP_READ_LONG = 0x3E;
constexpr std::uint8_t OP_INTERNAL_LOG = 0xFE;
constexpr std::uint8_t OP_MODE_SELECT = 0x15;
constexpr std::uint8_t OP_WRITE_BUFFER = 0x3B;
constexpr std::uint8_t OP_WRITE_EXTEND = 0x2A;
constexpr std::uint8_t OP_WRITE_LONG = 0x3F;

int any_command(ZanPasRequest* request, void* data, std::uint32_t* length, char* out, std::uint32_t* out_size)
{
    if (const auto refused = check_arguments({request, data, length, out, out_size}, length_rule::zero_allowed)) {
        return *refused;
    }
    try {
        return run_command(*request, data, *length, out, *out_size);
    } catch (...) {
        write_error_text(out, *out_size, plat::ERR_NOT_ENOUGH_MEMORY); // only allocation throws
        return zan::ZANPAS_NO_MEMORY;
    }
}

int read_wrapper(std::uint8_t code, ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                 std::uint32_t* out_size)
{
    if (const auto refused = check_arguments({request, data, length, out, out_size}, length_rule::required)) {
        return *refused;
    }
    if (const auto refused = fill_operation(*request, code, out)) return *refused;
    return any_command(request, data, length, out, out_size);
}

int write_wrapper(std::uint8_t code, ZanPasRequest* request, void* data, std::uint32_t length, char* out,
                  std::uint32_t* out_size)
{
    if (const auto refused = check_arguments({request, data, &length, out, out_size}, length_rule::required)) {
        return *refused;
    }
    if (const auto refused = require_operation(*request, code, out)) return *refused;
    return any_command(request, data, &length, out, out_size);
}

} // namespace

extern "C" {

int ZANPASAPI ZanPasAnyCommand(ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                               std::uint32_t* out_size)
{
    return any_command(request, data, length, out, out_size);
}

int ZANPASAPI ZanPasInquiry(ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                            std::uint32_t* out_size)
{
    return read_wrapper(OP_INQUIRY, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasLogSense(ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                             std::uint32_t* out_size)
{
    return read_wrapper(OP_LOG_SENSE, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasModeSense(ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                              std::uint32_t* out_size)
{
    return read_wrapper(OP_MODE_SENSE, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasReadBuffer(ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                               std::uint32_t* out_size)
{
    return read_wrapper(OP_READ_BUFFER, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasReadExtend(ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                               std::uint32_t* out_size)
{
    return read_wrapper(OP_READ_EXTEND, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasReadLong(ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                             std::uint32_t* out_size)
{
    return read_wrapper(OP_READ_LONG, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasRequestInternalLog(ZanPasRequest* request, void* data, std::uint32_t* length, char* out,
                                       std::uint32_t* out_size)
{
    return read_wrapper(OP_INTERNAL_LOG, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasModeSelect(ZanPasRequest* request, void* data, std::uint32_t length, char* out,
                               std::uint32_t* out_size)
{
    return write_wrapper(OP_MODE_SELECT, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasWriteBuffer(ZanPasRequest* request, void* data, std::uint32_t length, char* out,
                                std::uint32_t* out_size)
{
    return write_wrapper(OP_WRITE_BUFFER, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasWriteExtend(ZanPasRequest* request, void* data, std::uint32_t length, char* out,
                                std::uint32_t* out_size)
{
    return write_wrapper(OP_WRITE_EXTEND, request, data, length, out, out_size);
}

int ZANPASAPI ZanPasWriteLong(ZanPasRequest* request, void* data, std::uint32_t length, char* out,
                              std::uint32_t* out_size)
{
    return write_wrapper(OP_WRITE_LONG, request, data, length, out, out_size);
}

} // extern "C"
