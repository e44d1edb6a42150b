#include "library_lifetime.h"

#include "controller_table.h"
#include "debug_log.h"
#include "export_support.h"
#include "plat/error.h"
#include "thread_errors.h"
#include "zandllctl.h"

namespace zan {

void on_process_attach()
{
    reset_controller_table();
    thread_errors::reset_all();
    thread_errors::attach_current();
}

bool on_process_detach()
{
    thread_errors::detach_current();
    debug_log::close();
    library_state& lib = library();
    if (lib.exclusive_mutex.is_open() && !lib.exclusive_mutex.close()) {
        const std::uint32_t os_error = plat::last_error();
        export_failed("DllMain", __LINE__, DLL_ERROR_SYSTEM);
        debug_log::errmsg_system(os_error);
        return false;
    }
    return true;
}

void on_thread_attach()
{
    thread_errors::attach_current();
}

void on_thread_detach()
{
    thread_errors::detach_current();
}

} // namespace zan
