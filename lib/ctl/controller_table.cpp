#include "controller_table.h"

#include <cstring>

namespace zan {

library_state& library()
{
    static library_state state{};
    return state;
}

void empty_slot(controller_slot& slot)
{
    std::memset(&slot, 0, sizeof slot);
    slot.state = SLOT_EMPTY;
}

void reset_controller_table()
{
    library_state& lib = library();
    for (auto& slot : lib.slots) empty_slot(slot);
    lib.controller_count = 0;
    lib.initialized = false;
}

controller_slot* find_slot(std::uint8_t controller)
{
    if (controller >= MAX_CONTROLLERS) return nullptr;
    return &library().slots[controller];
}

} // namespace zan
