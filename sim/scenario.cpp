#include "sim/scenario.h"

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/regular_file.h"

#include "sim/sections/sections.h"

namespace yatsim {

namespace {

constexpr const char* kDefaultSource = "(default scenario)";

void loadNode(const Field& field, NodeState& node) {
    std::vector<std::string_view> names{"inherit"};
    for (const SectionLoader& section : nodeSections()) names.push_back(section.name);
    for (const std::string& key : field.keys()) {
        if (std::find(names.begin(), names.end(), key) != names.end()) continue;
        std::string list;
        for (std::string_view name : names) list += (list.empty() ? "" : ", ") + std::string(name);
        throw ScenarioError("", field.path() + "." + printableExcerpt(key, 40), "unknown section; expected one of: " + list);
    }
    for (const SectionLoader& section : nodeSections()) section.load(field[section.name], node);
}

// A list of timeline entries, in time order.
std::vector<TimelineEntry> loadTimeline(const Field& timeline, size_t nodeCount) {
    std::vector<TimelineEntry> entries;
    for (size_t i = 0; i < timeline.size(); ++i) {
        Field entry = timeline.at(i);
        entry.expectObject({"at", "node", "event", "data", "supply", "backplane", "drive", "version", "condition",
                            "timeStamp", "sequence", "errorCode", "chassis", "memcard", "dimm", "fan", "rpm",
                            "supplyState", "voltage", "centivolts", "cpu", "hot"});
        TimelineEntry item;
        item.atMs = entry["at"].integer(0, 24ull * 3600 * 1000);
        item.node = static_cast<uint32_t>(entry["node"].integer(0, nodeCount - 1));
        item.event = loadEvent(entry);
        entries.push_back(std::move(item));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TimelineEntry& a, const TimelineEntry& b) { return a.atMs < b.atMs; });
    return entries;
}

Scenario parseDocument(const nlohmann::json& document, const std::string& source) {
    Field root(&document, "");
    if (!document.is_object()) root.fail("expected a JSON object");
    root.expectObject({"description", "nodes", "timeline", "demoTimeline", "faults"});

    Scenario scenario;
    scenario.source = source;
    scenario.description = root["description"].text(200, "");

    Field nodes = root["nodes"];
    if (nodes.size() < 1 || nodes.size() > kMaxNodes) {
        nodes.fail("expected an array of 1 to " + std::to_string(kMaxNodes) + " node objects");
    }
    // A node may start from an earlier node's document ("inherit": index) and change members of it.
    std::vector<nlohmann::json> merged;
    for (size_t i = 0; i < nodes.size(); ++i) {
        Field node = nodes.at(i);
        if (!node.present() || !node.json()->is_object()) node.fail("expected a node object");
        nlohmann::json effective = *node.json();
        if (node["inherit"].present()) {
            if (i == 0) node["inherit"].fail("expected no inherit in the first node");
            size_t base = node["inherit"].integer(0, i - 1);
            effective = merged[base];
            effective.merge_patch(*node.json());
            effective.erase("inherit");
        }
        merged.push_back(std::move(effective));
    }
    for (size_t i = 0; i < merged.size(); ++i) {
        NodeState& node = scenario.nodes.emplace_back(static_cast<uint32_t>(i));
        loadNode(Field(&merged[i], nodes.at(i).path()), node);
    }

    scenario.timeline = loadTimeline(root["timeline"], scenario.nodes.size());
    scenario.demoTimeline = loadTimeline(root["demoTimeline"], scenario.nodes.size());

    scenario.faults = loadFaultPlan(root["faults"]);
    return scenario;
}

// Builds the document from the JSON library's event parser, as its own document parser does, and
// refuses while parsing what a scenario never holds: containers nested deeper than kMaxNesting
// (everything after the parser — copies, merges, messages — may then walk the document recursively)
// and an object with the same key twice (which would otherwise silently keep the last). Time and
// memory are linear in the size of the text.
class DocumentBuilder {
public:
    using json = nlohmann::json;

    explicit DocumentBuilder(json& root) : root_(root) {}

