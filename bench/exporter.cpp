// The exporter's scrape over loopback: starts `yatctl exporter` on the default two-node scenario (a
// free port, sleep scale 1, logging off) and times one GET /metrics per iteration, each on a new
// connection as a scraper that does not keep connections alive would. The goal is a median under
// 1 ms; a scrape reads the exporter's snapshot and sends no SP command. The second benchmark does the
// same while ten slow clients hold connections open (five never finish their request, five send
// nothing): every scrape must still be answered within 1 s.
//
// Counters: bytes = size of one answer; max_ms = the slowest scrape of the run.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// yatctl exporter as a child process; the port comes from its "serving http://...:PORT/metrics" line.
class Exporter {
public:
    Exporter() {
        int err[2];
        if (pipe(err) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        setenv("YAT_LOG", "off", 1);
        setenv("YAT_SLEEP_SCALE", "1", 1);
        const char* argv[] = {YATCTL_PATH, "exporter", "--listen", "127.0.0.1:0", nullptr};
        int spawned = posix_spawn(&pid_, YATCTL_PATH, &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(err[1]);
        if (spawned != 0) throw std::runtime_error("cannot start " YATCTL_PATH);
        stderr_ = fdopen(err[0], "r");
        char line[512];
        while (stderr_ != nullptr && fgets(line, sizeof line, stderr_) != nullptr) {
            // "... serving http://127.0.0.1:PORT/metrics"
            const char* serving = std::strstr(line, "serving http://");
            const char* colon = serving != nullptr ? std::strchr(serving + 15, ':') : nullptr;
            if (colon != nullptr && std::strstr(colon, "/metrics") != nullptr) {
                port_ = static_cast<uint16_t>(std::strtoul(colon + 1, nullptr, 10));
                return;
            }
        }
        throw std::runtime_error("the exporter did not start serving");
    }
    ~Exporter() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        if (stderr_ != nullptr) fclose(stderr_);
    }
    uint16_t port() const { return port_; }

private:
    pid_t pid_ = -1;
    FILE* stderr_ = nullptr;
    uint16_t port_ = 0;
};

// A socket connected to the exporter.
int connectTo(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        throw std::runtime_error("connect");
    }
    return fd;
}

// One HTTP/1.0 GET /metrics; returns the size of the answer (headers and body).
size_t scrape(uint16_t port) {
    int fd = connectTo(port);
    static const char request[] = "GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (send(fd, request, sizeof request - 1, 0) != static_cast<ssize_t>(sizeof request - 1)) {
        close(fd);
        throw std::runtime_error("send");
    }
    size_t total = 0;
    char buffer[16384];
    for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) total += static_cast<size_t>(got);
    close(fd);
    return total;
}

void BM_ExporterScrape(benchmark::State& state) {
    Exporter exporter;
    size_t bytes = scrape(exporter.port());
    for (auto _ : state) {
        bytes = scrape(exporter.port());
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExporterScrape)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();

void BM_ExporterScrapeWithSlowClients(benchmark::State& state) {
    Exporter exporter;
    std::vector<int> slow;
    for (int i = 0; i < 10; ++i) {
        int fd = connectTo(exporter.port());
        if (i % 2 == 0 && send(fd, "GET /metr", 9, MSG_NOSIGNAL) != 9) throw std::runtime_error("send");
        slow.push_back(fd);
    }
    double slowest = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(scrape(exporter.port()));
        slowest = std::max(slowest,
                           std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["max_ms"] = slowest;
    for (int fd : slow) close(fd);
}
BENCHMARK(BM_ExporterScrapeWithSlowClients)->Unit(benchmark::kMillisecond)->Iterations(100)->UseRealTime();

}  // namespace
