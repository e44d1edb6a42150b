// The value-name tables: the words the display commands show for the coded
// bytes of the library's records.
#ifndef CLI_VALUE_NAMES_H
#define CLI_VALUE_NAMES_H

#include <initializer_list>
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

// One coded value to name, and where its word goes.
struct value_request {
    int kind;
    unsigned value;
    std::string_view* word;
};

// Names the values in order. The first one that cannot be named ends the run:
// a kind without a table (internal error) or a value missing from its table
// (the adapter's information is abnormal).
outcome name_values(frame& context, int adapter, std::initializer_list<value_request> requests);

} // namespace cli

#endif
