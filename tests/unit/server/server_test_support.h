#pragma once
// Scripted peers against the server's rules on a fake clock, with a fresh
// database in a temporary folder and a scripted game. Password hashing runs
// in serverTick, which `send` calls right after the packet: one `send` is
// one request and its answer.
#include "../temp_folder.h"
#include "base/sha256.h"
#include "fake_game.h"
#include "server/server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

class ServerTest : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        fake_game::reset();
        restart(settings());
    }
    static ServerSettings settings() {
        ServerSettings s;
        s.testPassword = "clé de test";
        s.maxPlayers = 16;
        s.workerThreads = 0;
        s.lobbyTickMs = 0;
        return s;
    }
    // A new run of the server on the same database.
    void restart(const ServerSettings& s) { ASSERT_TRUE(serverStart(s, "data", now)); }
    void TearDown() override {
        serverStop();
        TempFolder::TearDown();
    }

    uint32_t connect(const std::string& address = "10.0.0.1", bool testPort = false) {
        return take(serverConnect(address, testPort, now, out_));
    }
    void send(uint32_t peer, const std::string& text) { sendBytes(peer, text + std::string(1, '\0')); }
    void sendBytes(uint32_t peer, const std::string& bytes) {
        arrive(peer, bytes, now);
        settle();
    }
    // A packet that reached the host at `arrivalMs` and is handled now; a job it starts waits for settle().
    void arrive(uint32_t peer, const std::string& bytes, uint64_t arrivalMs) {
        serverReceive(peer, bytes, arrivalMs, now, out_);
        take(0);
    }
    // A tick without time passing: finished jobs are answered.
    void settle() {
        serverTick(now, out_);
        take(0);
    }
    void disconnect(uint32_t peer) {
        serverDisconnect(peer, now, out_);
        take(0);
    }
    // The host's word on what waits for a peer.
    void backlog(uint32_t peer, size_t messages, size_t bytes) {
        serverBacklog(peer, messages, bytes, now, out_);
        take(0);
    }
    void tick(uint64_t ms) {
        now += ms;
        serverTick(now, out_);
        take(0);
    }

    // What a peer received since it was last read, and forgets it.
    std::vector<std::string> heard(uint32_t peer) {
        auto texts = inbox[peer];
        inbox[peer].clear();
        return texts;
    }
    void clearAll() { inbox.clear(); }

    static std::string hashOf(const std::string& text) { return sha256Hex(text); }
    static std::string emailOf(const std::string& pseudo) { return hashOf(pseudo + "@exemple.fr"); }
    static std::string passOf(const std::string& pseudo) { return hashOf("mdp " + pseudo); }

    // A player registered, logged in and standing in the lobby, nothing heard yet
    // (after his login, where the nearest stand).
    uint32_t player(const std::string& pseudo, const std::string& address = "10.0.0.1") {
        const uint32_t peer = connect(address);
        send(peer, "AUTH_REGISTER:" + emailOf(pseudo) + ":" + pseudo + ":" + passOf(pseudo) + ":F");
        send(peer, "AUTH_LOGIN:" + emailOf(pseudo) + ":" + passOf(pseudo) + ":");
        std::vector<std::string> got = heard(peer);
        got.resize(std::min<size_t>(got.size(), 4));
        EXPECT_EQ(got, (std::vector<std::string>{"REGISTER_OK", "AUTH_OK", "USERNAME_OK:" + pseudo, "GOTO_LOBBY"})) << pseudo;
        clearAll();
        return peer;
    }

    uint64_t now = 1000;
    std::map<uint32_t, std::vector<std::string>> inbox;
    std::vector<uint32_t> closed;
    std::vector<uint32_t> cleared; // whose waiting messages were dropped
    std::vector<std::string> logged;

private:
    Outbox out_;
    uint32_t take(uint32_t result) {
        for (const GameSend& s : out_.sends) inbox[s.player].push_back(s.text);
        closed.insert(closed.end(), out_.closes.begin(), out_.closes.end());
        cleared.insert(cleared.end(), out_.clears.begin(), out_.clears.end());
        logged.insert(logged.end(), out_.log.begin(), out_.log.end());
        out_ = Outbox{};
        return result;
    }
};

using Texts = std::vector<std::string>;
