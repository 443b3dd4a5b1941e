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
        throw ScenarioError("", field.path() + "." + printableExcerpt(key, 40),
                            "unknown section; expected one of: " + list);
    }
    for (const SectionLoader& section : nodeSections()) section.load(field[section.name], node);
}

// One timeline entry. Its node is checked against the scenario's nodes once they are known.
TimelineEntry loadTimelineEntry(const Field& entry) {
    entry.expectObject({"at",      "node",       "event",     "data",      "supply",   "backplane",
                        "drive",   "version",    "condition", "timeStamp", "sequence", "errorCode",
                        "chassis", "memcard",    "dimm",      "fan",       "rpm",      "supplyState",
                        "voltage", "centivolts", "cpu",       "hot"});
    TimelineEntry item;
    item.atMs = entry["at"].integer(0, 24ull * 3600 * 1000);
    item.node = static_cast<uint32_t>(entry["node"].integer(0, kMaxNodes - 1));
    item.event = loadEvent(entry);
    return item;
}

// The two timelines, as their entries were read.
struct Timelines {
    std::vector<TimelineEntry> timeline;
    std::vector<TimelineEntry> demoTimeline;
};

// Checks every entry's node (path name[i].node) and puts the entries in time order.
std::vector<TimelineEntry> finishTimeline(std::vector<TimelineEntry> entries, const char* name, size_t nodeCount) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].node >= nodeCount) {
            throw ScenarioError("", std::string(name) + "[" + std::to_string(i) + "].node",
                                "expected an integer from 0 to " + std::to_string(nodeCount - 1) + ", got " +
                                    std::to_string(entries[i].node));
        }
    }
    auto earlier = [](const TimelineEntry& a, const TimelineEntry& b) { return a.atMs < b.atMs; };
    if (!std::is_sorted(entries.begin(), entries.end(), earlier))
        std::stable_sort(entries.begin(), entries.end(), earlier);
    return entries;
}

Scenario parseDocument(const nlohmann::json& document, Timelines timelines, const std::string& source) {
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

    // The entries were read while parsing (DocumentBuilder); what is left in the document is an empty
    // array, or a value that is not an array at all.
    root["timeline"].size();
    root["demoTimeline"].size();
    scenario.timeline = finishTimeline(std::move(timelines.timeline), "timeline", scenario.nodes.size());
    scenario.demoTimeline = finishTimeline(std::move(timelines.demoTimeline), "demoTimeline", scenario.nodes.size());

    scenario.faults = loadFaultPlan(root["faults"]);
    return scenario;
}

// Builds the document from the JSON library's event parser, as its own document parser does, and
// refuses while parsing what a scenario never holds: containers nested deeper than kMaxNesting
// (everything after the parser — copies, merges, messages — may then walk the document recursively),
// an object with the same key twice (which would otherwise silently keep the last), and more than
// kMaxDocumentValues values. The entries of the two timelines, which may fill most of a large
// scenario, are read into TimelineEntry records as each one is complete and are not kept in the
// document. Time and memory are linear in the size of the text.
class DocumentBuilder {
public:
    using json = nlohmann::json;

