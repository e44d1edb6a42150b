// The checks of controller and drive numbers with the control library.
#ifndef PTH_CHECKS_H
#define PTH_CHECKS_H

namespace pth {

// Loud checks report every failure (with the abnormal-end line); the quiet
// ones of the loops over all drives report only a failed start of the library.
enum class loudness { loud, quiet };

inline constexpr int max_physical_drives = 8;

// Reports a physical-drive number of 8 or more.
[[nodiscard]] bool physical_drive_in_range(int drive);

[[nodiscard]] bool check_controller(int controller, loudness how = loudness::loud);

// A physical-drive number must be below 8; logical-drive numbers are not
// range-checked. Then the controller's RAID status must be readable.
[[nodiscard]] bool check_physical_drive(int controller, int drive, loudness how = loudness::loud);
[[nodiscard]] bool check_logical_drive(int controller);

} // namespace pth

#endif
