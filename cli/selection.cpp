#include "selection.h"

#include <algorithm>
#include <vector>

#include "library_errors.h"
#include "messages.h"
#include "output.h"
#include "zandllctl.h"

namespace cli {

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Splits a comma-separated list of single digits into `values`. A comma must
// follow a digit; with `trailing_comma` false it must also be followed by
// something. False for bad syntax or an empty list.
bool split_digit_list(std::string_view text, bool trailing_comma, std::vector<int>& values)
{
    int digits = 0; // digits of the number being collected
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (is_digit(c)) {
            if (++digits > 1) return false;
            values.push_back(c - '0');
        } else if (c == ',') {
            if (digits == 0) return false;
            if (!trailing_comma && i + 1 == text.size()) return false;
            digits = 0;
        } else {
            return false;
        }
    }
    return !values.empty();
}

// Adds a value to a list unless it is out of range or already present.
bool add_distinct(std::uint8_t* ids, int size, int value, int limit)
{
    if (value >= limit) return false;
    for (int i = 0; i < size; ++i) {
        if (ids[i] == value) return false;
        if (ids[i] == unused_entry) {
            ids[i] = static_cast<std::uint8_t>(value);
            return true;
        }
    }
    return false;
}

// Sorts a short id list ascending; unused entries (255) end up last. (A plain
// insertion sort: the lists hold at most eight entries.)
void sort_ids(std::uint8_t* ids, int size)
{
    for (int i = 1; i < size; ++i) {
        const std::uint8_t id = ids[i];
        int at = i;
        for (; at > 0 && ids[at - 1] > id; --at) ids[at] = ids[at - 1];
        ids[at] = id;
    }
}

// Ends the run when an adapter named on the command line cannot be used.
outcome probe_adapter(frame& context, int adapter)
{
    zan::ContInfo info;
    if (getContInfo(adapter, &info)) return outcome::go_on;
    const std::uint32_t word = DLLGetLastError();
    if (word & zan::DLL_ERROR_IOCTL_BUSY) return fatal_end(context, msg::competition, adapter);
    if (word & (zan::DLL_ARG_ERROR_NO_SUCH_CONTROLLER | zan::DLL_ARG_ERROR_CONTNO))
        return fatal_end(context, format(msg::specified_not_exist, msg::object_adapter, adapter), adapter);
    return outcome::go_on;
}

} // namespace

int used_entries(const std::uint8_t* ids, int size)
{
    return static_cast<int>(std::count_if(ids, ids + size, [](std::uint8_t id) { return id != unused_entry; }));
}

outcome parse_adapter_selection(frame& context, std::string_view token, adapter_selection& selection)
{
    selection.ids.fill(unused_entry);
    selection.all = token.starts_with("aall");

    if (token == "aall") {
        std::uint8_t count = 0;
        if (!getContNum(&count)) return fatal_end(context, current_library_error_message(std::nullopt), std::nullopt);
        if (count == 0) return fatal_end_keep_library(context, msg::no_adapter);
        const int adapters = std::min<int>(count, max_adapters);
        for (int adapter = 0; adapter < adapters; ++adapter) {
            selection.ids[adapter] = static_cast<std::uint8_t>(adapter);
            if (probe_adapter(context, adapter) == outcome::fatal) return outcome::fatal;
        }
        return outcome::go_on;
    }

    if (!token.starts_with('a')) return outcome::stop;
    std::vector<int> values;
    if (!split_digit_list(token.substr(1), false, values)) return outcome::stop;
    for (const int adapter : values) {
        if (!add_distinct(selection.ids.data(), max_adapters, adapter, max_adapters)) return outcome::stop;
        if (probe_adapter(context, adapter) == outcome::fatal) return outcome::fatal;
    }
    sort_ids(selection.ids.data(), max_adapters);
    return outcome::go_on;
}

bool parse_ld_selection(std::string_view token, ld_selection& selection)
{
    selection.ids.fill(unused_entry);
    selection.all = token.starts_with("lall");

    if (token == "lall") {
        for (int ld = 0; ld < max_drives; ++ld) selection.ids[ld] = static_cast<std::uint8_t>(ld);
        return true;
    }

    if (token.starts_with("sl") || token.starts_with("dl")) {
        const std::string_view digits = token.substr(2);
        if (digits.empty()) return true;
        if (digits.size() > 1 || !is_digit(digits[0])) return false;
        return add_distinct(selection.ids.data(), max_drives, digits[0] - '0', max_drives);
    }

    if (!token.starts_with('l')) return false;
    std::vector<int> values;
    if (!split_digit_list(token.substr(1), true, values)) return false;
    for (const int ld : values)
        if (!add_distinct(selection.ids.data(), max_drives, ld, max_drives)) return false;
    return true;
}

bool parse_pd_selection(std::string_view token, pd_order order, drive_list& ids)
{
    ids.fill(unused_entry);
    std::size_t colon = token.find(':');
    if (colon == std::string_view::npos) return false;

    for (; colon != std::string_view::npos; colon = token.find(':', colon + 1)) {
        const std::size_t digit = colon + 1;
        if (digit >= token.size() || !is_digit(token[digit])) return false;
        const std::size_t after = digit + 1;
        if (after >= token.size()) return false;
        if (token[after] == ']') {
            if (after + 1 != token.size()) return false;
        } else if (token[after] != ',' || after + 1 >= token.size() || !is_digit(token[after + 1])) {
            return false;
        }
        if (!add_distinct(ids.data(), max_drives, token[digit] - '0', max_drives)) return false;
    }
    if (order == pd_order::ascending) sort_ids(ids.data(), max_drives);
    return true;
}

} // namespace cli
