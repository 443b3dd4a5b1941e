#include "sim/faults.h"

#include <algorithm>

namespace yatsim {

namespace {

// splitmix64: a small generator whose sequence is the same on every platform.
uint64_t nextRandom(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double unitRandom(uint64_t& state) { return static_cast<double>(nextRandom(state) >> 11) * 0x1.0p-53; }

struct KindName {
    const char* name;
    FaultKind kind;
};

constexpr KindName kKinds[] = {
    {"transport", FaultKind::kTransport}, {"status", FaultKind::kStatus},
    {"wrongType", FaultKind::kWrongType}, {"wrongEcho", FaultKind::kWrongEcho},
    {"truncated", FaultKind::kTruncated}, {"oversizedLength", FaultKind::kOversizedLength},
    {"latency", FaultKind::kLatency},
};

}  // namespace

const char* faultKindName(FaultKind kind) {
    for (const KindName& entry : kKinds) {
        if (entry.kind == kind) return entry.name;
    }
    return "unknown";
}

namespace {

FaultRule loadRule(const Field& field) {
    field.expectObject({"fault", "value", "command", "node", "type", "nth", "skip", "count", "rate"});
    FaultRule rule;
    std::string kind = field["fault"].text(32);
    bool known = false;
    for (const KindName& entry : kKinds) {
        if (kind == entry.name) {
            rule.kind = entry.kind;
            known = true;
        }
    }
    if (!known) {
        field["fault"].fail(
            "expected one of transport, status, wrongType, wrongEcho, truncated, oversizedLength, latency");
    }
    switch (rule.kind) {
        case FaultKind::kTransport: rule.value = static_cast<uint32_t>(field["value"].integer(1, UINT32_MAX, 1)); break;
        case FaultKind::kStatus: rule.value = static_cast<uint32_t>(field["value"].integer(1, 255, 7)); break;
        case FaultKind::kWrongType:
        case FaultKind::kWrongEcho:
            if (field["value"].present()) rule.value = static_cast<uint32_t>(field["value"].integer(0, 255));
            break;
        case FaultKind::kTruncated:
        case FaultKind::kOversizedLength:
            if (field["value"].present()) rule.value = static_cast<uint32_t>(field["value"].integer(0, 0xFFFF));
            break;
        case FaultKind::kLatency: rule.value = static_cast<uint32_t>(field["value"].integer(0, 600000)); break;
    }

    if (field["command"].present()) {
        std::string text = field["command"].text(128);
        if (text != "*") {
            rule.prefix = text.size() > 2 && text.compare(text.size() - 2, 2, ".*") == 0;
            std::optional<Bytes> bytes = parseDotted(rule.prefix ? text.substr(0, text.size() - 2) : text);
            if (!bytes)
                field["command"].fail("expected \"*\", a dotted command, or a dotted command followed by \".*\"");
            rule.command = *bytes;
        }
    }
    if (field["node"].present()) rule.node = static_cast<int32_t>(field["node"].integer(0, 255));
    if (field["type"].present()) {
        std::string type = field["type"].text(8);
        if (type == "set")
            rule.type = wire::kSet;
        else if (type == "get")
            rule.type = wire::kGet;
        else if (type == "next")
            rule.type = wire::kGetNext;
        else
            field["type"].fail("expected set, get or next");
    }
    Field nth = field["nth"];
    for (size_t i = 0; i < nth.size(); ++i) rule.nth.push_back(nth.at(i).integer(1, UINT32_MAX));
    rule.skip = field["skip"].integer(0, UINT32_MAX, 0);
    rule.count = field["count"].integer(0, UINT32_MAX, 0);
    rule.rate = field["rate"].number(0.0, 1.0, 1.0);
    return rule;
}

}  // namespace

bool FaultRule::matches(const Request& request) const {
    if (node && *node != request.node) return false;
    if (type && *type != request.type) return false;
    if (!command) return true;
    if (prefix) {
        return request.command.size() > command->size() &&
               std::equal(command->begin(), command->end(), request.command.begin());
    }
    return request.command == *command;
}

FaultInjector::FaultInjector(const FaultPlan& plan) : seed_(plan.seed) {
    for (const FaultRule& rule : plan.rules) add(rule);
}

uint64_t FaultInjector::ruleSeed(uint64_t seed, size_t index) {
    uint64_t state = seed ^ (0xD1B54A32D192ED03ull * (index + 1));
    return nextRandom(state);
}

void FaultInjector::add(const FaultRule& rule) { rules_.push_back(Active{rule, 0, 0, ruleSeed(seed_, rules_.size())}); }

void FaultInjector::clear() { rules_.clear(); }

void FaultInjector::reseed(uint64_t seed) {
    seed_ = seed;
    for (size_t i = 0; i < rules_.size(); ++i) {
        rules_[i].matched = 0;
        rules_[i].fired = 0;
        rules_[i].random = ruleSeed(seed, i);
    }
}

bool FaultInjector::fires(Active& active) {
    const FaultRule& rule = active.rule;
    uint64_t match = ++active.matched;
    bool fire;
    if (!rule.nth.empty()) {
        fire = std::find(rule.nth.begin(), rule.nth.end(), match) != rule.nth.end();
    } else {
        fire = match > rule.skip && (rule.count == 0 || active.fired < rule.count);
        if (fire && rule.rate < 1.0) fire = unitRandom(active.random) < rule.rate;
    }
    if (fire) ++active.fired;
    return fire;
}

FaultDecision FaultInjector::decide(const Request& request) {
    FaultDecision decision;
    for (Active& active : rules_) {
        bool latency = active.rule.kind == FaultKind::kLatency;
        if (!latency && decision.failure) continue;  // one failure per request
        if (!active.rule.matches(request) || !fires(active)) continue;
        if (latency) {
            decision.latencyMs += active.rule.value.value_or(0);
        } else {
            decision.failure = active.rule;
        }
    }
    return decision;
}

void applyMalformation(uint8_t* buffer, const FaultRule& rule) {
    switch (rule.kind) {
        case FaultKind::kWrongType:
            buffer[wire::kTypeOffset] = static_cast<uint8_t>(rule.value.value_or(wire::kGet));
            break;
        case FaultKind::kWrongEcho:
            buffer[wire::kCommandLengthOffset] =
                static_cast<uint8_t>(rule.value.value_or(buffer[wire::kCommandLengthOffset] + 1u));
            break;
        case FaultKind::kOversizedLength: {
            uint32_t claimed = rule.value.value_or(0xFFFF);
            buffer[wire::kDataLengthOffset] = static_cast<uint8_t>(claimed & 0xFF);
            buffer[wire::kDataLengthOffset + 1] = static_cast<uint8_t>(claimed >> 8);
            break;
        }
        default: break;
    }
}

FaultPlan loadFaultPlan(const Field& field) {
    field.expectObject({"seed", "rules"});
    FaultPlan plan;
    plan.seed = field["seed"].integer(0, UINT64_MAX, 1);
    Field rules = field["rules"];
    for (size_t i = 0; i < rules.size(); ++i) plan.rules.push_back(loadRule(rules.at(i)));
    return plan;
}

}  // namespace yatsim
