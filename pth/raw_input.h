// The data rules of the "ANY" command, apart for the tests.
#ifndef PTH_RAW_INPUT_H
#define PTH_RAW_INPUT_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pth {

// The data length of an "ANY" command: READ CAPACITY moves 8 bytes; more
// than 65,536 bytes cannot be handled (nullopt).
std::optional<std::uint32_t> any_length(std::uint32_t given, std::uint8_t operation);

struct any_data {
    std::vector<std::uint8_t> bytes; // `length` bytes, zeros past the given ones unless repeated
    bool given;                      // whether the file gave any data bytes
};

// The write data of fields 7 and later, appended until `length` is reached,
// repeated to fill it when `repeat`. nullopt for a field that is not
// hexadecimal digit pairs.
std::optional<any_data> any_write_data(const std::vector<std::string>& fields, std::uint32_t length, bool repeat);

} // namespace pth

#endif
