// The console cursor and the key test on a terminal, through VT sequences:
// "ESC [6n" asks for the cursor position (the terminal answers "ESC [row;colR",
// counted from 1), "ESC [row;colH" moves the cursor. Standard output that is
// no terminal fails with 6, as GetConsoleScreenBufferInfo does for output
// redirected to a file or pipe. Console output and line input are in
// common/console_stream.cpp.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "plat/console.h"
#include "plat/error.h"
#include "win_error.h"

namespace plat {

namespace {

constexpr int input_fd = STDIN_FILENO;
constexpr int output_fd = STDOUT_FILENO;

// How long a terminal may take to answer a position request.
constexpr int report_wait_ms = 1000;
// Bytes kept from the input while looking for a position report.
constexpr std::size_t max_pending_keys = 256;

// Keys typed while a position report was awaited: they were read from the
// terminal with the report and count as keys waiting.
std::string pending_keys;

// A Windows console neither echoes keys nor holds them back for a whole line
// until a program reads them. The key test puts the terminal into that mode
// (no line editing, no echo) the first time it runs and keeps it until the
// process ends; the settings found are put back at exit, or on a signal that
// ends the process. Bytes still waiting then stay in the terminal's input.
struct key_mode_state {
    bool active = false;
    termios saved{};
};
key_mode_state key_mode;

constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

termios without_line_editing(termios mode)
{
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    mode.c_cc[VMIN] = 0;
    mode.c_cc[VTIME] = 0;
    return mode;
}

void leave_key_mode()
{
    if (key_mode.active) ::tcsetattr(input_fd, TCSANOW, &key_mode.saved);
    key_mode.active = false;
}

extern "C" void leave_key_mode_and_end(int signal_number)
{
    if (key_mode.active) ::tcsetattr(input_fd, TCSANOW, &key_mode.saved);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void install_restorers()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::atexit(leave_key_mode);
    for (const int signal_number : ending_signals) {
        struct sigaction previous {};
        if (::sigaction(signal_number, nullptr, &previous) != 0 || previous.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = leave_key_mode_and_end;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal_number, &action, nullptr);
    }
}

bool enter_key_mode()
{
    if (key_mode.active) return true;
    termios found{};
    if (::tcgetattr(input_fd, &found) != 0) return false;
    const termios wanted = without_line_editing(found);
    install_restorers();
    key_mode.saved = found;
    if (::tcsetattr(input_fd, TCSANOW, &wanted) != 0) return false;
    key_mode.active = true;
    return true;
}

long long monotonic_ms()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void keep_as_keys(std::string_view bytes)
{
    const std::size_t room = max_pending_keys - std::min(max_pending_keys, pending_keys.size());
    pending_keys.append(bytes.substr(0, room));
}

// Whether `received` ends in a complete position report; if so, its
// position, and what came before it is left in `before`.
bool ends_in_report(const std::string& received, console_cursor& at, std::string_view& before)
{
    if (received.empty() || received.back() != 'R') return false;
    const std::size_t start = received.rfind("\x1b[");
    if (start == std::string::npos) return false;
    int row = 0;
    int column = 0;
    int used = 0;
    const std::string report = received.substr(start);
    if (std::sscanf(report.c_str(), "\x1b[%d;%dR%n", &row, &column, &used) != 2 ||
        used != static_cast<int>(report.size()) || row < 1 || column < 1)
        return false;
    at = {column - 1, row - 1};
    before = std::string_view(received).substr(0, start);
    return true;
}

// Sends the position request and reads the answer from the terminal of
// standard output, with line editing and echo off while it waits.
bool request_position(console_cursor& at)
{
    termios found{};
    if (::tcgetattr(output_fd, &found) != 0) {
        hosted::set_last_error_from_errno();
        return false;
    }
    const termios waiting = without_line_editing(found);
    if (::tcsetattr(output_fd, TCSANOW, &waiting) != 0) {
        hosted::set_last_error_from_errno();
        return false;
    }

    bool answered = false;
    int failure = 0;
    std::string received;
    static constexpr char request[] = "\x1b[6n";
    if (::write(output_fd, request, sizeof request - 1) != static_cast<ssize_t>(sizeof request - 1)) {
        failure = errno;
    } else {
        const long long deadline = monotonic_ms() + report_wait_ms;
        for (long long left = report_wait_ms; !answered && left > 0; left = deadline - monotonic_ms()) {
            pollfd ready{output_fd, POLLIN, 0};
            const int polled = ::poll(&ready, 1, static_cast<int>(left));
            if (polled < 0 && errno == EINTR) continue;
            if (polled <= 0) break;
            char byte = 0;
            const ssize_t got = ::read(output_fd, &byte, 1);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                failure = got < 0 ? errno : 0;
                break;
            }
            received += byte;
            std::string_view before;
            if (ends_in_report(received, at, before)) {
                keep_as_keys(before);
                answered = true;
            }
        }
        if (!answered) keep_as_keys(received);
    }
    ::tcsetattr(output_fd, TCSANOW, &found);
    if (answered) return true;
    if (failure != 0) {
        errno = failure;
        hosted::set_last_error_from_errno();
    } else {
        set_last_error(ERR_SEM_TIMEOUT);
    }
    return false;
}

} // namespace

bool console_get_cursor(console_cursor& at)
{
    if (!::isatty(output_fd)) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    std::fflush(stdout);
    return request_position(at);
}

bool console_set_cursor(console_cursor at)
{
    if (!::isatty(output_fd)) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (at.column < 0 || at.row < 0) {
        set_last_error(ERR_INVALID_PARAMETER);
        return false;
    }
    if (std::fprintf(stdout, "\x1b[%d;%dH", at.row + 1, at.column + 1) < 0 || std::fflush(stdout) != 0) {
        hosted::set_last_error_from_errno();
        return false;
    }
    return true;
}

bool console_key_pressed()
{
    if (!::isatty(input_fd)) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (!enter_key_mode()) {
        hosted::set_last_error_from_errno();
        return false;
    }
    set_last_error(ERR_SUCCESS);
    if (!pending_keys.empty()) return true;
    pollfd ready{input_fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0) return false;
    if (ready.revents & POLLIN) return true;
    // A terminal that has gone away brings no key any more.
    set_last_error(ERR_INVALID_HANDLE);
    return false;
}

} // namespace plat
