// AshenServer: the game server of Ashen Refuge.
#include "server/host.h"
#include "server/options.h"
#include "server/results.h"
#include "server/server.h"

#include <sys/stat.h>

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int) { g_stop = 1; }

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(optionsHelp().c_str(), stdout);
        return 0;
    }
    umask(077); // the database and its journal: the owner's only
    ServerSettings settings;
    settings.testPassword = options.testPassword;
    settings.maxPlayers = options.maxPlayers;
    settings.registerLimit = options.registerLimit;
    settings.pendingPerAddress = options.pendingLimit;
    settings.database = options.database;
    if (!serverStart(settings, options.dataDir, hostClockMs(), &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const bool openTest = !options.testPassword.empty();
    if (!hostOpen(options.port, options.testPort, openTest, serverConnectionLimit(settings))) {
        std::fprintf(stderr, "Impossible d'ouvrir le port %u%s.\n", options.port,
                     openTest ? (" ou le port de test " + std::to_string(options.testPort)).c_str() : "");
        serverStop();
        return 1;
    }
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    hostLog("écoute sur le port " + std::to_string(hostPort(false)));
    if (openTest) hostLog("écoute sur le port de test " + std::to_string(hostPort(true)));
    hostRun(g_stop);
    hostClose();
    serverStop();
    if (const size_t lost = resultsUnsaved())
        hostLog("statistiques de " + std::to_string(lost) + " parties perdues : la base refuse encore de les écrire");
    hostLog("arrêt du serveur");
    return 0;
}
