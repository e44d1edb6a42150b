// The hosted build's message table: the service's, generated from its
// message source (message_table.h). The system's language is English.
#include "plat/own_messages.h"

#include "message_table.h"
#include "plat/error.h"

namespace plat {

bool format_own_message(std::uint32_t id, std::span<const std::string> inserts, std::size_t limit, std::string& text)
{
    const zan::message_text* message = zan::find_message(id);
    if (message == nullptr) {
        set_last_error(ERR_MR_MID_NOT_FOUND);
        return false;
    }
    std::string filled = zan::fill_inserts(message->english, inserts) + "\r\n";
    if (filled.size() >= limit) {
        set_last_error(ERR_INSUFFICIENT_BUFFER);
        return false;
    }
    text = std::move(filled);
    return true;
}

} // namespace plat
