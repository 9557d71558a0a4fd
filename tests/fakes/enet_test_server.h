#pragma once
// A stand-in game server on 127.0.0.1 for tests of the real connection: its
// own ENet host, serviced on a thread of its own, recording what arrives.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

class EnetTestServer {
public:
    // Port 0 takes any free port. A fixed port held by another process (a
    // parallel test run) is waited for, up to bindWaitMs.
    explicit EnetTestServer(uint16_t port = 0, uint32_t bindWaitMs = 60000);
    ~EnetTestServer();
    EnetTestServer(const EnetTestServer&) = delete;
    EnetTestServer& operator=(const EnetTestServer&) = delete;

    bool listening() const { return host_ != nullptr; }
    uint16_t port() const { return port_; }

    // The next `datagrams` UDP datagrams to arrive are lost, as on a bad network.
    void dropIncoming(int datagrams);
    // Bytes exactly as given, one reliable packet on channel 0 to every client.
    void sendRaw(const std::string& bytes);
    // A message framed as the server frames it: the text and one NUL.
    void send(const std::string& text) { sendRaw(text + std::string(1, '\0')); }
    // Closes every client's connection, as a server going down does.
    void disconnectClients();

    struct Received {
        std::string bytes; // as they arrived, NUL included
        int channel = 0;
        bool reliable = false;
    };
    // Every packet received, in order.
    std::vector<Received> received();
    // Their bytes only.
    std::vector<std::string> packets();
    // The messages received, each without its NUL, once at least `count` have
    // arrived (waiting in real time, 3 s at most).
    std::vector<std::string> messages(size_t count = 0);
    int connects();
    int disconnects();
    // Waits (real time) until `condition` holds; false on time-out.
    bool waitUntil(const std::function<bool()>& condition, uint32_t ms);

private:
    void run();
    void record(const struct _ENetEvent& event);
    static int intercept(ENetHost* host, struct _ENetEvent* event);

    ENetHost* host_ = nullptr;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> dropLeft_{0};

    std::mutex mutex_; // guards the host and everything below
    std::vector<Received> packets_;
    int connects_ = 0;
    int disconnects_ = 0;
    std::vector<ENetPeer*> peers_;
};
