// The information dialogs: the adapter dialog with its settings, the
// logical-drive dialog with its properties, the restorable variant and the
// drive dialog. Each text is read once, when the dialog opens.
#ifndef GUI_INFO_TEXT_H
#define GUI_INFO_TEXT_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "session.h"

namespace gui {

// Three boxes of a dialog, as positions (adapter: idle and busy rebuild
// priority and patrol period, 0-2) or ticks (logical drive: read cache,
// write cache, auto rebuild; 1 ticked). "SET" is enabled while they differ
// from the values at opening.
using setting_boxes = std::array<int, 3>;

struct info_dialog {
    std::string text;
    setting_boxes at_opening{};
    bool settable = true; // false for the restorable variant: boxes and "SET" disabled
};

inline constexpr const char* priority_names[] = {"High", "Middle", "Low"};
inline constexpr const char* patrol_names[] = {"2weeks", "4weeks", "8weeks"};

// OnButtonContInfo: nothing when a call failed (reported).
[[nodiscard]] std::optional<info_dialog> adapter_dialog(session& s);
// OnSetContInfo: the three settings in order, the first failure stops.
// True on success: the cached ContInfo follows and the boxes become the
// values at opening.
[[nodiscard]] bool set_adapter_settings(session& s, info_dialog& dialog, const setting_boxes& boxes);

// OnInitLDInfo and GetBSInfoLD.
[[nodiscard]] std::optional<info_dialog> ld_dialog(session& s, int ld);
// OnLDSet: read cache, write cache and auto rebuild, all three sent.
[[nodiscard]] bool set_ld_properties(session& s, int ld, info_dialog& dialog, const setting_boxes& boxes);
// The sorted bad-spot list of a logical drive's members (at most 192 LBAs);
// nothing when a call failed (reported).
[[nodiscard]] std::optional<std::vector<std::uint32_t>> ld_bad_spots(session& s, int ld);
inline constexpr std::size_t bad_spot_limit = 192;
// Merges one drive's LBAs into a sorted list without repeats.
void merge_bad_spots(std::vector<std::uint32_t>& list, const zan::BadspotInfo& info);

// OnInitRLDInfo.
[[nodiscard]] std::optional<info_dialog> restorable_dialog(session& s, int number);

// OnInitHDDInfo: nothing when a call failed, or when the drive is absent
// and belongs to no logical drive (the dialog closes at once).
[[nodiscard]] std::optional<std::string> hdd_dialog(session& s, int hdd);

// "SET" is enabled while some box differs from its value at opening.
[[nodiscard]] bool settings_changed(const info_dialog& dialog, const setting_boxes& boxes);
// Closing with changed boxes asks first; true when the dialog may close.
[[nodiscard]] bool may_close(session& s, const info_dialog& dialog, const setting_boxes& boxes, bool adapter);

} // namespace gui

#endif
