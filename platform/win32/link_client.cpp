#include "link_client.h"

#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "plat/error.h"

namespace plat::link {

namespace {

// An answer that does not come within this time is a device that stopped
// answering: the caller gets a device error instead of a hang.
constexpr DWORD ANSWER_TIMEOUT_MS = 30000;

bool winsock_ready()
{
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

// The environment variable's value; empty when it is not set.
std::string variable(const char* name)
{
    char value[4096];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length == 0 || length >= sizeof value ? std::string() : std::string(value, length);
}

bool send_all(SOCKET s, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const int n = send(s, reinterpret_cast<const char*>(bytes.data() + done), static_cast<int>(bytes.size() - done), 0);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool receive_all(SOCKET s, std::uint8_t* buffer, std::size_t size)
{
    while (size > 0) {
        const int n = recv(s, reinterpret_cast<char*>(buffer), static_cast<int>(size), 0);
        if (n <= 0) return false;
        buffer += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

connection::~connection()
{
    if (socket_ != INVALID_SOCKET) closesocket(static_cast<SOCKET>(socket_));
}

std::uint32_t connection::connect()
{
    const std::string port_text = variable(sim::link::PORT_VARIABLE);
    if (port_text.empty()) return ERR_FILE_NOT_FOUND;
    char* end = nullptr;
    const unsigned long port = std::strtoul(port_text.c_str(), &end, 10);
    if (*end != '\0' || port == 0 || port > 65535 || !winsock_ready()) return ERR_IO_DEVICE;

    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return ERR_IO_DEVICE;
    socket_ = s;
    const DWORD timeout = ANSWER_TIMEOUT_MS;
    const BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return ERR_IO_DEVICE;

    sim::link::writer session(sim::link::op::session);
    session.text(variable("ZAN_ROOT"));
    std::vector<std::uint8_t> answer;
    if (exchange(session, answer) != ERR_SUCCESS) return ERR_IO_DEVICE;
    return ERR_SUCCESS;
}

std::uint32_t connection::exchange(sim::link::writer& request, std::vector<std::uint8_t>& answer)
{
    const auto s = static_cast<SOCKET>(socket_);
    if (s == INVALID_SOCKET) return ERR_IO_DEVICE;
    const std::vector<std::uint8_t>& frame = request.frame();
    std::uint8_t word[4];
    std::uint32_t length = 0;
    if (send_all(s, frame) && receive_all(s, word, sizeof word) && (length = sim::link::frame_length(word)) != 0) {
        answer.resize(length);
        if (receive_all(s, answer.data(), length) && answer[0] == frame[4]) {
            answer.erase(answer.begin());
            return ERR_SUCCESS;
        }
    }
    // A connection that lost its place in the exchange is not used again.
    closesocket(s);
    socket_ = INVALID_SOCKET;
    return ERR_IO_DEVICE;
}

} // namespace plat::link
