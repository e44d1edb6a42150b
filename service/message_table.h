// The service's Event Log messages as the hosted build carries them: the
// table generated at build time from messages.mc (the same source windmc
// compiles into the Windows program's resource), and FormatMessage's filling
// of insertion strings.
#ifndef ZAN_SERVICE_MESSAGE_TABLE_H
#define ZAN_SERVICE_MESSAGE_TABLE_H

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zan {

struct message_text {
    std::uint32_t id;
    const char* english;  // 1033, without the trailing CR LF
    const char* japanese; // 1041, UTF-8, without the trailing CR LF
};

// Every message of messages.mc, in the file's order.
std::span<const message_text> message_table();

// The message with `id`, or nullptr.
const message_text* find_message(std::uint32_t id);

// `text` with %1 to %99 replaced by the insertion strings (an insertion
// number without a string stays as written) and %% by one percent sign.
std::string fill_inserts(std::string_view text, std::span<const std::string> strings);

} // namespace zan

#endif
