// Processes of the hosted build: posix_spawn, and a wait on a pidfd through
// the timed waits that follow the stopped simulated clock.
#include "plat/process.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "plat/error.h"
#include "posix_io.h"
#include "timed_wait.h"
#include "win_error.h"

extern char** environ;

namespace plat {

namespace {

constexpr std::string_view WINDOWS_SUFFIX = ".exe";

struct process_state {
    pid_t pid = -1;
    hosted::unique_fd pidfd;
};

bool is_executable(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The file that runs for `path`: itself, or the same name without ".exe".
std::string runnable(const std::string& path)
{
    if (is_executable(path)) return path;
    if (path.size() > WINDOWS_SUFFIX.size() && path.ends_with(WINDOWS_SUFFIX)) {
        const std::string bare = path.substr(0, path.size() - WINDOWS_SUFFIX.size());
        if (is_executable(bare)) return bare;
    }
    return {};
}

std::string program_folder()
{
    char path[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    const std::string exe(path, static_cast<std::size_t>(length));
    return exe.substr(0, exe.rfind('/'));
}

// A command line split as Windows programs split theirs: blanks separate
// words, double quotes group blanks into a word.
std::vector<std::string> split_command_line(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool in_word = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            in_word = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

} // namespace

bool search_executable(const char* file_name, std::string& full_path)
{
    if (file_name == nullptr || *file_name == '\0') {
        set_last_error(ERR_INVALID_PARAMETER);
        return false;
    }
    std::vector<std::string> folders = {program_folder()};
    char current[PATH_MAX] = {};
    if (::getcwd(current, sizeof current) != nullptr) folders.emplace_back(current);
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            folders.emplace_back(rest.substr(0, colon));
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
    }
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + file_name;
        if (!runnable(candidate).empty()) {
            full_path = candidate;
            return true;
        }
    }
    set_last_error(ERR_FILE_NOT_FOUND);
    return false;
}

process::~process()
{
    close();
}

bool process::create(const std::string& command_line)
{
    close();
    std::vector<std::string> words = split_command_line(command_line);
    const std::string program = words.empty() ? std::string() : runnable(words[0]);
    if (program.empty()) {
        set_last_error(ERR_FILE_NOT_FOUND);
        return false;
    }
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    // The program starts with no signal blocked, whatever this thread blocks.
    posix_spawnattr_t attributes;
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    auto* state = new process_state;
    const int error = ::posix_spawn(&state->pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        delete state;
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    state->pidfd = hosted::unique_fd(static_cast<int>(::syscall(SYS_pidfd_open, state->pid, 0)));
    handle_ = state;
    return true;
}

wait_result process::wait(std::uint32_t timeout_ms)
{
    auto* state = static_cast<process_state*>(handle_);
    if (state == nullptr || !state->pidfd.valid()) {
        set_last_error(ERR_INVALID_HANDLE);
        return wait_result::failed;
    }
    switch (hosted::wait_readable(state->pidfd.get(), timeout_ms)) {
    case hosted::readable::yes: return wait_result::signalled;
    case hosted::readable::timeout: return wait_result::timeout;
    case hosted::readable::failed: break;
    }
    hosted::set_last_error_from_errno();
    return wait_result::failed;
}

void process::close()
{
    auto* state = static_cast<process_state*>(handle_);
    handle_ = nullptr;
    if (state == nullptr) return;
    // The ended process is collected now, a running one when it ends.
    if (::waitpid(state->pid, nullptr, WNOHANG) == 0) {
        std::thread([pid = state->pid] { ::waitpid(pid, nullptr, 0); }).detach();
    }
    delete state;
}

} // namespace plat
