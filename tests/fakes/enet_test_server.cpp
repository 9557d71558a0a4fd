#include "enet_test_server.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>

namespace {
thread_local EnetTestServer* t_servicing = nullptr;
}

EnetTestServer::EnetTestServer(uint16_t port, uint32_t bindWaitMs) {
    enet_initialize();
    ENetAddress address{};
    enet_address_set_host_ip(&address, "127.0.0.1");
    address.port = port;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(bindWaitMs);
    while (!(host_ = enet_host_create(&address, 8, 2, 0, 0))) {
        if (port == 0 || std::chrono::steady_clock::now() >= deadline) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    port_ = host_->address.port;
    host_->intercept = &EnetTestServer::intercept;
    thread_ = std::thread([this] { run(); });
}

EnetTestServer::~EnetTestServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (host_) enet_host_destroy(host_);
    enet_deinitialize();
}

// ENet calls this for each datagram received, before handling it; 1 drops it.
int EnetTestServer::intercept(ENetHost*, ENetEvent*) {
    EnetTestServer* self = t_servicing;
    if (!self || self->dropLeft_ <= 0) return 0;
    --self->dropLeft_;
    return 1;
}

// ENet is not thread-safe: the host is only touched under the lock.
void EnetTestServer::run() {
    t_servicing = this;
    while (!stop_) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ENetEvent event;
            for (int r = enet_host_service(host_, &event, 0); r > 0; r = enet_host_check_events(host_, &event))
                record(event);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void EnetTestServer::record(const ENetEvent& event) {
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
        peers_.push_back(event.peer);
        ++connects_;
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        peers_.erase(std::remove(peers_.begin(), peers_.end(), event.peer), peers_.end());
        ++disconnects_;
        break;
    case ENET_EVENT_TYPE_RECEIVE: {
        Received packet;
        if (event.packet->dataLength > 0)
            packet.bytes.assign(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength);
        packet.channel = event.channelID;
        packet.reliable = (event.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0;
        packets_.push_back(std::move(packet));
        enet_packet_destroy(event.packet);
        break;
    }
    default:
        break;
    }
}

void EnetTestServer::dropIncoming(int datagrams) { dropLeft_ = datagrams; }

void EnetTestServer::sendRaw(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (ENetPeer* peer : peers_) {
        ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
        if (enet_peer_send(peer, 0, packet) < 0) enet_packet_destroy(packet);
    }
    enet_host_flush(host_);
}

void EnetTestServer::disconnectClients() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (ENetPeer* peer : peers_) enet_peer_disconnect(peer, 0);
    enet_host_flush(host_);
}

std::vector<EnetTestServer::Received> EnetTestServer::received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return packets_;
}

std::vector<std::string> EnetTestServer::packets() {
    std::vector<std::string> bytes;
    for (const Received& packet : received()) bytes.push_back(packet.bytes);
    return bytes;
}

std::vector<std::string> EnetTestServer::messages(size_t count) {
    waitUntil([&] { return received().size() >= count; }, 3000);
    std::vector<std::string> texts;
    for (const Received& packet : received()) texts.push_back(packet.bytes.substr(0, packet.bytes.find('\0')));
    return texts;
}

int EnetTestServer::connects() { std::lock_guard<std::mutex> lock(mutex_); return connects_; }

int EnetTestServer::disconnects() { std::lock_guard<std::mutex> lock(mutex_); return disconnects_; }

bool EnetTestServer::waitUntil(const std::function<bool()>& condition, uint32_t ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
