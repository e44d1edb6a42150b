// Service mechanics of the hosted build: the service controller stand-in
// (service_store.h). The dispatcher runs the service main routine on a
// thread of its own and hands each control byte read from the service's
// FIFO to the handler, on the dispatcher's thread, until the main routine
// has returned. SIGTERM and SIGINT deliver the stop control.
#include "plat/service.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <thread>
#include <unistd.h>

#include "plat/error.h"
#include "posix_io.h"
#include "service_store.h"
#include "sim/root.h"
#include "win_error.h"

namespace plat {

namespace {

constexpr std::uint32_t ERR_SERVICE_DOES_NOT_EXIST = 1060;
constexpr std::uint32_t ERR_FAILED_SERVICE_CONTROLLER_CONNECT = 1063;

std::string service_name;                      // set before the service thread starts
std::atomic<void (*)(std::uint32_t)> control_handler = nullptr; // set by that thread, read by the dispatcher

} // namespace

bool run_service_dispatcher(const char* name, void (*service_main)())
{
    const char* started_as = std::getenv(hosted::SERVICE_ENVIRONMENT);
    if (name == nullptr || started_as == nullptr || std::strcmp(started_as, name) != 0) {
        set_last_error(ERR_FAILED_SERVICE_CONTROLLER_CONNECT);
        return false;
    }
    const std::string root = sim::root_dir();
    // Opened for reading and writing, the FIFO never reports an end.
    hosted::unique_fd controls(
        ::open(hosted::service_file(root, name, ".control").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    hosted::unique_fd ended(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!controls.valid() || !ended.valid()) {
        hosted::set_last_error_from_errno();
        return false;
    }
    // The stop signals wait for the dispatcher: every thread of the service
    // blocks them (the threads it starts inherit the mask).
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    if (const int error = ::pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr); error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    hosted::unique_fd signals(::signalfd(-1, &stop_signals, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!signals.valid()) {
        hosted::set_last_error_from_errno();
        return false;
    }
    service_name = name;
    std::thread service([&] {
        service_main();
        const std::uint64_t one = 1;
        static_cast<void>(::write(ended.get(), &one, sizeof one));
    });
    for (;;) {
        pollfd p[3] = {{controls.get(), POLLIN, 0}, {ended.get(), POLLIN, 0}, {signals.get(), POLLIN, 0}};
        if (::poll(p, 3, -1) < 0 && errno != EINTR) break;
        if ((p[1].revents & POLLIN) != 0) break;
        unsigned char control = 0;
        while (::read(controls.get(), &control, 1) == 1) {
            if (const auto handler = control_handler.load()) handler(control);
        }
        signalfd_siginfo signal{};
        while (::read(signals.get(), &signal, sizeof signal) == sizeof signal) {
            if (const auto handler = control_handler.load()) handler(SVC_CONTROL_STOP);
        }
    }
    service.join();
    return true;
}

service_status_handle register_control_handler(const char* name, void (*handler)(std::uint32_t control))
{
    if (name == nullptr || service_name != name) {
        set_last_error(ERR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    control_handler = handler;
    return &service_name;
}

bool set_service_status(service_status_handle handle, const service_status& status)
{
    if (handle != &service_name) {
        set_last_error(ERR_INVALID_HANDLE);
        return false;
    }
    if (const int error = hosted::record_service_status(sim::root_dir(), service_name, status); error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return false;
    }
    return true;
}

} // namespace plat
