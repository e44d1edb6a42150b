// One pass-through call: the request, the CDB dump, the function looked up
// by name, and the report of a failure by its error class.
#ifndef PTH_PASS_CALL_H
#define PTH_PASS_CALL_H

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "plat/module.h"
#include "zandllpth.h"

namespace pth {

inline constexpr std::uint32_t max_buffer_bytes = 65536;
inline constexpr std::uint32_t block_bytes = 512;

// Where a command goes: a physical drive behind the adapter (wrapped, to the
// adapter's RAID disk) or a Windows disk numbered as the logical drive.
struct pass_target {
    bool physical;
    int controller;
    int drive;
};

// The request for the drive's own command `cdb`: zeroed, then target, disk
// number, controller, direction and the (wrapped) command bytes.
zan::ZanPasRequest build_request(const pass_target& target, std::uint8_t direction, std::span<const std::uint8_t> cdb);

// The command bytes as sent: the request's CDB, as long as its length field.
std::span<const std::uint8_t> sent_cdb(const zan::ZanPasRequest& request);

// How a read-type function is called: the data length goes in and the
// received length comes back; a write-type function takes it by value.
enum class call_shape { read, write };

class pass_caller {
public:
    explicit pass_caller(const plat::run_time_library& library) : library_(library) {}

    // Prints the CDB dump and an empty line, looks up `function` and calls it.
    // False after reporting any failure. `lookup_by_call` chooses the
    // "GetProcAddress() failed" report of a failed lookup over ZAN0018-E.
    [[nodiscard]] bool call(const char* function, call_shape shape, zan::ZanPasRequest& request,
                            std::span<std::uint8_t> data, std::uint32_t& length, bool show_cdb = true,
                            bool lookup_by_call = false) const;

    // The same without any report of the call's own result: the result code
    // (ZANPAS_*), with the detail the library left in `detail`; -1 after
    // reporting a failed lookup.
    [[nodiscard]] int call_quiet(const char* function, call_shape shape, zan::ZanPasRequest& request,
                                 std::span<std::uint8_t> data, std::uint32_t& length,
                                 std::array<std::uint8_t, 260>& detail, bool show_cdb = true,
                                 bool lookup_by_call = false) const;

private:
    const plat::run_time_library& library_;
};

// Reports a failed call by its error class and the detail the library left.
void report_pass_failure(int result, std::span<const std::uint8_t> detail);

// A data buffer of `bytes`, at most 65,536, zero-filled; nullopt after
// reporting a request for 0 bytes.
std::optional<std::vector<std::uint8_t>> data_buffer(std::uint32_t bytes);

// Big-endian stores into command bytes.
void put_be(std::span<std::uint8_t> at, std::uint32_t value);
std::uint32_t get_be(std::span<const std::uint8_t> at);

} // namespace pth

#endif
