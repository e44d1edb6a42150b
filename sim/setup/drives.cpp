// Drive faults and replacements, and the volumes of the storage stack, as
// zansim applies them to the machine of sim::root_dir().
#include <cctype>

#include "change.h"
#include "event_log.h"
#include "model_text.h"
#include "operations.h"
#include "sim/control.h"
#include "storage.h"

namespace sim {

namespace {

std::string check_slot(std::uint32_t hdd)
{
    return hdd < DRIVE_SLOTS ? std::string() : "drive numbers are 0-" + std::to_string(DRIVE_SLOTS - 1);
}

constexpr char VOLUMES_LOCK[] = "volumes.lock";

std::string not_present(std::uint32_t hdd)
{
    return "drive " + std::to_string(hdd) + " is not present";
}

} // namespace

std::string fail_drive(int port, std::uint32_t hdd, std::uint32_t alarm_state)
{
    if (std::string e = check_slot(hdd); !e.empty()) return e;
    if (alarm_state < DRIVE_ALARM_FIRST || alarm_state > DRIVE_ALARM_LAST) return "a failed drive's state is 0x20 to 0x2F";
    return change_adapter(port, [hdd, alarm_state](adapter& a) {
        if (!a.drives[hdd].present) return not_present(hdd);
        set_drive_state(a, hdd, alarm_state);
        return std::string();
    });
}

std::string pull_drive(int port, std::uint32_t hdd)
{
    if (std::string e = check_slot(hdd); !e.empty()) return e;
    return change_adapter(port, [hdd](adapter& a) {
        if (!a.drives[hdd].present) return not_present(hdd);
        sim::pull_drive(a, hdd);
        return std::string();
    });
}

std::string insert_drive(int port, std::uint32_t hdd, const std::vector<std::string>& settings)
{
    if (std::string e = check_slot(hdd); !e.empty()) return e;
    return change_adapter(port, [hdd, &settings](adapter& a) {
        if (a.drives[hdd].present) return "slot " + std::to_string(hdd) + " already holds a drive";
        physical_drive drive;
        drive.state = inserted_drive_state(a, hdd);
        for (const std::string& setting : settings) {
            const std::size_t equals = setting.find('=');
            if (equals == std::string::npos) return "'" + setting + "' is not key=value";
            const std::string key = setting.substr(0, equals);
            if (key == "present") return std::string("a drive put into a slot is present");
            if (std::string e = apply_drive_setting(drive, key, setting.substr(equals + 1)); !e.empty()) return e;
        }
        sim::insert_drive(a, hdd, std::move(drive));
        return std::string();
    });
}

std::string add_volume(int port, std::uint32_t logical, char letter)
{
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (letter < 'A' || letter > 'Z') return "a volume letter is A-Z";
    if (letter == SYSTEM_VOLUME) return std::string(1, letter) + ": is the system volume";
    if (logical >= LOGICAL_SLOTS) return "logical drive numbers are 0-" + std::to_string(LOGICAL_SLOTS - 1);
    // A letter is machine-wide: whoever gives one holds the volumes' lock
    // from the search for it to the adapter's change.
    return with_root_lock(VOLUMES_LOCK, [port, logical, letter] {
        volume_location where;
        if (locate_volume(root_dir(), letter, where)) return std::string(1, letter) + ": is in use";
        return change_adapter(port, [logical, letter](adapter& a) {
            logical_drive& ld = a.logicals[logical];
            if (!ld.defined) return "logical drive " + std::to_string(logical) + " is not defined";
            if (ld.volumes.find(letter) != std::string::npos) return std::string(1, letter) + ": is in use";
            ld.volumes += letter;
            return std::string();
        });
    });
}

std::string remove_volume(char letter)
{
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (letter == SYSTEM_VOLUME) return std::string(1, letter) + ": is the system volume";
    return with_root_lock(VOLUMES_LOCK, [letter] {
        volume_location where;
        if (!locate_volume(root_dir(), letter, where)) return "no volume " + std::string(1, letter) + ":";
        return change_adapter(static_cast<int>(where.port), [letter](adapter& a) {
            for (logical_drive& ld : a.logicals) std::erase(ld.volumes, letter);
            return std::string();
        });
    });
}

} // namespace sim

namespace sim {

std::string add_event(int port, const std::vector<std::uint8_t>& entry)
{
    if (entry.size() != EVENT_SIZE) return "an event-log entry is " + std::to_string(EVENT_SIZE) + " bytes";
    return change_adapter(port, [&entry](adapter& a) {
        event_entry e;
        std::copy(entry.begin(), entry.end(), e.begin());
        append_event(a, e);
        return std::string();
    });
}

} // namespace sim
