// zansim service: the stand-in for the Service Control Manager. It starts a
// service program in the background, sends controls to its handler, shows
// its status reports, and waits for a status or for the service to sit in a
// wait on the stopped clock.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "command_line.h"
#include "posix_io.h"
#include "service_store.h"
#include "sim/root.h"

namespace {

constexpr int WAIT_LIMIT_SECONDS = 60;

struct control_word {
    const char* name;
    std::uint8_t code;
};

constexpr control_word CONTROLS[] = {
    {"stop", plat::SVC_CONTROL_STOP},
    {"interrogate", plat::SVC_CONTROL_INTERROGATE},
    {"shutdown", plat::SVC_CONTROL_SHUTDOWN},
};

std::string read_text(const std::string& path)
{
    std::string text;
    bool exists = false;
    static_cast<void>(plat::hosted::read_whole_file(path, text, exists));
    return text;
}

int start(const std::string& root, const std::string& name, const args& program)
{
    ::mkdir((root + "/services").c_str(), 0755);
    for (const char* suffix : {".status", ".history", ".pid"}) {
        ::unlink(plat::hosted::service_file(root, name, suffix).c_str());
    }
    const std::string control = plat::hosted::service_file(root, name, ".control");
    if (::mkfifo(control.c_str(), 0644) != 0 && errno != EEXIST) {
        return fail("cannot make " + control + ": " + std::strerror(errno));
    }
    const std::string out = plat::hosted::service_file(root, name, ".out");
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid < 0) return fail(std::string("cannot start the service: ") + std::strerror(errno));
    if (pid == 0) {
        ::setsid();
        const int in = ::open("/dev/null", O_RDONLY);
        const int log = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || log < 0 || ::dup2(in, 0) < 0 || ::dup2(log, 1) < 0 || ::dup2(log, 2) < 0) ::_exit(127);
        ::setenv(plat::hosted::SERVICE_ENVIRONMENT, name.c_str(), 1);
        std::vector<char*> argv;
        for (const std::string& a : program) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    const std::string pid_text = std::to_string(pid) + "\n";
    if (plat::hosted::replace_file(plat::hosted::service_file(root, name, ".pid"), pid_text,
                                   plat::hosted::durability::process_crash) != 0) {
        return fail("cannot record the service's process");
    }
    std::printf("Started %s (process %d).\n", name.c_str(), static_cast<int>(pid));
    return 0;
}

int send(const std::string& root, const std::string& name, std::uint8_t code)
{
    const std::string control = plat::hosted::service_file(root, name, ".control");
    const plat::hosted::unique_fd fifo(::open(control.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fifo.valid()) return fail(name + " is not running");
    if (::write(fifo.get(), &code, 1) != 1) return fail("cannot send the control: " + std::string(std::strerror(errno)));
    return 0;
}

// Waits until `ready` holds, polling; fails after WAIT_LIMIT_SECONDS.
template <typename Ready>
int wait_until(const std::string& what, Ready ready)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(WAIT_LIMIT_SECONDS);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > limit) return fail("gave up waiting for " + what);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

// Whether any thread of process `pid` has a child process (running, or
// ended and not yet collected).
bool has_children(const std::string& pid)
{
    const std::string tasks = "/proc/" + pid + "/task";
    DIR* folder = ::opendir(tasks.c_str());
    if (folder == nullptr) return false;
    bool children = false;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.' && !read_text(tasks + "/" + entry->d_name + "/children").empty()) children = true;
    }
    ::closedir(folder);
    return children;
}

// Whether the service's process sits in a wait on the stopped clock that the
// clock has not yet reached, with no program it started still running: a
// wait for such a program ends when the program does, not on the clock.
bool waiting_on_clock(const std::string& root, const std::string& name)
{
    std::uint64_t now = 0;
    const std::string text = read_text(plat::hosted::service_file(root, name, ".pid"));
    if (text.empty() || !sim::stopped_clock(root, now)) return false;
    const std::string pid = text.substr(0, text.find('\n'));
    if (has_children(pid)) return false;
    const std::string prefix = pid + "-";
    DIR* folder = ::opendir((root + "/waits").c_str());
    if (folder == nullptr) return false;
    bool waiting = false;
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        const std::string deadline = read_text(root + "/waits/" + entry->d_name);
        if (!deadline.empty() && std::strtoull(deadline.c_str(), nullptr, 10) > now) waiting = true;
    }
    ::closedir(folder);
    return waiting;
}

} // namespace

int cmd_service(const args& a)
{
    const std::string root = sim::root_dir();
    const std::string& verb = a[0];
    const std::string& name = a[1];
    if (verb == "start" && a.size() >= 3) return start(root, name, args(a.begin() + 2, a.end()));
    for (const control_word& c : CONTROLS) {
        if (verb == c.name && a.size() == 2) return send(root, name, c.code);
    }
    if ((verb == "status" || verb == "history") && a.size() == 2) {
        const std::string text = read_text(plat::hosted::service_file(root, name, verb == "status" ? ".status" : ".history"));
        if (text.empty()) return fail(name + " has reported no status");
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    if (verb == "wait" && a.size() == 3) {
        const std::string state = "SERVICE_" + a[2] + " ";
        return wait_until(name + " to report " + a[2], [&] {
            return read_text(plat::hosted::service_file(root, name, ".status")).rfind(state, 0) == 0;
        });
    }
    if (verb == "idle" && a.size() == 2) {
        return wait_until(name + " to wait on the stopped clock", [&] { return waiting_on_clock(root, name); });
    }
    return misuse("service start NAME PROGRAM [ARGUMENTS] | service stop|shutdown|interrogate NAME | "
                  "service status|history|idle NAME | service wait NAME STATE");
}