    // textSize: the length of the text, which bounds how many timeline entries it can hold.
    DocumentBuilder(json& root, Timelines& timelines, size_t textSize)
        : root_(root), timelines_(timelines), textSize_(textSize) {}

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
        auto [member, added] = object.value->get_ref<json::object_t&>().try_emplace(std::move(name));
        if (!added) throw ScenarioError("", path(), "duplicate key \"" + printableExcerpt(name, 40) + "\"");
        object.member = &member->second;
        object.key = &member->first;
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
        const std::string* key = nullptr;  // the member's name, kept by the object itself
    };

    // The timeline read from the document's member being filled now, if it is one.
    std::vector<TimelineEntry>* timelineMember() const {
        if (open_.empty() || !open_[0].value->is_object() || open_[0].key == nullptr) return nullptr;
        const std::string& name = *open_[0].key;
        return name == "timeline" ? &timelines_.timeline : name == "demoTimeline" ? &timelines_.demoTimeline : nullptr;
    }

    // The timeline whose entries the innermost open container holds, if it is one.
    std::vector<TimelineEntry>* timelineOpen() const {
        return open_.size() == 2 && open_[1].value->is_array() ? timelineMember() : nullptr;
    }

    // Where the next value goes: the root, the end of the open array, or the open object's member.
    json* slot() {
        if (++values_ > kMaxDocumentValues) {
            throw ScenarioError(
                "", "",
                "more than " + std::to_string(kMaxDocumentValues) + " values besides the timelines; not a scenario");
        }
        if (open_.empty()) return &root_;
        Open& top = open_.back();
        if (top.value->is_array()) {
            if (timelineOpen() != nullptr) entryStart_ = values_ - 1;
            top.value->emplace_back();
            return &top.value->back();
        }
        return top.member;
    }

    template <class Value>
    bool put(Value&& value) {
        *slot() = json(std::forward<Value>(value));
        takeEntry();
        return true;
    }

    bool open(json::value_t type) {
        if (open_.size() >= kMaxNesting) {
            throw ScenarioError("", "", "not JSON: nested deeper than " + std::to_string(kMaxNesting) + " levels");
        }
        json* made = slot();
        *made = json(type);
        if (std::vector<TimelineEntry>* timeline = open_.size() == 1 ? timelineMember() : nullptr) {
            // Room for as many entries as the text can hold (an entry takes at least 32 bytes, and at
            // most 2^19 are reserved): the records are never moved while the list grows.
            timeline->reserve(std::min(textSize_ / 32, size_t{1} << 19));
        }
        // Elements and members stay where they are while this container is open: its parent grows
        // only after it is closed.
        open_.push_back(Open{made, nullptr, nullptr});
        return true;
    }

    bool close() {
        open_.pop_back();
        takeEntry();
        return true;
    }

    // When the value just completed is an entry of a timeline: reads it and takes it out of the document.
    void takeEntry() {
        std::vector<TimelineEntry>* timeline = timelineOpen();
        if (timeline == nullptr) return;
        json& array = *open_[1].value;
        Field entry(&array.back(), *open_[0].key + "[" + std::to_string(timeline->size()) + "]");
        timeline->push_back(loadTimelineEntry(entry));
        array.get_ref<json::array_t&>().pop_back();
        values_ = entryStart_;
    }

    // The path of the innermost open container, as Field names it ("nodes[1].system").
    std::string path() const {
        std::string text;
        for (size_t i = 0; i + 1 < open_.size(); ++i) {
            const Open& level = open_[i];
            if (level.value->is_array()) {
                // A timeline holds only the entry being read: its index is the count of those read.
                std::vector<TimelineEntry>* timeline = i == 1 ? timelineMember() : nullptr;
                size_t index = timeline != nullptr ? timeline->size() : level.value->size() - 1;
                text += "[" + std::to_string(index) + "]";
            } else {
                text += (text.empty() ? "" : ".") + printableExcerpt(*level.key, 40);
            }
        }
        return text.empty() ? "(document)" : text;
    }

    json& root_;
    Timelines& timelines_;
    size_t textSize_;
    std::vector<Open> open_;
    size_t values_ = 0;      // values in the document now
    size_t entryStart_ = 0;  // values_ before the timeline entry being read began
};

}  // namespace

Scenario parseScenario(std::string_view text, const std::string& source) {
    // The JSON parser would take a NUL byte for the end of the text and ignore what follows.
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        throw ScenarioError(source, "", "not JSON: a NUL byte at offset " + std::to_string(nul));
    }
    nlohmann::json document;
    Timelines timelines;
    try {
        DocumentBuilder builder(document, timelines, text.size());
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
        return parseDocument(document, std::move(timelines), source);
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
            throw ScenarioError(path, "",
                                "larger than " + std::to_string(kMaxScenarioBytes >> 20) + " MiB; not a scenario");
        case yat::FileRead::kMissing: throw ScenarioError(path, "", "cannot open: No such file or directory");
        default: throw ScenarioError(path, "", std::string(yat::fileReadText(outcome)) + "; not a scenario file");
    }
    return parseScenario(text, path);
}

Scenario defaultScenario() { return parseScenario(defaultScenarioText(), kDefaultSource); }

}  // namespace yatsim
