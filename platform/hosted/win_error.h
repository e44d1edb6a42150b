// Windows error codes the hosted backend produces beyond those every program
// names in plat/error.h, and the one mapping of errno onto Windows codes that
// every hosted facility uses.
#ifndef PLAT_HOSTED_WIN_ERROR_H
#define PLAT_HOSTED_WIN_ERROR_H

#include <cstdint>

namespace plat::hosted {

inline constexpr std::uint32_t ERR_TOO_MANY_OPEN_FILES = 4;
inline constexpr std::uint32_t ERR_WRITE_PROTECT = 19;
inline constexpr std::uint32_t ERR_GEN_FAILURE = 31;
inline constexpr std::uint32_t ERR_NOT_SUPPORTED = 50;
inline constexpr std::uint32_t ERR_DISK_FULL = 112;
inline constexpr std::uint32_t ERR_DIR_NOT_EMPTY = 145;
inline constexpr std::uint32_t ERR_BAD_PATHNAME = 161;
inline constexpr std::uint32_t ERR_BUSY = 170;
inline constexpr std::uint32_t ERR_FILENAME_EXCED_RANGE = 206;
inline constexpr std::uint32_t ERR_NOT_OWNER = 288;
inline constexpr std::uint32_t ERR_KEY_DELETED = 1018;

// The Windows code for a C library error number.
std::uint32_t error_from_errno(int error_number);

// Sets the thread's last error from the current errno and returns it.
std::uint32_t set_last_error_from_errno();

} // namespace plat::hosted

#endif
