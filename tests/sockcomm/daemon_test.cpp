// yat-spd as a process (killed in the middle of a command, restarted, stopped by a signal, its state
// file), the library over the socket device (discovery, monitoring that resumes after the server
// comes back), the state file itself, and --comm's device choice with the plugin libraries.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "events/sel_wire.h"
#include "frame/libyat.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "sim/sim_test_util.h"
#include "sockcomm/sockcomm_kit.h"
#include "tools/comm/comm_choice.h"
#include "tools/spd/state_journal.h"
#include "yat/result_codes.h"

namespace {

using namespace socktest;
using sockcomm::kTransportFailure;

// yat-spd started as a child process; killed at the end if still running.
class Daemon {
public:
    Daemon(const std::vector<std::string>& args, const char* sleepScale) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            setenv("YAT_SLEEP_SCALE", sleepScale, 1);
            std::vector<char*> argv{const_cast<char*>(YAT_SPD_PATH)};
            for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execv(YAT_SPD_PATH, argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = fdopen(out[0], "r");
    }
    ~Daemon() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdout_ != nullptr) fclose(stdout_);
    }
    // The first line the daemon prints once it listens ("" when it ended first).
    std::string readyLine() {
        char line[512] = {};
        return stdout_ != nullptr && fgets(line, sizeof line, stdout_) != nullptr ? line : "";
    }
    // Sends signal and returns the exit status (-signal when the signal killed it).
    int end(int signal) {
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    FILE* stdout_ = nullptr;
};

TEST(Daemon, KilledInTheMiddleOfACommandFailsItAndARestartServesWithTheSavedState) {
    TempDir dir;
    std::string socket = dir.file("spd.sock");
    std::string state = dir.file("state.json");
    // The event log read takes 3 s on the SP: long enough to kill the daemon while it runs.
    std::ifstream source(YAT_DEFAULT_SCENARIO_JSON);
    nlohmann::json scenario = nlohmann::json::parse(source);
    scenario["faults"] =
        nlohmann::json::parse(R"({"rules": [{"fault": "latency", "command": "3.4.2", "value": 3000}]})");
    yattest::writeFile(dir.file("slow.json"), scenario.dump());
    std::vector<std::string> args{"--scenario", dir.file("slow.json"), "--listen", "unix:" + socket, "--state", state};
    auto daemon = std::make_unique<Daemon>(args, "1");
    ASSERT_NE(daemon->readyLine().find("listening on unix:"), std::string::npos);

    sockcomm::Endpoint endpoint{sockcomm::Endpoint::Kind::Unix, socket, 0};
    Lines log;
    sockcomm::SocketBusComm client(endpoint, 2000ms, log.sink());
    ASSERT_EQ(simtest::send(client, selwire::kEraseCommand, wire::kSet, {}, 1).status(), 0);  // saved

    uint32_t slow = 99;
    auto start = std::chrono::steady_clock::now();
    std::thread reading([&] { slow = simtest::send(client, selwire::kReadCommand, wire::kGet, {}, 0).result; });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(daemon->end(SIGKILL), -SIGKILL);
    reading.join();
    EXPECT_EQ(slow, kTransportFailure);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);  // at the loss, not at the timeout

    daemon = std::make_unique<Daemon>(args, "0.001");  // the stale socket file is replaced
    ASSERT_NE(daemon->readyLine().find("listening"), std::string::npos);
    yatsim::SimBusComm fresh;
    ASSERT_EQ(simtest::send(fresh, selwire::kEraseCommand, wire::kSet, {}, 1).status(), 0);
    EXPECT_EQ(simtest::send(client, selwire::kReadCommand, wire::kGet, {}, 1).buffer,
              simtest::send(fresh, selwire::kReadCommand, wire::kGet, {}, 1).buffer);
    EXPECT_EQ(daemon->end(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::exists(socket));
    struct stat info {};
    ASSERT_EQ(stat(state.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);  // it holds account passwords
}

TEST(Daemon, RefusesANonLoopbackAddressAndASocketInUse) {
    TempDir dir;
    Daemon remote({"--listen", "tcp:0.0.0.0:0"}, "0.001");
    EXPECT_EQ(remote.readyLine(), "");
    EXPECT_EQ(remote.end(0), 2);
    Daemon first({"--listen", "unix:" + dir.file("s")}, "0.001");
    ASSERT_NE(first.readyLine(), "");
    struct stat info {};
    ASSERT_EQ(stat(dir.file("s").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0660u);
    Daemon second({"--listen", "unix:" + dir.file("s")}, "0.001");
    EXPECT_EQ(second.readyLine(), "");
    EXPECT_EQ(second.end(0), 1);
}

// The library over the socket device: discovery as in process; monitoring survives a server restart.
TEST(LibraryOverSocket, DiscoversAsInProcessAndMonitoringResumesAfterTheServerReturns) {
    yattest::LogCapture capture;
    Served served;
    auto client = served.client(500ms);
    yattest::RecordingSink remote;
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, client.get()), ERR_SUCCESS);
    cDeviceLib* host = lib;
    ASSERT_EQ(host->initSensors(&remote), ERR_SUCCESS);
    size_t discovered = remote.reports().size();
    ASSERT_EQ(host->registerForAsynchEvents(&remote), ERR_SUCCESS);
    ASSERT_TRUE(eventually([&] { return served.server->blockedWaits(0) == 1 && served.server->blockedWaits(1) == 1; }));

    served.stop();
    served.start();
    ASSERT_TRUE(eventually([&] { return served.server->blockedWaits(1) == 1; }));  // the library asked again
    size_t before = remote.reports().size();
    served.sim->injectEvent(1, yatsim::makeEvent(0x0A, {2}));
    EXPECT_TRUE(eventually([&] { return remote.reports().size() > before; }));
    host->deRegisterForAsynchEvents();
    closeLibrary();

    yatsim::SimBusComm local;
    yattest::RecordingSink here;
    ASSERT_EQ(openLibrary(&lib, &local), ERR_SUCCESS);
    ASSERT_EQ(static_cast<cDeviceLib*>(lib)->initSensors(&here), ERR_SUCCESS);
    closeLibrary();
    EXPECT_EQ(discovered, here.reports().size());
}

