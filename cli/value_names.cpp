#include "value_names.h"

#include <span>

#include "library_errors.h"
#include "messages.h"
#include "output.h"

namespace cli {

namespace {

struct value_row {
    unsigned value;
    std::string_view word;
};

constexpr value_row ld_states[] = {
    {0, "Good"},
    {1, "Attention1"}, {2, "Attention2"}, {3, "Attention3"}, {4, "Attention4"}, {5, "Attention5"}, {6, "Attention6"},
    {16, "Warning0"}, {17, "Warning1"}, {18, "Warning2"}, {19, "Warning3"}, {20, "Warning4"}, {21, "Warning5"},
    {22, "Warning6"},
    {32, "Alarm0"}, {33, "Alarm1"}, {34, "Alarm2"}, {35, "Alarm3"}, {36, "Alarm4"},
    {255, "Nonexist"},
};
constexpr value_row hot_spare_modes[] = {{0, "Global"}, {1, "Group"}, {2, "None"}};
constexpr value_row auto_rebuild[] = {{0, "Enabled"}, {1, "Disabled"}};
constexpr value_row rebuild_states[] = {{0, "Not Needed"}, {1, "Needed"}, {2, "Executing"}};
constexpr value_row maintenance_states[] = {{0, "No Operation"}, {1, "Checking Parity"}, {2, "Writing Parity"}};
constexpr value_row force_state_change[] = {{0, "None"}, {1, "It is."}};
constexpr value_row read_cache[] = {{0, "RA"}, {1, "NORA"}};
constexpr value_row write_cache[] = {{0, "WB"}, {1, "WT"}};
constexpr value_row pd_classes[] = {
    {0, "Member Use"}, {1, "Member No Use"}, {2, "Spare Use"},
    {3, "Spare No Use"}, {4, "Fresh"}, {5, "Restore Candidate"},
};
constexpr value_row pd_states[] = {
    {0, "Good"},
    {1, "Attention1"}, {2, "Attention2"}, {3, "Attention3"}, {4, "Attention4"}, {5, "Attention5"}, {6, "Attention6"},
    {32, "Alarm0"}, {33, "Alarm1"}, {34, "Alarm2"}, {35, "Alarm3"}, {36, "Alarm4"}, {37, "Alarm5"}, {38, "Alarm6"},
    {39, "Alarm7"},
    {128, "Not Supported"},
    {255, "Nonexist"},
};
constexpr value_row link_speeds[] = {{7, "1.5Gbps"}, {8, "3.0Gbps"}, {254, "Link Error"}, {255, "PHY Disabled"}};
constexpr value_row smart_reports[] = {{0, "None"}, {4, "Received"}};
constexpr value_row bad_spot_states[] = {{0, "None"}, {6, "Exist"}, {22, "Over"}};
constexpr value_row rebuild_priorities[] = {{1, "High"}, {2, "Middle"}, {3, "Low"}};

// Indexed by kind; kinds 10 to 15 have no table.
constexpr std::span<const value_row> tables_by_kind[] = {
    {},
    ld_states,
    hot_spare_modes,
    auto_rebuild,
    rebuild_states,
    maintenance_states,
    force_state_change,
    read_cache,
    write_cache,
    pd_classes,
    {}, {}, {}, {}, {}, {},
    pd_states,
    link_speeds,
    smart_reports,
    bad_spot_states,
    rebuild_priorities,
};
constexpr int kind_count = static_cast<int>(std::size(tables_by_kind));

} // namespace

value_lookup find_value_name(int kind, unsigned value)
{
    if (kind < 0 || kind >= kind_count || tables_by_kind[kind].empty()) return {lookup_status::no_table, {}};
    for (const value_row& row : tables_by_kind[kind])
        if (row.value == value) return {lookup_status::found, row.word};
    return {lookup_status::no_value, {}};
}

outcome name_values(frame& context, int adapter, std::initializer_list<value_request> requests)
{
    for (const value_request& request : requests) {
        const value_lookup lookup = find_value_name(request.kind, request.value);
        switch (lookup.status) {
        case lookup_status::found:
            *request.word = lookup.word;
            break;
        case lookup_status::no_table:
            return fatal_end(context, internal_error_message(category_argument, no_value_table_code), adapter);
        case lookup_status::no_value:
            return fatal_end(context, format(msg::information_abnormal, adapter), adapter);
        }
    }
    return outcome::go_on;
}

} // namespace cli
