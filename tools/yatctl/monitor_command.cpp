// yatctl monitor: opens the library, runs discovery, registers as a host for asynchronous monitoring
// and prints every reportSensor call the moment it arrives — one line each (time, node, class,
// sensor, what it means, values with units), or with --json one JSON object per line. --pfa also
// takes the memory PFA events the library keeps (monitorPFAEvents). Runs until Ctrl-C / SIGTERM or
// --for SECONDS, then deregisters and closes the library; exit 0. --demo plays the scenario's demo
// timeline (the default scenario has one: a fan stopping, a supply failing, a DASD alert, a memory
// PFA record, a processor running hot, and their recovery).

#include <pthread.h>
#include <signal.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>
#include <set>
#include <string>
#include <thread>

#include "yat/codes.h"
#include "yat/device_lib.h"
#include "yat/pfa_records.h"
#include "yat/sensor_sink.h"
#include "yatctl/node_option.h"
#include "yatctl/render.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr int32_t kDiscoveryCode = yat::kReportDiscovered;
constexpr size_t kMaxRegistryTexts = 4096;

std::string utcNow() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(millis));
    return text;
}

// What monitor shows: one node or all, some classes or all, and with changesOnly a sensor's report
// only when its status or its value's bucket moved (events and discoveries always).
struct MonitorFilter {
    std::optional<int32_t> node;    // as --node counts
    std::set<std::string> classes;  // class names; empty: all
    bool changesOnly = false;
};

// The bucket a reading falls in, for --changes-only: whole degrees, tenths of a volt, 100 RPM.
int64_t readingBucket(int32_t sensorClass, const Document& reading) {
    if (!reading.is_number()) return 0;
    double value = reading.get<double>();
    double step = sensorClass == yat::kClassVoltage ? 0.1 : sensorClass == yat::kClassFan ? 100.0 : 1.0;
    return static_cast<int64_t>(std::floor(value / step));
}

// Prints what the library reports, from whichever thread reports it.
class PrintingSink final : public cSensorSink {
public:
    PrintingSink(FILE* out, bool json, MonitorFilter filter) : out_(out), json_(json), filter_(std::move(filter)) {}

    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                         int32_t code, const char* text) override {
        const int32_t shown = shownNode(node);
        const char* className = classInfo(sensorClass).name;
        if ((filter_.node && shown != *filter_.node) ||
            (!filter_.classes.empty() && filter_.classes.count(className) == 0)) {
            return 0;
        }
        Document line{
            {"time", utcNow()}, {"node", shown}, {"sensorKeyNode", node}, {"class", className}, {"sensor", sensor}};
        if (std::string name = nameOf(node, sensorClass, sensor); !name.empty()) line["name"] = name;
        line["code"] = code;
        line["event"] = code == kDiscoveryCode ? std::string("discovered") : statusWord(sensorClass, code);
        bool values = code != kDiscoveryCode && (sensorClass == 1 || sensorClass == 2 || sensorClass == 3);
        if (values) {
            line["reading"] = slotValue(sensorClass, first);
            // The second slot holds what getSensorStatus gives as upper, the third as lower.
            Document upper = slotValue(sensorClass, second);
            Document lower = slotValue(sensorClass, third);
            if (upper.is_number() && lower.is_number()) {
                SensorLimits limits = sensorLimits(sensorClass, lower.get<double>(), upper.get<double>());
                auto put = [&](const char* key, const std::optional<double>& value, const Document& slot) {
                    if (value) line[key] = slot;
                };
                put("lowerCritical", limits.lowerCritical, lower);
                put("upperWarning", limits.upperWarning, lower);
                put("upperCritical", limits.upperCritical, upper);
            }
            line["unit"] = classInfo(sensorClass).unit;
        }
        if (text != nullptr) line["text"] = std::string(text, strnlen(text, 256));
        bool sensorReport =
            code != kDiscoveryCode && sensorClass >= yat::kClassTemperature && sensorClass <= yat::kClassPowerSupply;
        if (filter_.changesOnly && sensorReport &&
            !changed(node, sensorClass, sensor, line["event"].get<std::string>(), line["reading"]))
            return 0;
        print(line, values);
        return 0;
    }

    int32_t addRegistryText(const char*, const char* text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (text != nullptr && texts_.size() < kMaxRegistryTexts) texts_.insert(std::string(text, strnlen(text, 1024)));
        return 0;
    }

    int32_t findRegistryText(const char* text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        return text != nullptr && texts_.count(std::string(text, strnlen(text, 1024))) != 0 ? 1 : 0;
    }

    void printPfa(const PFAEventInfo& event) {
        if ((filter_.node && event.node != *filter_.node) ||
            (!filter_.classes.empty() && filter_.classes.count("memory") == 0)) {
            return;
        }
        Document line{{"time", utcNow()},
                      {"node", event.node},
                      {"class", "memory"},
                      {"event", "PFA event"},
                      {"memoryCard", event.memoryCard},
                      {"dimm", event.dimm},
                      {"condition", event.condition}};
        print(line, false);
    }

    void note(const std::string& text) {
        Document line{{"time", utcNow()}, {"note", text}};
        print(line, false);
    }

    // Names the sensors discovery announced, read through the query operations (from the calling
    // thread, before monitoring starts; later reports of those sensors carry the name).
    void nameSensors(cDeviceLib& library) {
        std::map<SensorKey, std::string> names;
        for (const SensorKey& key : discovered()) {
            const auto& [node, sensorClass, sensor] = key;
            int32_t location = 0, instance = 0;
            if (library.getSensorLocation(sensorClass, node, sensor, &location) == 0 &&
                library.getSensorInstance(sensorClass, node, sensor, &instance) == 0) {
                names[key] = sensorName(sensorClass, location, instance);
            }
        }
        std::lock_guard<std::mutex> guard(mutex_);
        names_ = std::move(names);
    }

