# The mingw-w64 cross toolchain (posix threads) named by ZAN_TRIPLE; included
# by the toolchain file of each Windows build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZAN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZAN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZAN_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZAN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
