# Cross build for 64-bit Windows. The product is the 32-bit build; this one
# runs the Windows tests under Wine on hosts that cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZAN_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
