#include "net/connection.h"

#include "core/speech.h"

#include <enet/enet.h>

#include <chrono>

ENetHost* client = nullptr;
ENetPeer* serverPeer = nullptr;

namespace {

constexpr uint32_t CONNECT_WAIT_MS = 5000;
// ENet resends its connect request only while the host is serviced, so the
// wait is cut into short slices: one lost datagram must not fail the attempt.
constexpr uint32_t CONNECT_SLICE_MS = 10;

bool g_enetInitialised = false;

void releaseConnection() {
    if (client) enet_host_destroy(client); // frees its peers too
    client = nullptr;
    serverPeer = nullptr;
    if (g_enetInitialised) {
        enet_deinitialize();
        g_enetInitialised = false;
    }
}

bool waitForConnect() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (;;) {
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (elapsed >= CONNECT_WAIT_MS) return false;
        uint32_t left = CONNECT_WAIT_MS - static_cast<uint32_t>(elapsed);
        ENetEvent event;
        int result = enet_host_service(client, &event, left < CONNECT_SLICE_MS ? left : CONNECT_SLICE_MS);
        if (result < 0) return false;
        if (result > 0) {
            if (event.type == ENET_EVENT_TYPE_CONNECT) return true;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
            return false; // refused or dropped before it was accepted
        }
    }
}

std::string packetBytes(const ENetPacket* packet) {
    if (!packet->data || packet->dataLength == 0) return {};
    return std::string(reinterpret_cast<const char*>(packet->data), packet->dataLength);
}

} // namespace

bool connectToServer(const std::string& host, uint16_t port) {
    if (client || serverPeer || g_enetInitialised) disconnectFromServer();

    if (enet_initialize() != 0) return false;
    g_enetInitialised = true;

    client = enet_host_create(nullptr, 1, 2, 0, 0);
    if (!client) {
        releaseConnection();
        return false;
    }
    ENetAddress address{};
    if (enet_address_set_host(&address, host.c_str()) != 0) {
        releaseConnection();
        return false;
    }
    address.port = port;
    serverPeer = enet_host_connect(client, &address, 2, 0);
    if (!serverPeer || !waitForConnect()) {
        releaseConnection();
        return false;
    }
    // Acknowledge the server's acceptance now rather than at the next frame.
    enet_host_flush(client);
    startConnectionState();
    return true;
}

void updateNetworkStatus() {
    ENetEvent event;
    // A handler may close or reopen the connection: look at `client` afresh each time.
    while (client && enet_host_service(client, &event, 0) > 0) {
        switch (event.type) {
        case ENET_EVENT_TYPE_RECEIVE: {
            const std::string bytes = packetBytes(event.packet);
            enet_packet_destroy(event.packet);
            handleIncomingPacket(bytes);
            break;
        }
        case ENET_EVENT_TYPE_DISCONNECT:
            say("Serveur deconnecte.");
            break;
        default:
            break;
        }
    }
}

void disconnectFromServer() {
    if (serverPeer) {
        enet_peer_disconnect(serverPeer, 0);
        if (client) enet_host_flush(client);
    }
    releaseConnection();
}

void sendMessage(const Message& message) {
    const std::string& text = message.text();
    if (!serverPeer) return;
    // c_str() ends with the NUL that terminates every message on the wire.
    ENetPacket* packet = enet_packet_create(text.c_str(), text.size() + 1, ENET_PACKET_FLAG_RELIABLE);
    if (!packet) return;
    // A refused packet (the server has dropped us) still belongs to us.
    if (enet_peer_send(serverPeer, 0, packet) < 0) enet_packet_destroy(packet);
    if (client) enet_host_flush(client);
}

