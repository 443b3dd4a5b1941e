// yatctl sensors: runs the library's sensor discovery (initSensors) as a host does, lets one polling
// round give the supplies their state, and shows every sensor read back through the query
// operations: its name, reading with unit, status and the limits its class has (blank where none).
// --csv and --no-header make the table easy to take apart; --check makes the exit status say how the
// sensors are: 0 all nominal, 1 a warning, 2 a critical one (a supply failed, a fan stopped).

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "yat/codes.h"
#include "yatctl/host_sink.h"
#include "yatctl/node_option.h"
#include "yatctl/sensor_survey.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr const char* kColumns[] = {"Node",           "Name",          "Reading",       "Status",
                                    "Lower critical", "Lower warning", "Upper warning", "Upper critical"};
constexpr size_t kColumnCount = std::size(kColumns);

std::string number(int32_t sensorClass, double value) {
    char text[32];
    std::snprintf(text, sizeof text, sensorClass == yat::kClassVoltage ? "%.2f" : "%.0f", value);
    return text;
}

std::string withUnit(int32_t sensorClass, const std::optional<double>& value) {
    if (!value) return "";
    std::string unit = classInfo(sensorClass).unit;
    return number(sensorClass, *value) + (unit.empty() ? "" : " " + unit);
}

Document jsonNumber(int32_t sensorClass, const std::optional<double>& value) {
    if (!value) return nullptr;
    if (sensorClass == yat::kClassVoltage) return std::round(*value * 100.0) / 100.0;
    return static_cast<int32_t>(*value);
}

std::string statusText(const SensorRow& row) {
    return row.result != 0 ? "not readable" : statusWord(row.sensorClass, row.status);
}

Document optionalNumber(const std::optional<int32_t>& value) { return value ? Document(*value) : Document(nullptr); }

Document jsonRow(const SensorRow& row) {
    const ClassInfo& info = classInfo(row.sensorClass);
    return Document{{"node", row.node},
                    {"sensorKeyNode", sensorKeyNode(row.node)},
                    {"name", row.name},
                    {"class", info.name},
                    {"classCode", row.sensorClass},
                    {"sensor", row.sensor},
                    {"type", optionalNumber(row.type)},
                    {"location", optionalNumber(row.location)},
                    {"instance", optionalNumber(row.instance)},
                    {"reading", jsonNumber(row.sensorClass, row.reading)},
                    {"unit", info.unit},
                    {"status", row.result == 0 ? Document(row.status) : Document(nullptr)},
                    {"statusText", statusText(row)},
                    {"severity", row.severity},
                    {"lowerCritical", jsonNumber(row.sensorClass, row.limits.lowerCritical)},
                    {"lowerWarning", jsonNumber(row.sensorClass, row.limits.lowerWarning)},
                    {"upperWarning", jsonNumber(row.sensorClass, row.limits.upperWarning)},
                    {"upperCritical", jsonNumber(row.sensorClass, row.limits.upperCritical)},
                    {"result", row.result}};
}

std::vector<std::string> cells(const SensorRow& row) {
    return {std::to_string(row.node),
            row.name,
            withUnit(row.sensorClass, row.reading),
            statusText(row),
            withUnit(row.sensorClass, row.limits.lowerCritical),
            withUnit(row.sensorClass, row.limits.lowerWarning),
            withUnit(row.sensorClass, row.limits.upperWarning),
            withUnit(row.sensorClass, row.limits.upperCritical)};
}

