// A UDP socket on 127.0.0.1 for test servers, the same on Linux and under Wine.
#pragma once

#include <cstdint>

namespace tw::test {

class UdpSocket {
public:
    struct Peer {
        uint32_t address = 0;  ///< host order
        uint16_t port = 0;
    };

    /// Bound to 127.0.0.1 on a port the system chooses.
    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    uint16_t port() const { return port_; }
    /// Waits up to `timeoutMs` for one datagram: its size, or -1 when none came.
    int receive(uint8_t* buffer, int size, int timeoutMs, Peer& from);
    void send(const uint8_t* data, int size, const Peer& to);

private:
    intptr_t handle_ = -1;
    uint16_t port_ = 0;
};

}  // namespace tw::test
