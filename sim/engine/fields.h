// The keys of each section of the model's text form, as tables: the parser
// and the writer both walk them, so a field is described in one place.
#ifndef SIM_ENGINE_FIELDS_H
#define SIM_ENGINE_FIELDS_H

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model.h"

namespace sim {

// A word that stands for a code ("good", "wt", "n/a").
struct named_code {
    const char* name;
    std::uint32_t code;
};

enum class field_kind {
    text,    // quoted text of at most `limit` characters
    number,  // decimal (or 0x hex) up to `limit`; `names` may add words
    hex,     // like number, written in hex with as many digits as `limit` has
    choice,  // one of `names`
    custom,  // parse and format below
};

template <class T>
struct field {
    const char* key;
    field_kind kind;
    std::string T::*text = nullptr;
    std::uint32_t T::*number = nullptr;
    std::uint64_t limit = 0;
    std::span<const named_code> names = {};
    std::string (*parse)(T&, std::string_view) = nullptr;
    std::string (*format)(const T&) = nullptr;
};

std::span<const field<adapter>> adapter_fields();
std::span<const field<fault_plan>> fault_fields();
std::span<const field<physical_drive>> drive_fields();
std::span<const field<logical_drive>> logical_fields();
std::span<const field<registry_port>> port_fields();

// Word tables also used by the tool's report.
std::span<const named_code> drive_state_names();
std::span<const named_code> link_names();
// The level and member list as the text form writes them ("10", "0 1 6s").
std::string format_level(const logical_drive& ld);
std::string format_members(const logical_drive& ld);

const char* name_of(std::span<const named_code> names, std::uint32_t code);

// Numbers as the text form writes them: decimal, or 0x hex (either accepted).
[[nodiscard]] bool parse_number(std::string_view text, std::uint64_t limit, std::uint64_t& out);

// Bytes as the text form writes them: two hex digits each, no separators.
std::string hex_bytes(std::span<const std::uint8_t> bytes);
[[nodiscard]] bool parse_hex_bytes(std::string_view text, std::vector<std::uint8_t>& out);

// Volume letters as the text form writes them ("D E"); parsing accepts
// either case, refuses the system volume and repeats, and keeps upper case.
std::string format_volumes(const std::string& letters);
[[nodiscard]] std::string parse_volumes(std::string_view text, std::string& letters);

} // namespace sim

#endif
