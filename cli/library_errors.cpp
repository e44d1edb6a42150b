#include "library_errors.h"

#include "messages.h"
#include "output.h"
#include "zandllctl.h"

#include <plat/error.h>

namespace cli {

namespace {

// Bits that make an error an argument or set-up fault (category 1).
inline constexpr std::uint32_t argument_bits = zan::DLL_ERROR_ARGUMENT | zan::DLL_ERROR_GROUP_NOT_DEFINED |
                                               zan::DLL_ERROR_MUTEX;
// Bits of internal or driver failures (category 2).
inline constexpr std::uint32_t driver_bits = zan::DLL_ERROR_INTERNAL | zan::DLL_ERROR_DRIVER_FAILURE;

} // namespace

std::string internal_error_message(int category, std::uint32_t value)
{
    return format(msg::internal_error, category, static_cast<unsigned>(value));
}

std::string system_error_message(std::uint32_t windows_error)
{
    return internal_error_message(category_system, windows_error);
}

std::string library_error_message(std::uint32_t word, std::uint32_t system_error, std::optional<int> adapter)
{
    int category = (word & argument_bits) ? category_argument : category_library;
    if (word & driver_bits) {
        category = category_driver;
    } else if (word & zan::DLL_ERROR_DRIVER_REFUSED) {
        return adapter ? format(msg::adapter_detected_error, *adapter) : std::string(msg::detected_error);
    } else if (word & zan::DLL_ERROR_STATE_REFUSED) {
        return adapter ? format(msg::adapter_cannot_execute, *adapter) : std::string(msg::cannot_execute);
    } else if (word & zan::DLL_ERROR_IOCTL_BUSY) {
        return msg::competition;
    }
    if (word & zan::DLL_ERROR_SYSTEM) return system_error_message(system_error);
    return internal_error_message(category, word);
}

std::string current_library_error_message(std::optional<int> adapter)
{
    const std::uint32_t word = DLLGetLastError();
    return library_error_message(word, plat::last_error(), adapter);
}

void report_library_error(std::optional<int> adapter)
{
    say(current_library_error_message(adapter));
}

} // namespace cli
