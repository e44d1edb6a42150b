# Cross build for 64-bit Windows with the mingw-w64 x86_64 toolchain (posix threads).
# The product is the 32-bit build; this one runs the Windows tests under Wine on
# hosts that cannot execute 32-bit code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZAN_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZAN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZAN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZAN_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZAN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
