// The hexadecimal listing of the drive logs: a header line when the running
// address is 0, then per 16 bytes "%08lx: " the address, 32 hex digits, one
// blank and the bytes as characters.
#ifndef ZANLOG_HEX_LISTING_H
#define ZANLOG_HEX_LISTING_H

#include <cstdint>
#include <span>
#include <string>

namespace zanlog {

class hex_listing {
public:
    // `header` is the header line without its line feed ("<Page0d>").
    explicit hex_listing(std::string header) : header_(std::move(header)) {}

    // The lines of one block of data; the address runs on from block to block.
    [[nodiscard]] std::string list(std::span<const std::uint8_t> block);

private:
    std::string header_;
    std::uint32_t address_ = 0;
};

} // namespace zanlog

#endif