private:
    using SensorKey = std::tuple<int32_t, int32_t, int32_t>;  // sensor-key node, class, sensor number

    std::set<SensorKey> discovered() {
        std::lock_guard<std::mutex> guard(mutex_);
        return discovered_;
    }

    std::string nameOf(int32_t node, int32_t sensorClass, int32_t sensor) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (sensorClass < yat::kClassTemperature || sensorClass > yat::kClassPowerSupply) return "";
        discovered_.emplace(node, sensorClass, sensor);
        auto found = names_.find({node, sensorClass, sensor});
        return found != names_.end() ? found->second : "";
    }

    // True when the sensor's status or reading bucket differs from its last report (or it is new).
    // The status is compared as its word: an SP event and a polling round may give one state two codes.
    bool changed(int32_t node, int32_t sensorClass, int32_t sensor, const std::string& status,
                 const Document& reading) {
        std::pair<std::string, int64_t> now{status, readingBucket(sensorClass, reading)};
        std::lock_guard<std::mutex> guard(mutex_);
        auto [place, added] = last_.try_emplace(std::make_tuple(node, sensorClass, sensor), now);
        if (added) return true;
        if (place->second == now) return false;
        place->second = now;
        return true;
    }

    static Document slotValue(int32_t sensorClass, const void* slot) {
        if (slot == nullptr) return nullptr;
        if (sensorClass == 2) {
            float volts;
            std::memcpy(&volts, slot, sizeof volts);
            return std::round(static_cast<double>(volts) * 100.0) / 100.0;
        }
        int32_t value;
        std::memcpy(&value, slot, sizeof value);
        return value;
    }

    void print(const Document& line, bool values) {
        std::string text;
        if (json_) {
            text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        } else if (line.contains("note")) {
            text = line["time"].get<std::string>() + "  " + line["note"].get<std::string>();
        } else {
            char head[160];
            std::snprintf(head, sizeof head, "%s  node %d  %-11s ", line["time"].get<std::string>().c_str(),
                          line["node"].get<int32_t>(), line["class"].get<std::string>().c_str());
            text = head;
            if (line.contains("name")) {
                text += line["name"].get<std::string>() + "  ";
            } else if (line.contains("sensor")) {
                text += "sensor " + std::to_string(line["sensor"].get<int32_t>()) + "  ";
            }
            text += line["event"].get<std::string>();
            if (line.contains("memoryCard")) {
                text += "  memory card " + std::to_string(line["memoryCard"].get<int32_t>()) + " DIMM " +
                        std::to_string(line["dimm"].get<int32_t>());
            }
            if (values) {
                text += "  " + valueText(line["reading"], line["unit"]);
                std::string limits;
                for (const char* key : {"lowerCritical", "upperWarning", "upperCritical"}) {
                    if (!line.contains(key)) continue;
                    limits += std::string(limits.empty() ? "" : ", ") + limitWord(key) + " " +
                              valueText(line[key], line["unit"]);
                }
                if (!limits.empty()) text += " (" + limits + ")";
            }
            if (line.contains("text")) text += "  FRU " + line["text"].get<std::string>();
            // Texts may come from the SP: show control characters as '?'.
            for (char& c : text) {
                if (static_cast<unsigned char>(c) < 0x20) c = '?';
            }
        }
        std::lock_guard<std::mutex> guard(mutex_);
        std::fprintf(out_, "%s\n", text.c_str());
        std::fflush(out_);
    }

    static const char* limitWord(const std::string& key) {
        if (key == "lowerCritical") return "lower critical";
        if (key == "upperWarning") return "upper warning";
        return "upper critical";
    }

    static std::string valueText(const Document& value, const Document& unit) {
        char text[48];
        if (value.is_number_float()) {
            std::snprintf(text, sizeof text, "%.2f", value.get<double>());
        } else if (value.is_number()) {
            std::snprintf(text, sizeof text, "%d", value.get<int32_t>());
        } else {
            return "-";
        }
        std::string unitText = unit.is_string() ? unit.get<std::string>() : "";
        return unitText.empty() ? std::string(text) : std::string(text) + " " + unitText;
    }

    FILE* out_;
    bool json_;
    MonitorFilter filter_;
    std::mutex mutex_;
    std::map<SensorKey, std::pair<std::string, int64_t>> last_;  // status word, bucket
    std::set<SensorKey> discovered_;                             // every sensor reported (bounded by the SP's)
    std::map<SensorKey, std::string> names_;
    std::set<std::string> texts_;
};