// --- the state file ---

TEST(StateJournal, KeepsTheLastWriteOfEachCommandAndRefusesOtherFiles) {
    TempDir dir;
    yatspd::StateJournal journal(dir.file("state.json"));
    journal.load();  // no file yet: empty
    auto request = [](const char* command, const yatsim::Bytes& data) {
        cSPCmd built;
        built.buildSPCommand(command, wire::kSet, nullptr, data.empty() ? nullptr : data.data(), 0,
                             static_cast<int32_t>(data.size()));
        return std::vector<uint8_t>(built.buffer(), built.buffer() + wire::kBufferSize);
    };
    std::string why;
    ASSERT_TRUE(journal.record(0, request("d.7", {1}).data(), why)) << why;
    ASSERT_TRUE(journal.record(0, request("3.4.3", {}).data(), why));
    ASSERT_TRUE(journal.record(1, request("d.7", {1}).data(), why));
    ASSERT_TRUE(journal.record(0, request("d.7", {0}).data(), why));
    EXPECT_FALSE(std::filesystem::exists(dir.file("state.json.tmp")));

    yatspd::StateJournal loaded(dir.file("state.json"));
    loaded.load();
    ASSERT_EQ(loaded.writes().size(), 3u);
    EXPECT_EQ(loaded.writes()[2].node, 0);  // the latest write of node 0's d.7, moved to the end
    EXPECT_EQ(loaded.writes()[2].request.back(), 0);
    EXPECT_EQ(loaded.writes()[2].request.size(), wire::kHeaderSize + 2 + 1);

    yatsim::SimBusComm sim;
    EXPECT_EQ(loaded.replay(sim), 0u);

    for (const char* bad : {"{}", "not json", R"({"format":1,"writes":[{"node":0,"request":"zz"}]})"}) {
        yattest::writeFile(dir.file("bad.json"), bad);
        yatspd::StateJournal refused(dir.file("bad.json"));
        EXPECT_THROW(refused.load(), std::runtime_error) << bad;
    }
}

