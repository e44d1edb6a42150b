// Facts about the running program: process and thread ids.
#include "plat/module.h"

#include <unistd.h>

namespace plat {

std::uint32_t current_process_id()
{
    return static_cast<std::uint32_t>(::getpid());
}

std::uint32_t current_thread_id()
{
    return static_cast<std::uint32_t>(::gettid());
}

} // namespace plat