class MonitorCommand final : public Subcommand {
public:
    std::string name() const override { return "monitor"; }
    std::string description() const override {
        return "Registers for asynchronous events and prints every report until Ctrl-C or --for SECONDS";
    }
    bool streams() const override { return true; }
    void addOptions(CLI::App& app) override {
        app.add_flag("--pfa", pfa_, "Also take the memory PFA events the library keeps");
        app.add_option("--for", seconds_, "Stop after SECONDS, more than 0 (default: until Ctrl-C or SIGTERM)")
            ->check(CLI::Range(0.001, 31.0 * 24 * 3600));
        app.add_flag("--demo", demo_, "Play the scenario's demo timeline of events");
        node_.add(app);
        app.add_option("--class", classes_, "Only these classes (temperature, voltage, fan, power, node, memory)")
            ->check(CLI::IsMember({"temperature", "voltage", "fan", "power", "node", "memory"}));
        app.add_flag("--changes-only", filter_.changesOnly,
                     "Print a sensor's report only when its status or its value's bucket changed (1 °C, 0.1 V, "
                     "100 RPM); events always");
    }
    void validate(Session& session) override {
        node_.validate(session);
        if (node_.value()) filter_.node = static_cast<int32_t>(*node_.value());
        filter_.classes.insert(classes_.begin(), classes_.end());
        if (demo_) session.requireSim("--demo");
        // Ctrl-C and SIGTERM are taken by sigtimedwait below; the library's threads, started later,
        // inherit the blocked set and never see them.
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    }

    void run(Session& session, Document&) override {
        // The library's own progress lines are off unless --verbose (YAT_STDOUT), so the report
        // lines can go straight to standard output.
        PrintingSink sink(stdout, session.options().json, filter_);
        cDeviceLib& library = session.library();
        int32_t result = session.check(library.initSensors(&sink));
        if (result != 0) sink.note("discovery failed with " + std::to_string(result));
        sink.nameSensors(library);
        if (demo_) session.sim()->playTimeline(session.sim()->scenario().demoTimeline);
        result = library.registerForAsynchEvents(&sink);
        if (result != 0) {
            session.check(result);
            sink.note(std::string("registration failed with ") + std::to_string(result) + " " + resultName(result));
            return;
        }
        sink.note("monitoring " + std::to_string(library.getNodeCount()) + " nodes over the " +
                  session.commDescription());

        std::atomic<bool> stop{false};
        std::thread pfaReader;
        if (pfa_) {
            uint32_t level = 0;
            library.getMonitorPFAEventSupport(&level);
            sink.note(level == 2 ? "memory PFA events supported" : "memory PFA events not supported");
            if (level == 2) {
                pfaReader = std::thread([&] {
                    while (!stop.load()) {
                        PFAEventInfo event{};
                        if (library.monitorPFAEvents(&event) == 0) sink.printPfa(event);
                    }
                });
            }
        }

        waitForEnd();
        sink.note("stopping");
        stop = true;
        if (pfaReader.joinable()) {
            // A read of an empty PFA stack waits 30 s (scaled) in the library before it answers.
            sink.note("waiting for the PFA event read to end");
            pfaReader.join();
        }
        library.deRegisterForAsynchEvents();
        sink.note("deregistered");
    }

    // Whether the SP can send memory PFA events, and the event kinds monitoring asks each node for.
    void addToReport(Session& session, Document& doc) override {
        uint32_t level = 0;
        session.library().getMonitorPFAEventSupport(&level);
        doc["monitoring"] = Document{{"nodes", session.library().getNodeCount()},
                                     {"pfaEvents", level == 2 ? "supported" : "not supported"},
                                     {"eventKinds", "power supply, fan, login, DASD, PFA, power down, comprehensive"}};
    }

private:
    // Returns on SIGINT, SIGTERM or when --for has passed.
    void waitForEnd() const {
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds_);
        for (;;) {
            timespec wait{};
            if (seconds_ > 0) {
                auto left = end - std::chrono::steady_clock::now();
                if (left <= std::chrono::steady_clock::duration::zero()) return;
                auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
                wait.tv_sec = static_cast<time_t>(ns / 1000000000);
                wait.tv_nsec = static_cast<long>(ns % 1000000000);
            } else {
                wait.tv_sec = 3600;
            }
            int signal = sigtimedwait(&signals, nullptr, &wait);
            if (signal == SIGINT || signal == SIGTERM) return;
        }
    }

    NodeOption node_;
    std::vector<std::string> classes_;
    MonitorFilter filter_;
    bool pfa_ = false;
    bool demo_ = false;
    double seconds_ = 0;
};

}  // namespace

std::unique_ptr<Subcommand> makeMonitorCommand() { return std::make_unique<MonitorCommand>(); }

}  // namespace yatctl
