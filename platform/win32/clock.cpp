// Local time of the machine.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plat/clock.h"

namespace plat {

local_time now_local()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return local_time{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

} // namespace plat
