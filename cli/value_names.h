// The value-name tables: the words the display commands show for the coded
// bytes of the library's records.
#ifndef CLI_VALUE_NAMES_H
#define CLI_VALUE_NAMES_H

#include <string_view>

#include "frame.h"

namespace cli {

// Table kinds; 10 to 15 have no table.
enum value_kind : int {
    kind_ld_state = 1,
    kind_hot_spare_mode = 2,
    kind_auto_rebuild = 3,
    kind_rebuild_state = 4,
    kind_maintenance_state = 5,
    kind_force_state_change = 6,
    kind_read_cache = 7,
    kind_write_cache = 8,
    kind_pd_class = 9,
    kind_pd_state = 16,
    kind_link_speed = 17,
    kind_smart = 18,
    kind_bad_spot_state = 19,
    kind_rebuild_priority = 20,
};

// Internal-error value of a lookup in a kind without a table.
inline constexpr unsigned no_value_table_code = 0x186aa;

enum class lookup_status { found, no_table, no_value };

struct value_lookup {
    lookup_status status;
    std::string_view word; // set when found
};

// The word of the first row of the kind's table with that value.
[[nodiscard]] value_lookup find_value_name(int kind, unsigned value);

// The same, ending the process when the kind has no table (internal error)
// or the value is missing from it (the adapter's information is abnormal).
[[nodiscard]] std::string_view value_name(frame& context, int kind, unsigned value, int adapter);

} // namespace cli

#endif
