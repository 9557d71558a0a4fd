#pragma once
// The test program's private PostgreSQL cluster (postgres_cluster.sh): started
// at its first use, once per program, and removed when the program ends,
// however it ends, since the script holds it only while our pipe is open.
#include <libpq-fe.h>

#include <string>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

class PostgresCluster {
public:
    static PostgresCluster& get() {
        static PostgresCluster cluster;
        return cluster;
    }
    bool ready() const { return !folder_.empty(); }
    // PostgreSQL is not installed: the tests that need it are skipped.
    bool absent() const { return problem_.rfind("absent", 0) == 0; }
    const std::string& problem() const { return problem_; }

    // A new empty database, as a libpq URI on the cluster's socket.
    std::string newDatabase() {
        const std::string name = "t" + std::to_string(++databases_);
        PGconn* admin = PQconnectdb(uri("postgres").c_str());
        PQclear(PQexec(admin, ("CREATE DATABASE " + name).c_str()));
        PQfinish(admin);
        return uri(name);
    }
    std::string uri(const std::string& database) const {
        return "postgresql:///" + database + "?host=" + folder_ + "&user=ashen";
    }

private:
    PostgresCluster() {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            problem_ = "failed: no pipe";
            return;
        }
        if (fork() == 0) {
            setsid(); // a Ctrl+C or a time-out's signal to our group leaves it to clean up
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            execl("/bin/sh", "sh", ASHEN_PG_CLUSTER_SCRIPT, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        // in[1] stays open, unread and never inherited, until this program ends.
        std::string line;
        char c = 0;
        pollfd p{out[0], POLLIN, 0};
        while (poll(&p, 1, 120000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
        close(out[0]);
        if (line.rfind("ready ", 0) == 0) folder_ = line.substr(6);
        else problem_ = line.empty() ? "failed: the cluster script said nothing" : line;
    }

    std::string folder_;
    std::string problem_;
    int databases_ = 0;
};