    bool null() { return put(nullptr); }
    bool boolean(bool value) { return put(value); }
    bool number_integer(json::number_integer_t value) { return put(value); }
    bool number_unsigned(json::number_unsigned_t value) { return put(value); }
    bool number_float(json::number_float_t value, const json::string_t&) { return put(value); }
    bool string(json::string_t& value) { return put(std::move(value)); }
    bool binary(json::binary_t& value) { return put(json::binary(std::move(value))); }
    bool start_object(std::size_t) { return open(json::value_t::object); }
    bool start_array(std::size_t) { return open(json::value_t::array); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    bool key(json::string_t& name) {
        Open& object = open_.back();
        if (object.value->contains(name)) throw ScenarioError("", path(), "duplicate key \"" + printableExcerpt(name, 40) + "\"");
        object.member = &(*object.value)[name];
        object.key = std::move(name);
        return true;
    }

    // A syntax error: the library's own exception, with its message.
    [[noreturn]] bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
        throw error;
    }

private:
    // An array or object being filled, and (objects) the member whose value comes next.
    struct Open {
        json* value;
        json* member = nullptr;
        std::string key;
    };

    // Where the next value goes: the root, the end of the open array, or the open object's member.
    json* slot() {
        if (open_.empty()) return &root_;
        Open& top = open_.back();
        if (top.value->is_array()) {
            top.value->emplace_back();
            return &top.value->back();
        }
        return top.member;
    }

    template <class Value>
    bool put(Value&& value) {
        *slot() = json(std::forward<Value>(value));
        return true;
    }

    bool open(json::value_t type) {
        if (open_.size() >= kMaxNesting) {
            throw ScenarioError("", "", "not JSON: nested deeper than " + std::to_string(kMaxNesting) + " levels");
        }
        json* made = slot();
        *made = json(type);
        // Elements and members stay where they are while this container is open: its parent grows
        // only after it is closed.
        open_.push_back(Open{made, nullptr, {}});
        return true;
    }

    bool close() {
        open_.pop_back();
        return true;
    }

    // The path of the innermost open container, as Field names it ("nodes[1].system").
    std::string path() const {
        std::string text;
        for (size_t i = 0; i + 1 < open_.size(); ++i) {
            const Open& level = open_[i];
            if (level.value->is_array()) {
                text += "[" + std::to_string(level.value->size() - 1) + "]";
            } else {
                text += (text.empty() ? "" : ".") + printableExcerpt(level.key, 40);
            }
        }
        return text.empty() ? "(document)" : text;
    }

    json& root_;
    std::vector<Open> open_;
};

}  // namespace

Scenario parseScenario(std::string_view text, const std::string& source) {
    // The JSON parser would take a NUL byte for the end of the text and ignore what follows.
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        throw ScenarioError(source, "", "not JSON: a NUL byte at offset " + std::to_string(nul));
    }
    nlohmann::json document;
    try {
        DocumentBuilder builder(document);
        nlohmann::json::sax_parse(text, &builder);
    } catch (const nlohmann::json::exception& error) {
        // A syntax error or a number too large for a double: "[json.exception.parse_error.101] parse
        // error at line 1, column 2: ...", "[json.exception.out_of_range.406] number overflow parsing
        // '1e999'". Keep what follows the id.
        std::string what = error.what();
        size_t bracket = what.find("] ");
        if (bracket != std::string::npos) what = what.substr(bracket + 2);
        // The message quotes the input it stopped at: shown printable and cut to a line.
        throw ScenarioError(source, "", "not JSON: " + printableExcerpt(what, 160));
    } catch (const ScenarioError& error) {
        throw error.withSource(source);
    }
    try {
        return parseDocument(document, source);
    } catch (const ScenarioError& error) {
        throw error.withSource(source);
    }
}

Scenario loadScenarioFile(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) throw ScenarioError(path, "", "is a folder, not a scenario file");
    // Only a regular file, read without blocking and up to one byte past the cap: a FIFO or a device
    // is refused at once, never waited on or read for ever.
    std::string text;
    yat::FileRead outcome = yat::readRegularFile(path, kMaxScenarioBytes, text);
    switch (outcome) {
        case yat::FileRead::kRead: break;
        case yat::FileRead::kTooLarge:
            throw ScenarioError(path, "", "larger than " + std::to_string(kMaxScenarioBytes >> 20) + " MiB; not a scenario");
        case yat::FileRead::kMissing: throw ScenarioError(path, "", "cannot open: No such file or directory");
        default: throw ScenarioError(path, "", std::string(yat::fileReadText(outcome)) + "; not a scenario file");
    }
    return parseScenario(text, path);
}

Scenario defaultScenario() { return parseScenario(defaultScenarioText(), kDefaultSource); }

}  // namespace yatsim
