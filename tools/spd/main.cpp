// yat-spd: the SP simulator as a daemon. Serves the simulated SPs of a scenario over a Unix socket or
// a loopback TCP port (docs/comm-protocol.md) to any number of clients, and with --state keeps what
// they change across restarts. SIGTERM and SIGINT end it cleanly; SIGUSR1 plays the scenario's demo
// timeline of events. Exit status: 0 after a signal, 1 when it cannot start, 2 on a usage error.

#include <signal.h>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iostream>
#include <mutex>

#include "sim/scenario.h"
#include "sim/sim_bus_comm.h"
#include "sockcomm/socket_io.h"
#include "tools/spd/sp_server.h"
#include "tools/spd/state_journal.h"

namespace {

std::mutex logMutex;

void logLine(const std::string& line) {
    std::lock_guard<std::mutex> guard(logMutex);
    std::cerr << "yat-spd: " << line << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"yat-spd: the SP simulator as a daemon that host programs reach over a socket"};
    std::string scenarioFile;
    std::string listen;
    std::string stateFile;
    app.add_option("--scenario", scenarioFile, "Scenario file (JSON); default: the built-in two-node server");
    app.add_option("--listen", listen, "unix:PATH or tcp:127.0.0.1:PORT (loopback only)")->required();
    app.add_option("--state", stateFile, "File that keeps what clients change, loaded at start");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    std::string why;
    std::optional<sockcomm::Endpoint> endpoint = sockcomm::parseEndpoint(listen, why);
    if (!endpoint) {
        logLine("--listen " + listen + ": " + why);
        return 2;
    }

    // Signals are taken by sigwait below; every thread started later inherits the blocked set.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::unique_ptr<yatsim::SimBusComm> sim;
    try {
        sim = std::make_unique<yatsim::SimBusComm>(scenarioFile.empty() ? yatsim::defaultScenario()
                                                                        : yatsim::loadScenarioFile(scenarioFile));
    } catch (const std::exception& error) {
        logLine(std::string("scenario ") + error.what());
        return 2;
    }
    std::unique_ptr<yatspd::StateJournal> journal;
    if (!stateFile.empty()) {
        journal = std::make_unique<yatspd::StateJournal>(stateFile);
        try {
            journal->load();
        } catch (const std::exception& error) {
            logLine(error.what());
            return 1;
        }
        size_t refused = journal->replay(*sim);
        logLine("state " + stateFile + ": " + std::to_string(journal->writes().size()) + " changes restored" +
                (refused != 0 ? ", " + std::to_string(refused) + " refused by the scenario's SPs" : ""));
    }

    yatspd::SpServer server(*sim, *endpoint, logLine, [&](int32_t node, const uint8_t* request) {
        if (!journal) return;
        std::string failure;
        if (!journal->record(node, request, failure)) logLine("cannot save the state: " + failure);
    });
    if (!server.start(why)) {
        logLine("cannot listen on " + listen + ": " + why);
        return 1;
    }
    std::cout << "yat-spd: listening on " << server.endpoint().text() << " (" << sim->getNodeCount() << " nodes, "
              << sim->scenario().source << (journal ? ", state " + stateFile : ", changes are lost at exit") << ")"
              << std::endl;

    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) continue;
        if (signal == SIGUSR1) {
            sim->playTimeline(sim->scenario().demoTimeline);
            logLine("playing the demo timeline (" + std::to_string(sim->scenario().demoTimeline.size()) + " events)");
            continue;
        }
        break;
    }
    logLine("stopping");
    server.stop();
    return 0;
}
