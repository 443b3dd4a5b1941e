#include "sim/json_field.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace yatsim {

namespace {

std::string joinMessage(const std::string& source, const std::string& field, const std::string& expected) {
    std::string message = source;
    if (!field.empty()) message += (message.empty() ? "" : ": ") + field;
    if (!expected.empty()) message += (message.empty() ? "" : ": ") + expected;
    return message;
}

// The value as compact JSON in ASCII, cut to limit characters ("..." ending a cut text). It walks the value
// with a stack of its own and stops once the text is long enough, so neither the nesting depth nor
// the size of the value matters.
std::string excerpt(const nlohmann::json& value, size_t limit) {
    struct Level {
        const nlohmann::json* container;
        nlohmann::json::const_iterator next;
    };
    std::vector<Level> stack;
    std::string text;
    const nlohmann::json* current = &value;
    auto quoted = [limit](const std::string& s) {
        return nlohmann::json(s.substr(0, limit)).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    };
    while (text.size() <= limit) {
        if (current != nullptr) {
            if (current->is_structured()) {
                text += current->is_array() ? '[' : '{';
                stack.push_back({current, current->cbegin()});
            } else {
                text += current->is_string() ? quoted(current->get_ref<const std::string&>()) : current->dump();
            }
            current = nullptr;
        }
        if (stack.empty()) break;
        Level& top = stack.back();
        if (top.next == top.container->cend()) {
            text += top.container->is_array() ? ']' : '}';
            stack.pop_back();
            continue;
        }
        if (top.next != top.container->cbegin()) text += ',';
        if (top.container->is_object()) text += quoted(top.next.key()) + ':';
        current = &*top.next;
        ++top.next;
    }
    if (text.size() > limit) text = text.substr(0, limit - 3) + "...";
    return text;
}

// What the value is, for messages: "got \"abc\"" (cut to a readable length).
std::string shown(const nlohmann::json& value) { return "got " + excerpt(value, 40); }

std::string rangeText(uint64_t min, uint64_t max) {
    return "an integer from " + std::to_string(min) + " to " + std::to_string(max);
}

}  // namespace

ScenarioError::ScenarioError(std::string source, std::string field, std::string expected)
    : std::runtime_error(joinMessage(source, field, expected)),
      source_(std::move(source)),
      field_(std::move(field)),
      expected_(std::move(expected)) {}

Field::Field(const nlohmann::json* value, std::string path)
    : value_(value), path_(std::make_shared<const std::string>(std::move(path))) {}

Field::Field(const nlohmann::json* value, Path base, std::string tail)
    : value_(value), base_(std::move(base)), tail_(std::move(tail)) {}

const Field::Path& Field::sharedPath() const {
    if (path_ == nullptr) path_ = std::make_shared<const std::string>(*base_ + tail_);
    return path_;
}

const std::string& Field::path() const { return *sharedPath(); }

bool Field::present() const { return value_ != nullptr && !value_->is_null(); }

void Field::fail(const std::string& expected) const {
    std::string message = expected;
    if (present()) message += ", " + shown(*value_);
    throw ScenarioError("", path().empty() ? std::string("(document)") : path(), message);
}

Field Field::operator[](std::string_view key) const {
    const Path& base = sharedPath();
    std::string path;
    path.reserve(1 + key.size());
    path.append(base->empty() ? "" : ".").append(key);
    if (!present()) return Field(nullptr, base, std::move(path));
    if (!value_->is_object()) fail("expected an object");
    auto it = value_->find(key);
    return Field(it == value_->end() ? nullptr : &*it, base, std::move(path));
}

size_t Field::size() const {
    if (!present()) return 0;
    if (!value_->is_array()) fail("expected an array");
    return value_->size();
}

Field Field::at(size_t index) const {
    const Path& base = sharedPath();
    std::string path = "[" + std::to_string(index) + "]";
    if (index >= size()) return Field(nullptr, base, std::move(path));
    return Field(&(*value_)[index], base, std::move(path));
}

