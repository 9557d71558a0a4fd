#include "server/host.h"

#include "server/server.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <ctime>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace {

// A pass handles at most this many events, or this long of them, then the
// games run and the replies leave.
constexpr int PASS_EVENTS = 256;
constexpr uint64_t PASS_BUDGET_MS = 5;
// Without traffic the loop wakes this often: the games' tick.
constexpr int IDLE_WAIT_MS = 10;
constexpr uint64_t STATUS_EVERY_MS = 60000;
// How often the server hears what waits for each peer.
constexpr uint64_t BACKLOG_EVERY_MS = 100;
// At most this much is handed to ENet for a peer at once.
constexpr size_t HANDOFF_BYTES = 16 * 1024;
constexpr int SOCKET_RECEIVE_BUFFER = 4 * 1024 * 1024;

struct Port {
    ENetHost* host = nullptr;
    bool test = false;
    uint64_t readAt = 0; // when ENet last read datagrams from the socket
};

// A peer's messages wait here until ENet sent all it was given before, so
// ENet's queue for a peer that cannot keep up stays short (ENet walks it
// whole at every send) and what waits can still be dropped: a reliable
// message handed to ENet has its sequence number, and one missing would stall
// every later one.
struct Peer {
    ENetPeer* enet = nullptr;
    std::deque<std::string> waiting;
    size_t waitingBytes = 0;
    size_t handed = 0; // bytes handed at the last hand-off
    bool listed = false; // in g_waiting
};

// Run lifetime: from hostOpen to hostClose.
Port g_ports[2]; // main, test
std::map<uint32_t, Peer> g_peers; // by session id
std::vector<uint32_t> g_waiting;  // peers with messages waiting
uint64_t g_backlogAt = 0;
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
    // A thousand players' acknowledgements come to some 30,000 datagrams a second: ENet's 256 KB of socket
    // buffer holds 10 ms of them, and a pass that takes longer (the system gave the core to another process)
    // would lose the rest, to be sent again and again until ENet gives those peers up. The system caps this
    // at net.core.rmem_max.
    enet_socket_set_option(host->socket, ENET_SOCKOPT_RCVBUF, SOCKET_RECEIVE_BUFFER);
    return host;
}

uint32_t sessionOf(const ENetPeer* peer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(peer->data));
}

// Hands what waits to ENet, up to about `limit` bytes.
void handOff(Peer& p, size_t limit) {
    p.handed = 0;
    while (!p.waiting.empty() && p.handed < limit) {
        const std::string& text = p.waiting.front();
        ENetPacket* packet = enet_packet_create(text.c_str(), text.size() + 1, ENET_PACKET_FLAG_RELIABLE);
        if (packet && enet_peer_send(p.enet, 0, packet) != 0) enet_packet_destroy(packet);
        p.handed += text.size() + 1;
        p.waitingBytes -= text.size() + 1;
        p.waiting.pop_front();
        ++g_sent;
    }
}

void deliver(Outbox& out) {
    for (uint32_t id : out.clears)
        if (auto it = g_peers.find(id); it != g_peers.end()) {
            it->second.waiting.clear();
            it->second.waitingBytes = 0;
        }
    for (GameSend& s : out.sends) {
        auto it = g_peers.find(s.player);
        if (it == g_peers.end()) continue; // gone meanwhile
        Peer& p = it->second;
        p.waitingBytes += s.text.size() + 1;
        p.waiting.push_back(std::move(s.text));
        if (!p.listed) g_waiting.push_back(s.player);
        p.listed = true;
    }
    for (uint32_t id : out.closes) {
        auto it = g_peers.find(id);
        if (it == g_peers.end()) continue;
        // Later: what waits for it still leaves first.
        handOff(it->second, SIZE_MAX);
        enet_peer_disconnect_later(it->second.enet, 0);
        it->second.enet->data = nullptr;
        g_peers.erase(it);
    }
    size_t kept = 0;
    for (uint32_t id : g_waiting) {
        auto it = g_peers.find(id);
        if (it == g_peers.end()) continue;
        // Only once ENet sent what it was given: one that cannot keep up keeps its queue here.
        if (enet_list_empty(&it->second.enet->outgoingCommands)) handOff(it->second, HANDOFF_BYTES);
        it->second.listed = !it->second.waiting.empty();
        if (it->second.listed) g_waiting[kept++] = id;
    }
    g_waiting.resize(kept);
    for (const std::string& line : out.log) hostLog(line);
    out = Outbox{};
}

// Tells the server what waits for each peer, ENet's unacknowledged bytes included.
void reportBacklog(uint64_t nowMs, Outbox& out) {
    if (nowMs < g_backlogAt) return;
    g_backlogAt = nowMs + BACKLOG_EVERY_MS;
    for (auto& [id, p] : g_peers) {
        const bool unsent = !enet_list_empty(&p.enet->outgoingCommands);
        serverBacklog(id, p.waiting.size(), p.waitingBytes + p.enet->reliableDataInTransit + (unsent ? p.handed : 0),
                      nowMs, out);
    }
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
        g_peers[id].enet = event.peer;
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
        reportBacklog(hostClockMs(), out);
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
    for (auto& [id, peer] : g_peers) enet_peer_disconnect_now(peer.enet, 0);
    g_peers.clear();
    g_waiting.clear();
    for (Port& port : g_ports) {
        if (port.host) enet_host_destroy(port.host);
        port = Port{};
    }
    enet_deinitialize();
}
