// The console cursor and the key test. Console output and line input are in
// common/console_stream.cpp.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <climits>
#include <conio.h>
#include <cstdio>

#include "plat/console.h"
#include "plat/error.h"

namespace plat {

namespace {

// The standard handle, or nullptr with the last error set when the process
// has none.
HANDLE standard_handle(DWORD which)
{
    HANDLE handle = GetStdHandle(which);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    if (handle == nullptr) SetLastError(ERROR_INVALID_HANDLE);
    return handle;
}

} // namespace

bool console_get_cursor(console_cursor& at)
{
    HANDLE output = standard_handle(STD_OUTPUT_HANDLE);
    if (output == nullptr) return false;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(output, &info)) return false;
    at = {info.dwCursorPosition.X, info.dwCursorPosition.Y};
    return true;
}

bool console_set_cursor(console_cursor at)
{
    if (at.column < 0 || at.row < 0 || at.column > SHRT_MAX || at.row > SHRT_MAX) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HANDLE output = standard_handle(STD_OUTPUT_HANDLE);
    if (output == nullptr) return false;
    // What the C runtime still holds must reach the console before the
    // cursor moves.
    std::fflush(stdout);
    const COORD position{static_cast<SHORT>(at.column), static_cast<SHORT>(at.row)};
    return SetConsoleCursorPosition(output, position) != 0;
}

bool console_key_pressed()
{
    HANDLE input = standard_handle(STD_INPUT_HANDLE);
    if (input == nullptr) return false;
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    // _kbhit sees the console's pending input only once the handle has been
    // waited on; a wait of 0 ms never blocks.
    WaitForSingleObject(input, 0);
    const bool pressed = _kbhit() != 0;
    SetLastError(ERROR_SUCCESS);
    return pressed;
}

} // namespace plat
