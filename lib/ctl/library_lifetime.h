// What the library does when it is loaded and unloaded, and when threads
// attach and detach; called by the build's entry module.
#ifndef ZAN_LIBRARY_LIFETIME_H
#define ZAN_LIBRARY_LIFETIME_H

namespace zan {

void on_process_attach();
// False when the exclusive mutex could not be closed.
[[nodiscard]] bool on_process_detach();
void on_thread_attach();
void on_thread_detach();

} // namespace zan

#endif
