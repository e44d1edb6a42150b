// Names of control codes, driver status words and argument errors, as the
// debug log shows them.
#ifndef ZAN_NAMES_H
#define ZAN_NAMES_H

#include <cstdint>

namespace zan {

inline constexpr const char* UNKNOWN_CONTROL_CODE_NAME = "NO SUCH IOCTL_CODE !!";

// Name of a control code, or nullptr for a code without a name.
const char* control_code_name(std::uint32_t code);

// Name of a driver status word; values outside the table are failures.
const char* status_name(std::uint16_t status);

// Name of an argument-error bit (or DLL_ERROR_IOCTL_BUSY), or nullptr.
const char* argument_error_name(std::uint32_t bit);

} // namespace zan

#endif
