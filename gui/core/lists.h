// The lists the pages show: logical drives, physical drives, global spares,
// restorable logical drives and background tasks, each as rows of column
// texts, with the drive marks the drive list shows and the mappings from a
// row back to a number.
#ifndef GUI_LISTS_H
#define GUI_LISTS_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "session.h"
#include "zandllctl.h"

namespace gui {

struct column {
    const char* title;
    int width;
    bool right_aligned;
};

inline constexpr column ld_columns[] = {{"Logical Drive No.", 100, false},
                                        {"State", 180, false},
                                        {"Capacity[GB]", 100, true},
                                        {"RAID Level", 100, false},
                                        {"Assigned to", 100, false}};
inline constexpr column hdd_columns[] = {
    {"HDD No.", 60, false}, {"LD No.", 50, false}, {"State", 60, false}, {"Capacity[GB]", 85, true}};
inline constexpr column spare_columns[] = {{"HDD No.", 100, false}, {"State", 100, false}, {"Used/Free", 100, false}};
inline constexpr column restore_columns[] = {{"Logical Drive No.", 100, false},
                                             {"State", 180, false},
                                             {"Capacity[GB]", 100, true},
                                             {"RAID Level", 100, false},
                                             {"Member HDD", 100, false}};
inline constexpr column task_columns[] = {{"Logical Drive No.", 100, false},
                                          {"State", 180, false},
                                          {"Avaiable to", 150, false},
                                          {"Progress", 160, false},
                                          {"Error Count", 80, false}};

using row = std::vector<std::string>;

// Column indexes the pages read back.
inline constexpr std::size_t hdd_col_ld = 1;
inline constexpr std::size_t hdd_col_state = 2;
inline constexpr std::size_t restore_col_members = 4;
inline constexpr std::size_t task_col_available = 2;
inline constexpr std::size_t task_col_progress = 3;

// ---- Drive marks ----------------------------------------------------------
enum class drive_mark : std::uint8_t { none = 0xFF, new_member = 16, add_spare = 18, release_spare = 19 };

inline constexpr int max_slots = 8;

// The pending selections of "Create Logical Drive" and "Setup Global HS",
// and the creation parameters computed from them.
struct drive_marks {
    std::array<drive_mark, max_slots> marks;
    std::vector<std::uint8_t> members; // drives marked new member, in click order
    int add_spare_count = 0;
    int spare_count = 0;               // existing spares, counted by the last drive-list fill
    std::uint8_t next_free = 0;        // lowest undefined logical-drive number
    std::uint32_t capacity_mb = 0;
    std::uint8_t raid_level = 0;
    std::uint8_t hot_spare_mode = 2;
    std::uint8_t read_cache_off = 0;
    std::uint8_t write_cache_off = 0;
    std::uint8_t sub_groups = 1;
    bool sizes_differ = false;

    drive_marks() { clear(); }
    void clear();
    [[nodiscard]] drive_mark at(int hdd) const;
    [[nodiscard]] bool any() const;
};

// The lowest logical-drive number whose state is 0xFF (12 when none is free).
[[nodiscard]] std::uint8_t next_free_ld(const zan::RaidStatus& status);

// ---- Logical-drive list (LDListUpdate) ---------------------------------------
// Refills the drive letters of every listed logical drive on the way. Rows
// stay as filled so far when a call fails.
void fill_ld_list(session& s, std::vector<row>& rows);
// The logical drive of row `index`: the (index+1)-th defined number.
[[nodiscard]] std::optional<int> ld_of_row(const zan::RaidStatus& status, int index);

// The partition check: the drive letters of the volumes on logical drive `ld`.
[[nodiscard]] std::string drive_letters_of(std::uint8_t port, int ld);

// isMemberStsGoodWithOutLHSP: whether the members of a logical drive that
// uses a local spare are all good. Failures are reported and answer no.
[[nodiscard]] bool members_good_without_local_spare(session& s, int ld);

// ---- Physical-drive list (HDDListUpdate) -------------------------------------
// What one drive row is built from; the filler gathers it.
struct hdd_facts {
    int hdd = 0;
    std::uint8_t state = 0xFF;             // RaidStatus state byte
    zan::PhysicalDriveInfo info{};         // group 0xFF when absent and unanswered
    std::optional<int> sub_group;          // RAID 50 members
    std::optional<int> restorable;         // class 5: the restorable holding it
    drive_mark mark = drive_mark::none;
    std::uint8_t next_free = 0;
};

[[nodiscard]] row hdd_row(const hdd_facts& facts);

// The sub-group index of drive `hdd` in a RAID 50 logical drive.
[[nodiscard]] int sub_group_index(const zan::LogicalDriveInfo& info, int hdd);

// Fills one row per drive slot and counts the existing spares into the
// marks. False when a call failed (rows filled so far stay).
bool fill_hdd_list(session& s, drive_marks& marks, std::vector<row>& rows);

// ---- Global spare list (GHSListUpdate) ----------------------------------------
void fill_spare_list(session& s, std::vector<row>& rows);

// ---- Restorable list (LDRestoreListUpdate) ------------------------------------
void fill_restore_list(session& s, std::vector<row>& rows);
// The restorable number of a row: the digits after "RLD".
[[nodiscard]] std::optional<int> restorable_of_row(const std::vector<row>& rows, int index);

// ---- Task list (LDRecoverListUpdate) ------------------------------------------
// A row from the logical drive's record; `check_available` says whether an
// idle drive may be checked (level and state allow it).
[[nodiscard]] row task_row(int ld, const char* category, const zan::LogicalDriveInfo& info, bool check_available);

// Fills the list; checks and parity makings past 100 errors are stopped on
// the way and the user is told once.
// True when a task was stopped: the page is to refresh again.
[[nodiscard]] bool fill_task_list(session& s, std::vector<row>& rows);

inline constexpr std::uint32_t auto_stop_errors = 100;

} // namespace gui

#endif
