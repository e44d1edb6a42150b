// zansim serve: listens on 127.0.0.1 and serves each connection in a process
// of its own, so that a connection works on its own root with the same
// per-process engine a hosted program has, and a malformed frame or a client
// that goes away ends that connection and nothing else.
#include "serve.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "link_session.h"
#include "sim/link.h"
#include "sim/root.h"

namespace {

// Connections served at once; more wait in the listen queue.
constexpr std::size_t MAX_CONNECTIONS = 512;

volatile sig_atomic_t stop_signal = 0;

void on_stop(int)
{
    stop_signal = 1;
}

bool read_all(int fd, void* buffer, std::size_t size)
{
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (size > 0) {
        const ssize_t n = ::recv(fd, p, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool write_all(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Requests and answers alternate until the client closes, a frame is
// malformed or oversized, or a stop request ends the server.
void serve_connection(int fd)
{
    sim::link::session s;
    std::vector<std::uint8_t> payload;
    std::vector<std::uint8_t> answer;
    for (;;) {
        std::uint8_t word[4];
        if (!read_all(fd, word, sizeof word)) break;
        const std::uint32_t length = sim::link::frame_length(word);
        if (length == 0) break;
        payload.resize(length);
        if (!read_all(fd, payload.data(), length) || !sim::link::answer_request(s, payload, answer) ||
            !write_all(fd, answer)) {
            break;
        }
        if (s.stop_requested) {
            ::kill(::getppid(), SIGTERM);
            break;
        }
    }
    ::close(fd);
}

void no_delay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A listening socket on 127.0.0.1:port (0: one the system picks); -1 with a
// message on failure.
int listen_on(std::uint16_t port, std::uint16_t& bound, std::string& error)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot make a socket: ") + std::strerror(errno);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = loopback(port);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 256) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    bound = ntohs(address.sin_port);
    return fd;
}

void reap(std::set<pid_t>& children, int options)
{
    for (auto it = children.begin(); it != children.end();) {
        const pid_t done = ::waitpid(*it, nullptr, options);
        it = done == *it || (done < 0 && errno == ECHILD) ? children.erase(it) : std::next(it);
    }
}

int serve(std::uint16_t port)
{
    std::uint16_t bound = 0;
    std::string error;
    const int listener = listen_on(port, bound, error);
    if (listener < 0) return fail(error);

    struct sigaction action {};
    action.sa_handler = on_stop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    std::printf("Serving %s on 127.0.0.1:%u.\n", sim::root_dir().c_str(), static_cast<unsigned>(bound));
    std::fflush(stdout);

    std::set<pid_t> children;
    while (stop_signal == 0) {
        reap(children, WNOHANG);
        pollfd ready{listener, POLLIN, 0};
        if (::poll(&ready, 1, 200) <= 0 || children.size() >= MAX_CONNECTIONS) continue;
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        no_delay(client);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::signal(SIGTERM, SIG_DFL);
            ::signal(SIGINT, SIG_DFL);
            ::close(listener);
            serve_connection(client);
            ::_exit(0);
        }
        ::close(client);
        if (pid > 0) children.insert(pid);
    }
    ::close(listener);
    for (const pid_t pid : children) ::kill(pid, SIGTERM);
    reap(children, 0);
    std::printf("Stopped serving on 127.0.0.1:%u.\n", static_cast<unsigned>(bound));
    return 0;
}

// Asks the server on `port` to stop, as a client of the link.
int stop(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const std::string reason = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return fail("no server on 127.0.0.1:" + std::to_string(port) + ": " + reason);
    }
    sim::link::writer session(sim::link::op::session);
    session.text("");
    sim::link::writer stop_request(sim::link::op::stop);
    std::uint8_t word[4];
    std::vector<std::uint8_t> answer;
    bool ok = write_all(fd, session.frame()) && read_all(fd, word, sizeof word);
    if (ok) {
        answer.resize(sim::link::frame_length(word));
        ok = !answer.empty() && read_all(fd, answer.data(), answer.size()) && write_all(fd, stop_request.frame()) &&
             read_all(fd, word, sizeof word);
    }
    ::close(fd);
    return ok ? 0 : fail("the server on 127.0.0.1:" + std::to_string(port) + " did not take the stop request");
}

} // namespace

int cmd_serve(const args& a)
{
    std::uint64_t port = 0;
    const bool stopping = !a.empty() && a[0] == "stop";
    const std::size_t port_at = stopping ? 1 : 0;
    if (a.size() > port_at + 1 || (stopping && a.size() != 2) ||
        (a.size() == port_at + 1 && !read_number(a[port_at], 65535, port))) {
        return misuse("serve [PORT] | serve stop PORT, with a port up to 65535");
    }
    return stopping ? stop(static_cast<std::uint16_t>(port)) : serve(static_cast<std::uint16_t>(port));
}
