// The data buffer of one pass-through: zeroed, aligned to a page as the
// storage stack wants direct transfers to be, freed when it goes.
#ifndef ZANDLLPTH_TRANSFER_BUFFER_H
#define ZANDLLPTH_TRANSFER_BUFFER_H

#include <cstdint>
#include <span>

namespace zan::pth {

inline constexpr std::size_t PAGE_SIZE = 4096;
// No port carries more in one command; a longer buffer is not attempted.
inline constexpr std::uint32_t TRANSFER_LIMIT = 0x1000000;

class transfer_buffer {
public:
    transfer_buffer() = default;
    ~transfer_buffer();
    transfer_buffer(const transfer_buffer&) = delete;
    transfer_buffer& operator=(const transfer_buffer&) = delete;

    // False with the system's last error set (not enough memory) when the
    // buffer cannot be had.
    [[nodiscard]] bool allocate(std::uint32_t size);
    std::span<std::uint8_t> bytes() const { return {data_, size_}; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace zan::pth

#endif
