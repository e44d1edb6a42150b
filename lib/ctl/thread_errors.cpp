#include "thread_errors.h"

#include <mutex>

#include "plat/module.h"

namespace zan::thread_errors {
namespace {

struct slot {
    std::uint32_t process_id;
    std::uint32_t thread_id;
    std::uint32_t error;
    std::uint8_t free_flag; // 0xFF free, 0 used
};

constexpr std::uint8_t SLOT_FREE = 0xFF;
constexpr std::uint8_t SLOT_USED = 0;

slot g_slots[SLOT_COUNT];
bool g_initialised = false;
std::mutex g_lock; // guards the table against threads attaching and detaching at once

void reset_locked()
{
    for (auto& s : g_slots) s = slot{0, 0, 0, SLOT_FREE};
    g_initialised = true;
}

slot* find_locked(std::uint32_t pid, std::uint32_t tid)
{
    if (!g_initialised) reset_locked();
    for (auto& s : g_slots) {
        if (s.free_flag == SLOT_USED && s.process_id == pid && s.thread_id == tid) return &s;
    }
    return nullptr;
}

slot* find_current_locked()
{
    return find_locked(plat::current_process_id(), plat::current_thread_id());
}

} // namespace

void reset_all()
{
    std::lock_guard guard(g_lock);
    reset_locked();
}

void attach_current()
{
    std::lock_guard guard(g_lock);
    const std::uint32_t pid = plat::current_process_id();
    const std::uint32_t tid = plat::current_thread_id();
    if (find_locked(pid, tid) != nullptr) return;
    for (auto& s : g_slots) {
        if (s.free_flag == SLOT_FREE) {
            s = slot{pid, tid, 0, SLOT_USED};
            return;
        }
    }
}

void detach_current()
{
    std::lock_guard guard(g_lock);
    if (slot* s = find_current_locked()) *s = slot{0, 0, 0, SLOT_FREE};
}

std::uint32_t get()
{
    std::lock_guard guard(g_lock);
    const slot* s = find_current_locked();
    return s != nullptr ? s->error : 0;
}

void set(std::uint32_t code)
{
    std::lock_guard guard(g_lock);
    if (slot* s = find_current_locked()) s->error = code;
}

void add(std::uint32_t bits)
{
    std::lock_guard guard(g_lock);
    if (slot* s = find_current_locked()) s->error |= bits;
}

} // namespace zan::thread_errors