void Field::expectObject(std::initializer_list<std::string_view> allowed) const {
    if (!present()) return;
    if (!value_->is_object()) fail("expected an object");
    for (auto it = value_->begin(); it != value_->end(); ++it) {
        const std::string& key = it.key();
        if (std::find(allowed.begin(), allowed.end(), key) != allowed.end()) continue;
        std::string list;
        for (std::string_view name : allowed) list += (list.empty() ? "" : ", ") + std::string(name);
        std::string shownKey = printableExcerpt(key, 40);
        throw ScenarioError("", path().empty() ? shownKey : path() + "." + shownKey,
                            "unknown field; expected one of: " + list);
    }
}

std::vector<std::string> Field::keys() const {
    std::vector<std::string> names;
    if (!present()) return names;
    if (!value_->is_object()) fail("expected an object");
    for (auto it = value_->begin(); it != value_->end(); ++it) names.push_back(it.key());
    return names;
}

uint64_t Field::integer(uint64_t min, uint64_t max) const {
    if (!present()) fail("missing; expected " + rangeText(min, max));
    uint64_t value = 0;
    if (value_->is_number_unsigned()) {
        value = value_->get<uint64_t>();
    } else if (value_->is_number_integer() && value_->get<int64_t>() >= 0) {
        value = static_cast<uint64_t>(value_->get<int64_t>());
    } else if (value_->is_string()) {
        const std::string& text = value_->get_ref<const std::string&>();
        if (text.size() < 3 || text.size() > 18 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
            fail("expected " + rangeText(min, max) + " (a number, or a text \"0x...\")");
        }
        std::optional<Bytes> bytes = parseHex(text.size() % 2 == 0 ? text.substr(2) : "0" + text.substr(2));
        if (!bytes) fail("expected " + rangeText(min, max) + " (a number, or a text \"0x...\")");
        for (uint8_t byte : *bytes) value = (value << 8) | byte;
    } else {
        fail("expected " + rangeText(min, max));
    }
    if (value < min || value > max) fail("expected " + rangeText(min, max));
    return value;
}

uint64_t Field::integer(uint64_t min, uint64_t max, uint64_t fallback) const {
    return present() ? integer(min, max) : fallback;
}

double Field::number(double min, double max, double fallback) const {
    if (!present()) return fallback;
    if (!value_->is_number()) fail("expected a number from " + std::to_string(min) + " to " + std::to_string(max));
    double value = value_->get<double>();
    if (!(value >= min && value <= max)) {
        fail("expected a number from " + std::to_string(min) + " to " + std::to_string(max));
    }
    return value;
}

bool Field::flag(bool fallback) const {
    if (!present()) return fallback;
    if (!value_->is_boolean()) fail("expected true or false");
    return value_->get<bool>();
}

std::string Field::text(size_t maxLength) const {
    std::string expected = "expected a text of at most " + std::to_string(maxLength) + " printable characters";
    if (!present()) fail("missing; " + expected);
    if (!value_->is_string()) fail(expected);
    const std::string& value = value_->get_ref<const std::string&>();
    if (value.size() > maxLength) fail(expected);
    for (char c : value) {
        if (c < 0x20 || c > 0x7E) fail(expected);
    }
    return value;
}

std::string Field::text(size_t maxLength, const std::string& fallback) const {
    return present() ? text(maxLength) : fallback;
}

Bytes Field::hex(size_t maxBytes) const {
    std::string expected = "expected a hexadecimal text of at most " + std::to_string(maxBytes) + " bytes";
    if (!present()) fail("missing; " + expected);
    if (!value_->is_string()) fail(expected);
    std::optional<Bytes> bytes = parseHex(value_->get_ref<const std::string&>());
    if (!bytes || bytes->size() > maxBytes) fail(expected);
    return *bytes;
}

Bytes Field::dotted() const {
    std::string expected = "expected a dotted command of hexadecimal bytes such as \"4.3.5.2.1\"";
    if (!present()) fail("missing; " + expected);
    if (!value_->is_string()) fail(expected);
    std::optional<Bytes> bytes = parseDotted(value_->get_ref<const std::string&>());
    if (!bytes) fail(expected);
    return *bytes;
}

}  // namespace yatsim
