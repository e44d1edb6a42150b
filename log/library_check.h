// The check of the controller and drive numbers with the control library.
#ifndef ZANLOG_LIBRARY_CHECK_H
#define ZANLOG_LIBRARY_CHECK_H

namespace zanlog {

// Starts the library, checks that controller `controller` exists and, when
// `with_drive`, that drive `drive` is present behind it, and ends the
// library. Every failure is reported.
[[nodiscard]] bool check_with_library(int controller, bool with_drive, int drive);

} // namespace zanlog

#endif
