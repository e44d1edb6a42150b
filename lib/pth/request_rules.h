// The pass-through library's rules before any device is touched: the
// argument checks of each export kind in their order, the operation code
// filled in or required by the wrappers, and the texts written into the
// caller's out buffer. Pure functions over the caller's arguments.
#ifndef ZANDLLPTH_REQUEST_RULES_H
#define ZANDLLPTH_REQUEST_RULES_H

#include <cstdint>
#include <optional>

#include "zandllpth.h"

namespace zan::pth {

// Arguments as an export received them (the by-value length of the write
// wrappers passed by its address).
struct call_arguments {
    ZanPasRequest* request;
    const void* data;
    const std::uint32_t* length;
    char* out;
    const std::uint32_t* out_size;
};

enum class length_rule { zero_allowed, required };

// The checks shared by every export: out null (result 1, nothing written),
// request null (1), length missing or, where required, zero (3), data null
// with a non-zero length (2), out size missing or zero (5). Returns the
// result code when a check fails (out byte 0 set as said), else nothing.
[[nodiscard]] std::optional<int> check_arguments(const call_arguments& a, length_rule rule);

// Read-type wrappers: when request offset 0 is 0, put the operation code in
// (target 0: byte 0 0xBB and byte 2 the code; target 1: byte 0 the code).
// Another target: out byte 0 = 1 and result 1.
[[nodiscard]] std::optional<int> fill_operation(ZanPasRequest& request, std::uint8_t code, char* out);

// Write-type wrappers: when request offset 0 is 0, the CDB must already hold
// the code (target 0: byte 0 0xBA and byte 2 the code; target 1: byte 0 the
// code), else out byte 0 = 1 and result 1.
[[nodiscard]] std::optional<int> require_operation(const ZanPasRequest& request, std::uint8_t code, char* out);

// What ZanPasAnyCommand checks of the request itself before it opens a
// device: offset 0 not 0 (result 2), a target other than 0 or 1, or a CDB
// length beyond the 16 bytes the request and the pass-through structure
// hold (result 1, out byte 0 = 1).
[[nodiscard]] std::optional<int> check_request(const ZanPasRequest& request, char* out);

// Texts of the failure results, cut to the caller's out size: "%d" with the
// system error (results 3 and 7) or "<step>,%d" (result 5).
void write_error_text(char* out, std::uint32_t out_size, std::uint32_t error);
void write_step_text(char* out, std::uint32_t out_size, const char* step, std::uint32_t error);

// Sense data into out: at most out size bytes; when the sense is longer, the
// out size becomes the sense length so that the caller can learn it.
void copy_sense(const std::uint8_t* sense, std::uint32_t sense_length, char* out, std::uint32_t& out_size);

std::uint32_t request_u32(const std::uint8_t (&field)[4]);

} // namespace zan::pth

#endif