// --- --comm ---

struct ChoiceCase {
    const char* text;
    yatcomm::CommChoice::Kind kind;
    const char* argument;
    const char* library;
};

class CommChoiceTexts : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(CommChoiceTexts, AreParsed) {
    auto choice = yatcomm::parseCommChoice(GetParam().text);
    EXPECT_EQ(choice.kind, GetParam().kind);
    EXPECT_EQ(choice.argument, GetParam().argument);
    EXPECT_EQ(choice.library, GetParam().library);
}

using Kind = yatcomm::CommChoice::Kind;
INSTANTIATE_TEST_SUITE_P(Comm, CommChoiceTexts,
                         ::testing::Values(ChoiceCase{"", Kind::Sim, "", ""}, ChoiceCase{"sim", Kind::Sim, "", ""},
                                           ChoiceCase{"sim:/x/s.json", Kind::Sim, "/x/s.json", ""},
                                           ChoiceCase{"unix:/run/spd.sock", Kind::Socket, "unix:/run/spd.sock", ""},
                                           ChoiceCase{"tcp:127.0.0.1:9", Kind::Socket, "tcp:127.0.0.1:9", ""},
                                           ChoiceCase{"plugin:/l/x.so", Kind::Plugin, "", "/l/x.so"},
                                           ChoiceCase{"plugin:/l/x.so:unix:/s", Kind::Plugin, "unix:/s", "/l/x.so"}));

TEST(Comm, BadTextsAreRefused) {
    for (const char* text : {"sim:", "serial:/dev/ttyS0", "tcp:192.168.1.1:5", "plugin:"}) {
        EXPECT_THROW(yatcomm::parseCommChoice(text), yatcomm::CommChoiceError) << text;
    }
}

TEST(Comm, OpensEachKindAndSaysWhichItIs) {
    Served served;
    auto embedded = yatcomm::CommDevice::open(yatcomm::parseCommChoice("sim"));
    EXPECT_NE(embedded->sim(), nullptr);
    EXPECT_NE(embedded->description().find("lost"), std::string::npos);

    auto socket = yatcomm::CommDevice::open(yatcomm::parseCommChoice("unix:" + served.endpoint.path));
    EXPECT_EQ(socket->sim(), nullptr);
    EXPECT_EQ(socket->comm().getNodeCount(), 2u);
    EXPECT_EQ(socket->label(), "unix:" + served.endpoint.path);

    auto plugged = yatcomm::CommDevice::open(
        yatcomm::parseCommChoice(std::string("plugin:") + YAT_SOCKCOMM_PLUGIN + ":unix:" + served.endpoint.path));
    EXPECT_EQ(simtest::send(plugged->comm(), "4.3.6", wire::kGet, {}, 1).result, kCommSuccess);

    auto simPlugin = yatcomm::CommDevice::open(yatcomm::parseCommChoice(std::string("plugin:") + YAT_SIMCOMM_PLUGIN));
    EXPECT_EQ(simPlugin->comm().getNodeCount(), 2u);
    EXPECT_NE(simPlugin->description().find("lost"), std::string::npos);
}

TEST(Comm, PluginsThatCannotServeAreRefusedWithTheReason) {
    struct Case {
        std::string text;
        const char* reason;
    };
    for (const Case& refused :
         {Case{std::string("plugin:") + YAT_WRONG_VERSION_PLUGIN, "contract version 2"},
          Case{std::string("plugin:") + YAT_SOCKCOMM_PLUGIN + ":tcp:10.1.1.1:5", "only 127.0.0.1"},
          Case{"plugin:/nonexistent/libnothing.so", "cannot load"},
          Case{std::string("plugin:") + YAT_SPD_PATH, "cannot load"}}) {
        try {
            yatcomm::CommDevice::open(yatcomm::parseCommChoice(refused.text));
            ADD_FAILURE() << refused.text;
        } catch (const yatcomm::CommChoiceError& error) {
            EXPECT_NE(std::string(error.what()).find(refused.reason), std::string::npos) << error.what();
        }
    }
}

}  // namespace