// Display width of a UTF-8 text: its code points (the units hold "°").
size_t width(const std::string& text) {
    size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void printTable(const std::vector<std::vector<std::string>>& rows, bool header, bool csv) {
    std::vector<std::vector<std::string>> all;
    if (header) all.emplace_back(std::begin(kColumns), std::end(kColumns));
    all.insert(all.end(), rows.begin(), rows.end());
    std::vector<size_t> widths(kColumnCount, 0);
    for (const auto& row : all) {
        for (size_t i = 0; i < kColumnCount; ++i) widths[i] = std::max(widths[i], width(row[i]));
    }
    for (const auto& row : all) {
        std::string line;
        for (size_t i = 0; i < kColumnCount; ++i) {
            if (csv) {
                line += (i == 0 ? "" : ",") + csvField(row[i]);
            } else if (i + 1 < kColumnCount) {
                line += row[i] + std::string(widths[i] - width(row[i]) + 2, ' ');
            } else {
                line += row[i];
            }
        }
        while (!csv && !line.empty() && line.back() == ' ') line.pop_back();
        std::cout << line << "\n";
    }
}

class SensorsCommand final : public Subcommand {
public:
    std::string name() const override { return "sensors"; }
    std::string description() const override {
        return "Discovers the sensors and shows each with its reading, status and limits";
    }
    void addOptions(CLI::App& app) override {
        stateDir_.add(app);
        node_.add(app);
        app.add_option("--class", class_, "Only sensors of this class")
            ->check(CLI::IsMember({"temperature", "voltage", "fan", "power"}));
        app.add_flag("--csv", csv_, "Comma-separated values instead of an aligned table");
        app.add_flag("--no-header", noHeader_, "Leave out the header line of the table");
        app.add_flag("--check", check_,
                     "Exit 0 when every sensor is nominal, 1 on a warning, 2 on a critical sensor, with a first "
                     "line saying which");
    }
    void validate(Session& session) override { node_.validate(session); }
    bool streams() const override { return printed_; }

    void run(Session& session, Document& doc) override {
        HostSink sink(stateDir_.registryFile());
        SensorSurvey survey = surveySensors(session, sink, true);
        if (!sink.registryError().empty()) {
            std::cerr << "yatctl: --state-dir: " << sink.registryError() << "; the registry texts are not kept\n";
        }
        std::optional<int32_t> node;
        if (node_.value()) node = static_cast<int32_t>(*node_.value());
        SensorSurvey shown{survey.result, {}, {}};
        for (int32_t silent : survey.silentNodes) {
            if (!node || silent == *node) shown.silentNodes.push_back(silent);
        }
        for (const SensorRow& row : survey.rows) {
            if ((node && row.node != *node) || (!class_.empty() && class_ != classInfo(row.sensorClass).name)) continue;
            shown.rows.push_back(row);
        }
        int worst = worstSeverity(shown, std::nullopt);
        std::vector<std::string> attention = attentionList(shown, std::nullopt, true);
        if (check_) session.setExitStatus(worst);
        if (session.options().json) {
            doc["result"] = survey.result;
            doc["registryFile"] = sink.registryFile();
            if (!sink.registryError().empty()) doc["registryError"] = sink.registryError();
            if (check_) doc["check"] = Document{{"exitStatus", worst}, {"attention", attention}};
            Document rows = Document::array();
            for (const SensorRow& row : shown.rows) rows.push_back(jsonRow(row));
            doc["sensors"] = rows;
            return;
        }
        printed_ = true;
        if (check_) {
            static constexpr const char* kWords[] = {"OK", "WARNING", "CRITICAL"};
            std::string line = std::string("SENSORS ") + kWords[worst] + ": ";
            if (attention.empty()) line += std::to_string(shown.rows.size()) + " sensors nominal";
            for (size_t i = 0; i < attention.size(); ++i) line += (i == 0 ? "" : ", ") + attention[i];
            std::cout << line << "\n";
        }
        if (survey.result != 0) std::cerr << "yatctl: discovery failed with " << survey.result << "\n";
        std::vector<std::vector<std::string>> rows;
        for (const SensorRow& row : shown.rows) rows.push_back(cells(row));
        printTable(rows, !noHeader_, csv_);
    }

    // Per node: how many sensors of each class, and which need attention.
    void addToReport(Session& session, Document& doc) override {
        const SensorSurvey& survey = sharedSurvey(session);
        Document nodes = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            Document counts{{"node", node}, {"temperature", 0}, {"voltage", 0}, {"fan", 0}, {"power", 0}};
            for (const SensorRow& row : survey.rows) {
                if (row.node != static_cast<int32_t>(node)) continue;
                const char* name = classInfo(row.sensorClass).name;
                counts[name] = counts[name].get<int>() + 1;
            }
            std::vector<std::string> attention = attentionList(survey, static_cast<int32_t>(node), false);
            std::string joined;
            for (const std::string& item : attention) joined += (joined.empty() ? "" : ", ") + item;
            if (session.options().json) {
                counts["attention"] = attention;
            } else {
                counts["attention"] = attention.empty() ? std::string("none") : joined;
            }
            nodes.push_back(counts);
        }
        if (survey.result != 0) doc["sensorsResult"] = survey.result;
        doc["sensors"] = nodes;
    }

private:
    StateDirOption stateDir_;
    NodeOption node_;
    std::string class_;
    bool csv_ = false;
    bool noHeader_ = false;
    bool check_ = false;
    bool printed_ = false;
};

}  // namespace

std::unique_ptr<Subcommand> makeSensorsCommand() { return std::make_unique<SensorsCommand>(); }

}  // namespace yatctl
