// The test servers' UDP socket over POSIX sockets.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/UdpSocket.h"

namespace tw::test {

UdpSocket::UdpSocket() {
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s >= 0) close(s);
        return;
    }
    handle_ = s;
    port_ = ntohs(address.sin_port);
}

UdpSocket::~UdpSocket() {
    if (handle_ >= 0) close(static_cast<int>(handle_));
}

int UdpSocket::receive(uint8_t* buffer, int size, int timeoutMs, Peer& from) {
    if (handle_ < 0) return -1;
    pollfd wanted{static_cast<int>(handle_), POLLIN, 0};
    if (poll(&wanted, 1, timeoutMs) <= 0) return -1;
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    ssize_t got = recvfrom(static_cast<int>(handle_), buffer, static_cast<size_t>(size), 0,
                           reinterpret_cast<sockaddr*>(&sender), &length);
    from = {ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
    return static_cast<int>(got);
}

void UdpSocket::send(const uint8_t* data, int size, const Peer& to) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(to.address);
    address.sin_port = htons(to.port);
    sendto(static_cast<int>(handle_), data, static_cast<size_t>(size), 0, reinterpret_cast<sockaddr*>(&address),
           sizeof address);
}

}  // namespace tw::test
