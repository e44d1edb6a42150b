// The program's own message table (FormatMessage from the program's module):
// the texts the program reports and shows, by message ID.
#ifndef PLAT_OWN_MESSAGES_H
#define PLAT_OWN_MESSAGES_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace plat {

// ERROR_MR_MID_NOT_FOUND: the table has no message with the ID.
inline constexpr std::uint32_t ERR_MR_MID_NOT_FOUND = 317;

// The text of message `id` in the language the system chooses, its %1, %2,
// ... filled from `inserts` in order, ending in "\r\n" as the table holds
// it. It must fit a buffer of `limit` characters with its terminating zero.
// False with last_error() set when the table has no such message or the text
// does not fit. The hosted machine carries one message table, the
// monitoring service's (the one its Event Log shows).
[[nodiscard]] bool format_own_message(std::uint32_t id, std::span<const std::string> inserts, std::size_t limit,
                                      std::string& text);

} // namespace plat

#endif
