#include "controller_table.h"

#include <cstring>

namespace zan {

library_state& library()
{
    static library_state state{};
    return state;
}

void reset_controller_table()
{
    library_state& lib = library();
    for (auto& slot : lib.slots) {
        std::memset(&slot, 0, sizeof slot);
        slot.state = SLOT_EMPTY;
    }
    lib.controller_count = 0;
    lib.initialized = false;
}

controller_slot* find_slot(std::uint8_t controller)
{
    if (controller >= MAX_CONTROLLERS) return nullptr;
    return &library().slots[controller];
}

} // namespace zan
