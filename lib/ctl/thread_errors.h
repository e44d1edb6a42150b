// The per-thread last error of the library: 32 slots, one per attached thread.
#ifndef ZAN_THREAD_ERRORS_H
#define ZAN_THREAD_ERRORS_H

#include <cstdint>

namespace zan::thread_errors {

inline constexpr int SLOT_COUNT = 32;

// Frees every slot (library load).
void reset_all();

// Registers the calling thread: nothing changes when it already holds a slot,
// otherwise it takes the lowest free slot with error 0. With all slots in use
// the thread stays unregistered.
void attach_current();

// Frees the calling thread's slot, if it has one.
void detach_current();

// The calling thread's error code; 0 for an unregistered thread.
std::uint32_t get();

// Sets the calling thread's error code; does nothing for an unregistered thread.
void set(std::uint32_t code);

// ORs bits onto the calling thread's error code (a failure passed up).
void add(std::uint32_t bits);

} // namespace zan::thread_errors

#endif
