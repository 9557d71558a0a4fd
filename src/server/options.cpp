#include "server/options.h"

#include <cstdlib>

namespace {

bool parseNumber(const std::string& text, unsigned long min, unsigned long max, unsigned long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return value >= min && value <= max;
}

} // namespace

bool parseOptions(int argc, const char* const argv[], Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name != "--port" && name != "--test-port" && name != "--test-password" && name != "--data" &&
            name != "--database" && name != "--max-players" && name != "--register-limit" && name != "--pending-limit") {
            error = "Option inconnue : " + name + " (voir --help).";
            return false;
        }
        if (i + 1 >= argc) {
            error = "Valeur manquante après " + name + ".";
            return false;
        }
        const std::string value = argv[++i];
        unsigned long number = 0;
        if (name == "--test-password") {
            options.testPassword = value;
        } else if (name == "--data") {
            if (value.empty()) {
                error = "Le dossier de --data ne peut pas être vide.";
                return false;
            }
            options.dataDir = value;
        } else if (name == "--database") {
            if (value.rfind("postgresql://", 0) != 0 && value.rfind("postgres://", 0) != 0) {
                error = "--database attend une adresse PostgreSQL de la forme postgresql://… (voir --help).";
                return false;
            }
            options.database = value;
        } else if (name == "--max-players") {
            if (!parseNumber(value, 1, 4000, number)) {
                error = "--max-players attend un nombre de 1 à 4000.";
                return false;
            }
            options.maxPlayers = number;
        } else if (name == "--register-limit" || name == "--pending-limit") {
            if (!parseNumber(value, 1, 100000, number)) {
                error = name + " attend un nombre de 1 à 100000.";
                return false;
            }
            (name == "--register-limit" ? options.registerLimit : options.pendingLimit) = number;
        } else {
            if (!parseNumber(value, 0, 65535, number)) {
                error = name + " attend un numéro de port de 0 à 65535.";
                return false;
            }
            (name == "--port" ? options.port : options.testPort) = static_cast<uint16_t>(number);
        }
    }
    return true;
}

std::string optionsHelp() {
    return "AshenServer : le serveur de jeu d'Ashen Refuge.\n"
           "\n"
           "Usage : AshenServer [options]\n"
           "\n"
           "  --port N              port principal (1234 par défaut ; 0 : un port libre)\n"
           "  --test-port N         port du serveur de test (1235 par défaut)\n"
           "  --test-password MOT   mot de passe d'accès du serveur de test ; sans lui,\n"
           "                        le port de test reste fermé\n"
           "  --data DOSSIER        dossier des comptes et des statistiques\n"
           "                        (server-data par défaut, créé avec les droits 0700)\n"
           "  --database URI        les comptes et les statistiques dans PostgreSQL plutôt\n"
           "                        que dans SQLite, par exemple\n"
           "                        postgresql://ashen@localhost/ashen ; plusieurs serveurs\n"
           "                        peuvent partager la même base (voir le README)\n"
           "  --max-players N       nombre maximal de joueurs identifiés (256 par défaut) ;\n"
           "                        les connexions pas encore identifiées n'en prennent pas\n"
           "  --register-limit N    comptes créés au plus par adresse IP en une heure\n"
           "                        (5 par défaut)\n"
           "  --pending-limit N     connexions pas encore identifiées au plus par adresse IP\n"
           "                        (16 par défaut)\n"
           "  --help                affiche cette aide\n"
           "\n"
           "Le serveur écrit une ligne par connexion, identification, déconnexion et refus,\n"
           "et un bilan par minute, sur la sortie standard ; il s'arrête proprement sur\n"
           "Ctrl+C (SIGINT) ou SIGTERM.\n";
}
