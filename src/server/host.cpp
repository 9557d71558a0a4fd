#include "server/host.h"

#include "server/server.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>

namespace {

// Run lifetime: from hostOpen to hostClose.
ENetHost* g_hosts[2] = {nullptr, nullptr}; // main, test
std::map<uint32_t, ENetPeer*> g_peers;     // by session id

ENetHost* openHost(uint16_t port, size_t peers) {
    ENetAddress address;
    address.host = ENET_HOST_ANY;
    address.port = port;
    ENetHost* host = enet_host_create(&address, peers, 2, 0, 0);
    if (host == nullptr) return nullptr;
    // A client's packet is read only up to 1 KB anyway: refuse to assemble huge ones.
    host->maximumPacketSize = 64 * 1024;
    host->maximumWaitingData = 1024 * 1024;
    return host;
}

uint32_t sessionOf(const ENetPeer* peer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(peer->data));
}

void deliver(Outbox& out) {
    for (const GameSend& s : out.sends) {
        auto it = g_peers.find(s.player);
        if (it == g_peers.end()) continue; // gone meanwhile
        ENetPacket* packet = enet_packet_create(s.text.c_str(), s.text.size() + 1, ENET_PACKET_FLAG_RELIABLE);
        if (packet && enet_peer_send(it->second, 0, packet) != 0) enet_packet_destroy(packet);
    }
    for (uint32_t id : out.closes) {
        auto it = g_peers.find(id);
        if (it == g_peers.end()) continue;
        // Later: what was just sent to it still leaves first.
        enet_peer_disconnect_later(it->second, 0);
        it->second->data = nullptr;
        g_peers.erase(it);
    }
    for (const std::string& line : out.log) hostLog(line);
    out = Outbox{};
}

void handle(const ENetEvent& event, bool test, Outbox& out) {
    const uint32_t now = hostClockMs();
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT: {
        char ip[64] = "?";
        enet_address_get_host_ip(&event.peer->address, ip, sizeof ip);
        const uint32_t id = serverConnect(ip, test, now, out);
        if (id == 0) {
            enet_peer_disconnect(event.peer, 0);
            break;
        }
        event.peer->data = reinterpret_cast<void*>(static_cast<uintptr_t>(id));
        g_peers[id] = event.peer;
        break;
    }
    case ENET_EVENT_TYPE_RECEIVE:
        if (const uint32_t id = sessionOf(event.peer))
            serverReceive(id, std::string_view(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength),
                          now, out);
        enet_packet_destroy(event.packet);
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        if (const uint32_t id = sessionOf(event.peer)) {
            g_peers.erase(id);
            event.peer->data = nullptr;
            serverDisconnect(id, now, out);
        }
        break;
    default:
        break;
    }
}

} // namespace

uint32_t hostClockMs() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void hostLog(const std::string& line) {
    const std::time_t t = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
    std::printf("%s %s\n", stamp, line.c_str());
    std::fflush(stdout);
}

bool hostOpen(uint16_t port, uint16_t testPort, bool openTest, size_t maxPlayers) {
    if (enet_initialize() != 0) return false;
    // A few peers beyond the limit, so that a refused player is told rather than ignored.
    const size_t peers = std::min<size_t>(maxPlayers + 8, ENET_PROTOCOL_MAXIMUM_PEER_ID);
    g_hosts[0] = openHost(port, peers);
    if (openTest) g_hosts[1] = openHost(testPort, peers);
    if (g_hosts[0] == nullptr || (openTest && g_hosts[1] == nullptr)) {
        hostClose();
        return false;
    }
    return true;
}

uint16_t hostPort(bool test) {
    const ENetHost* host = g_hosts[test ? 1 : 0];
    return host ? host->address.port : 0;
}

void hostRun(const volatile std::sig_atomic_t& stop) {
    Outbox out;
    ENetEvent event;
    while (!stop) {
        for (int h = 0; h < 2; ++h)
            while (g_hosts[h] && enet_host_service(g_hosts[h], &event, 0) > 0) handle(event, h == 1, out);
        serverTick(hostClockMs(), out);
        deliver(out);
        for (ENetHost* host : g_hosts)
            if (host) enet_host_flush(host);
        // Sleep until a datagram arrives on either port, 10 ms at most: the games' tick.
        ENetSocketSet set;
        ENET_SOCKETSET_EMPTY(set);
        ENetSocket highest = 0;
        for (ENetHost* host : g_hosts)
            if (host) {
                ENET_SOCKETSET_ADD(set, host->socket);
                highest = std::max(highest, host->socket);
            }
        enet_socketset_select(highest, &set, nullptr, 10);
    }
}

void hostClose() {
    for (auto& [id, peer] : g_peers) enet_peer_disconnect_now(peer, 0);
    g_peers.clear();
    for (ENetHost*& host : g_hosts) {
        if (host) enet_host_destroy(host);
        host = nullptr;
    }
    enet_deinitialize();
}
