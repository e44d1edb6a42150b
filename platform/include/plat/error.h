// Windows error codes: the common currency of both builds. Programs print them
// and exit with them; the hosted backend maps its own failures onto them.
#ifndef PLAT_ERROR_H
#define PLAT_ERROR_H

#include <cstdint>
#include <string>

namespace plat {

inline constexpr std::uint32_t ERR_SUCCESS = 0;
inline constexpr std::uint32_t ERR_INVALID_FUNCTION = 1;
inline constexpr std::uint32_t ERR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERR_PATH_NOT_FOUND = 3;
inline constexpr std::uint32_t ERR_ACCESS_DENIED = 5;
inline constexpr std::uint32_t ERR_INVALID_HANDLE = 6;
inline constexpr std::uint32_t ERR_NOT_ENOUGH_MEMORY = 8;
inline constexpr std::uint32_t ERR_BAD_FORMAT = 11;
inline constexpr std::uint32_t ERR_INVALID_DATA = 13;
inline constexpr std::uint32_t ERR_SHARING_VIOLATION = 32;
inline constexpr std::uint32_t ERR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERR_SEM_TIMEOUT = 121;
inline constexpr std::uint32_t ERR_INSUFFICIENT_BUFFER = 122;
inline constexpr std::uint32_t ERR_ALREADY_EXISTS = 183;
inline constexpr std::uint32_t ERR_MORE_DATA = 234;
inline constexpr std::uint32_t ERR_NO_MORE_ITEMS = 259;
inline constexpr std::uint32_t ERR_BADDB = 1009;
inline constexpr std::uint32_t ERR_BADKEY = 1010;
inline constexpr std::uint32_t ERR_CANTREAD = 1012;
inline constexpr std::uint32_t ERR_CANTWRITE = 1013;
inline constexpr std::uint32_t ERR_IO_DEVICE = 1117;
inline constexpr std::uint32_t ERR_BAD_DEVICE = 1200;
inline constexpr std::uint32_t ERR_CANCELLED = 1223;
inline constexpr std::uint32_t ERR_REVISION_MISMATCH = 1306;

// The calling thread's last OS error (GetLastError / SetLastError).
std::uint32_t last_error();
void set_last_error(std::uint32_t code);

// The system's message text for an error code, as FormatMessage gives it
// (ending in "\r\n"); a generic text for codes without a message.
std::string system_message(std::uint32_t code);

} // namespace plat

#endif
