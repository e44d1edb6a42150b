#include "transfer_buffer.h"

#include <cstring>
#include <new>

#include "plat/error.h"

namespace zan::pth {

transfer_buffer::~transfer_buffer()
{
    if (data_ != nullptr) ::operator delete(data_, std::align_val_t{PAGE_SIZE});
}

bool transfer_buffer::allocate(std::uint32_t size)
{
    void* memory = size <= TRANSFER_LIMIT ? ::operator new(size, std::align_val_t{PAGE_SIZE}, std::nothrow) : nullptr;
    if (memory == nullptr) {
        plat::set_last_error(plat::ERR_NOT_ENOUGH_MEMORY);
        return false;
    }
    data_ = static_cast<std::uint8_t*>(memory);
    size_ = size;
    std::memset(data_, 0, size_);
    return true;
}

} // namespace zan::pth
