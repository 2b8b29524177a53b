// The test servers' UDP socket over Winsock, so the loopback DNS server runs in the Windows tests too.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/UdpSocket.h"

namespace tw::test {

UdpSocket::UdpSocket() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (s != INVALID_SOCKET) closesocket(s);
        return;
    }
    handle_ = static_cast<intptr_t>(s);
    port_ = ntohs(address.sin_port);
}

UdpSocket::~UdpSocket() {
    if (handle_ != -1) closesocket(static_cast<SOCKET>(handle_));
    WSACleanup();
}

int UdpSocket::receive(uint8_t* buffer, int size, int timeoutMs, Peer& from) {
    if (handle_ == -1) return -1;
    SOCKET s = static_cast<SOCKET>(handle_);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &limit) <= 0) return -1;
    sockaddr_in sender{};
    int length = sizeof sender;
    int got = recvfrom(s, reinterpret_cast<char*>(buffer), size, 0, reinterpret_cast<sockaddr*>(&sender), &length);
    from = {ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
    return got;
}

void UdpSocket::send(const uint8_t* data, int size, const Peer& to) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(to.address);
    address.sin_port = htons(to.port);
    sendto(static_cast<SOCKET>(handle_), reinterpret_cast<const char*>(data), size, 0,
           reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

}  // namespace tw::test
