// The clock, background work, restore candidates, bad spots and restarts of
// the adapters of the root sim::root_dir(), as zansim sets them.
#include <algorithm>

#include "change.h"
#include "clock.h"
#include "event_log.h"
#include "flash.h"
#include "raid.h"
#include "sim/control.h"

namespace sim {

namespace {

std::string check_drive(const adapter& a, std::uint32_t hdd)
{
    if (hdd >= DRIVE_SLOTS) return "drive numbers are 0-" + std::to_string(DRIVE_SLOTS - 1);
    if (!a.drives[hdd].present) return "drive " + std::to_string(hdd) + " is not present";
    return {};
}

} // namespace

// Every change of the clock holds its lock, so that changes made at once
// all take effect, one after the other.
constexpr char CLOCK_LOCK[] = "clock.lock";

std::string set_clock(std::uint64_t now_ms)
{
    return with_root_lock(CLOCK_LOCK, [now_ms] { return set_simulated_clock(root_dir(), now_ms); });
}

std::string advance_clock(std::uint64_t ms)
{
    return with_root_lock(CLOCK_LOCK, [ms] {
        const std::string root = root_dir();
        clock_reading clock;
        if (std::string e = sim::read_clock(root, clock); !e.empty()) return e;
        if (clock.now_ms > UINT64_MAX - ms) return std::string("the clock cannot go that far");
        return set_simulated_clock(root, clock.now_ms + ms);
    });
}

std::string use_real_time()
{
    return with_root_lock(CLOCK_LOCK, [] { return use_real_clock(root_dir()); });
}

std::string clock_now(bool& simulated, std::uint64_t& now_ms)
{
    clock_reading clock;
    if (std::string e = sim::read_clock(root_dir(), clock); !e.empty()) return e;
    simulated = clock.simulated;
    now_ms = clock.now_ms;
    return {};
}

std::string set_inconsistencies(int port, std::uint32_t logical, std::uint32_t count)
{
    return change_adapter(port, [logical, count](adapter& a) {
        if (logical >= LOGICAL_SLOTS || !a.logicals[logical].defined) {
            return "logical drive " + std::to_string(logical) + " is not defined";
        }
        a.logicals[logical].inconsistencies = count;
        return std::string();
    });
}

std::string add_restore_candidate(int port, std::uint32_t level, const std::vector<std::uint32_t>& drives,
                                  std::uint32_t& number)
{
    return change_adapter(port, [level, &drives, &number](adapter& a) {
        if (level != 0 && level != 1 && level != 5 && level != 10) return std::string("the level is 0, 1, 5 or 10");
        logical_drive c;
        c.defined = true;
        c.raid_level = level == 10 ? 1 : level;
        for (std::uint32_t hdd : drives) {
            if (std::string e = check_drive(a, hdd); !e.empty()) return e;
            if (drive_class(a, hdd) != CLASS_FRESH) return "drive " + std::to_string(hdd) + " is in use";
            c.members.push_back({hdd, ROLE_DATA});
        }
        if (c.raid_level == 0 && drives.size() == 1) c.stripe_blocks = 0;
        if (level == 10 && drives.size() < 4) return std::string("RAID 10 needs four drives or more");
        if (level == 1 && drives.size() != 2) return std::string("RAID 1 needs two drives");
        if (std::string e = check_logical(c); !e.empty()) return e;
        const auto free = std::find_if(a.candidates.begin(), a.candidates.end(),
                                       [](const logical_drive& x) { return !x.defined; });
        if (free == a.candidates.end()) return std::string("every restore candidate number is taken");
        *free = std::move(c);
        number = static_cast<std::uint32_t>(free - a.candidates.begin());
        return std::string();
    });
}

std::string add_bad_spots(int port, std::uint32_t hdd, const std::vector<std::uint32_t>& lbas)
{
    return change_adapter(port, [hdd, &lbas](adapter& a) {
        if (std::string e = check_drive(a, hdd); !e.empty()) return e;
        std::vector<std::uint32_t>& list = a.drives[hdd].bad_spots;
        for (std::uint32_t lba : lbas) {
            if (std::find(list.begin(), list.end(), lba) != list.end()) continue;
            list.push_back(lba);
            log_bad_spot(a, hdd, lba);
        }
        return std::string();
    });
}

std::string clear_bad_spots(int port, std::uint32_t hdd)
{
    return change_adapter(port, [hdd](adapter& a) {
        if (std::string e = check_drive(a, hdd); !e.empty()) return e;
        a.drives[hdd].bad_spots.clear();
        return std::string();
    });
}

std::string restart(int port)
{
    return change_adapter(port, [](adapter& a) {
        restart_adapter(a);
        return std::string();
    });
}

} // namespace sim
