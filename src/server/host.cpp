#include "server/host.h"

#include "server/server.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>

namespace {

// A pass handles at most this many events, or this long of them, then the
// games run and the replies leave.
constexpr int PASS_EVENTS = 256;
constexpr uint64_t PASS_BUDGET_MS = 5;
// Without traffic the loop wakes this often: the games' tick.
constexpr int IDLE_WAIT_MS = 10;
constexpr uint64_t STATUS_EVERY_MS = 60000;

struct Port {
    ENetHost* host = nullptr;
    bool test = false;
    uint64_t readAt = 0; // when ENet last read datagrams from the socket
};

// Run lifetime: from hostOpen to hostClose.
Port g_ports[2]; // main, test
std::map<uint32_t, ENetPeer*> g_peers; // by session id
// The minute's figures, for its status line.
uint64_t g_received = 0, g_sent = 0, g_worstPassMs = 0, g_droppedBefore = 0, g_statusAt = 0;

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
        ++g_sent;
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

void handle(const ENetEvent& event, bool test, uint64_t arrivalMs, Outbox& out) {
    const uint64_t now = hostClockMs();
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
        ++g_received;
        if (const uint32_t id = sessionOf(event.peer))
            serverReceive(id, std::string_view(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength),
                          arrivalMs, now, out);
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

// One event of a port, with the time it arrived. ENet reads the socket only
// once every event of its last read was handed out, so an event left over
// from an earlier pass arrived when that read happened: a backlog does not
// spread a flood over the time it took to handle it.
bool nextEvent(Port& port, ENetEvent& event, uint64_t& arrivalMs) {
    const uint32_t before = port.host->totalReceivedPackets;
    const uint64_t now = hostClockMs();
    const bool got = enet_host_service(port.host, &event, 0) > 0;
    if (port.host->totalReceivedPackets != before) port.readAt = now;
    arrivalMs = port.readAt;
    return got;
}

// The pass's share of events, both ports in turn; true when some are left.
bool serviceEvents(uint64_t start, Outbox& out) {
    bool more[2] = {g_ports[0].host != nullptr, g_ports[1].host != nullptr};
    for (int handled = 0; more[0] || more[1];) {
        for (int p = 0; p < 2; ++p) {
            ENetEvent event;
            uint64_t arrivalMs = 0;
            if (!more[p] || !(more[p] = nextEvent(g_ports[p], event, arrivalMs))) continue;
            handle(event, g_ports[p].test, arrivalMs, out);
            ++handled;
        }
        if (handled >= PASS_EVENTS || hostClockMs() - start >= PASS_BUDGET_MS) return more[0] || more[1];
    }
    return false;
}

// Sleeps until a datagram arrives on either port, IDLE_WAIT_MS at most.
void waitForTraffic() {
    ENetSocketSet set;
    ENET_SOCKETSET_EMPTY(set);
    ENetSocket highest = 0;
    for (const Port& port : g_ports)
        if (port.host) {
            ENET_SOCKETSET_ADD(set, port.host->socket);
            highest = std::max(highest, port.host->socket);
        }
    enet_socketset_select(highest, &set, nullptr, IDLE_WAIT_MS);
}

void reportMinute(uint64_t nowMs) {
    if (nowMs < g_statusAt) return;
    g_statusAt = nowMs + STATUS_EVERY_MS;
    const ServerCounts c = serverCounts();
    hostLog("bilan de la minute : " + std::to_string(c.players) + " joueurs identifiés, " +
            std::to_string(c.connections) + " connexions, " + std::to_string(c.games) + " parties, " +
            std::to_string(g_received) + " messages reçus dont " + std::to_string(c.dropped - g_droppedBefore) +
            " ignorés, " + std::to_string(g_sent) + " envoyés, " + std::to_string(c.jobs) +
            " tâches en attente (mots de passe et base de données), pire passe de la boucle " + std::to_string(g_worstPassMs) + " ms");
    g_received = g_sent = g_worstPassMs = 0;
    g_droppedBefore = c.dropped;
}

} // namespace

uint64_t hostClockMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

void hostLog(const std::string& line) {
    const std::time_t t = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
    std::printf("%s %s\n", stamp, line.c_str());
    std::fflush(stdout);
}

bool hostOpen(uint16_t port, uint16_t testPort, bool openTest, size_t peers) {
    if (enet_initialize() != 0) return false;
    peers = std::min<size_t>(peers, ENET_PROTOCOL_MAXIMUM_PEER_ID);
    g_ports[0] = Port{openHost(port, peers), false, 0};
    if (openTest) g_ports[1] = Port{openHost(testPort, peers), true, 0};
    if (g_ports[0].host == nullptr || (openTest && g_ports[1].host == nullptr)) {
        hostClose();
        return false;
    }
    return true;
}

uint16_t hostPort(bool test) {
    const ENetHost* host = g_ports[test ? 1 : 0].host;
    return host ? host->address.port : 0;
}

void hostRun(const volatile std::sig_atomic_t& stop) {
    Outbox out;
    g_received = g_sent = g_worstPassMs = g_droppedBefore = 0;
    g_statusAt = hostClockMs() + STATUS_EVERY_MS;
    while (!stop) {
        const uint64_t start = hostClockMs();
        const bool backlog = serviceEvents(start, out);
        serverTick(hostClockMs(), out);
        deliver(out);
        for (const Port& port : g_ports)
            if (port.host) enet_host_flush(port.host);
        const uint64_t end = hostClockMs();
        g_worstPassMs = std::max(g_worstPassMs, end - start);
        reportMinute(end);
        if (!backlog) waitForTraffic();
    }
}

void hostClose() {
    for (auto& [id, peer] : g_peers) enet_peer_disconnect_now(peer, 0);
    g_peers.clear();
    for (Port& port : g_ports) {
        if (port.host) enet_host_destroy(port.host);
        port = Port{};
    }
    enet_deinitialize();
}
