#include "leds/glint_registry.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "platform/log.h"
#include "platform/utils.h"
#include "yat/result_codes.h"
#include "leds/log_texts.h"

namespace {

constexpr const char* kTag = leds_texts::kTagCLibYATInitGlint;

// The shared instance and its users. Guarded by sharedMutex.
std::mutex sharedMutex;
std::unique_ptr<cGLSuppRegistry> sharedRegistry;
int32_t sharedUsers = 0;

// A key below the base key, formatted into a path buffer.
struct Key {
    char text[kMaxFilePath];
};

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
Key key(const char* format, ...) {
    Key result;
    size_t head = std::strlen(glintreg::kBaseKey);
    std::memcpy(result.text, glintreg::kBaseKey, head);
    result.text[head++] = '\\';
    va_list args;
    va_start(args, format);
    std::vsnprintf(result.text + head, sizeof result.text - head, format, args);
    va_end(args);
    return result;
}

// Reads the registry through its kinds: a number read as a text (or the other way round) is missing.
class TreeReader {
public:
    explicit TreeReader(const cRegistry& registry) : registry_(registry) {}

    bool exists(const char* key) const { return registry_.CheckRegTree(key); }

    // The number, or nothing when absent or not a number.
    bool number(const char* key, const char* name, uint32_t* value) {
        cRegistry::ValueKind kind = registry_.GetRegValueKind(key, name);
        if (kind == cRegistry::ValueKind::kText) ++wrongKind_;
        if (kind != cRegistry::ValueKind::kNumber) return false;
        uint32_t size = sizeof *value;
        return registry_.GetRegInfo(key, name, &size, value);
    }
    // A number that counts as 0 when missing.
    uint32_t numberOr0(const char* key, const char* name) {
        uint32_t value = 0;
        return number(key, name, &value) ? value : 0;
    }
    int32_t signedOr0(const char* key, const char* name) { return static_cast<int32_t>(numberOr0(key, name)); }

    // The text into out (capacity bytes). Returns false when absent, not a text, or too long (then
    // *tooLong is set).
    bool text(const char* key, const char* name, char* out, uint32_t capacity, bool* tooLong) {
        *tooLong = false;
        cRegistry::ValueKind kind = registry_.GetRegValueKind(key, name);
        if (kind == cRegistry::ValueKind::kNumber) ++wrongKind_;
        if (kind != cRegistry::ValueKind::kText) return false;
        uint32_t size = capacity;
        if (registry_.GetRegInfo(key, name, &size, out)) return true;
        *tooLong = size > capacity;
        return false;
    }

    int32_t takeWrongKind() {
        int32_t count = wrongKind_;
        wrongKind_ = 0;
        return count;
    }

private:
    const cRegistry& registry_;
    int32_t wrongKind_ = 0;
};

// Walks the whole tree for node, appending its LED records; false once the list is full.
[[nodiscard]] bool appendNode(TreeReader& reader, uint32_t commandCount, int32_t node, GlintLEDList& leds) {
    for (uint32_t c = 0; c < commandCount; ++c) {
        char dotCommand[kGlintDotCommandSize] = {};
        char name[64];
        std::snprintf(name, sizeof name, "ledGrp%uDotCmd", c);
        bool tooLong = false;
        if (!reader.text(glintreg::kBaseKey, name, dotCommand, sizeof dotCommand, &tooLong)) {
            if (tooLong) {
                yatLog(kTag, leds_texts::kTheDotCommandOfCommandIs, c, static_cast<int32_t>(kGlintDotCommandSize - 1));
            } else {
                yatLog(kTag, leds_texts::kCommandHasNoDotCommandCommand, c);
            }
            continue;
        }
        std::snprintf(name, sizeof name, "numberofcmd%ugroups", c);
        uint32_t groupCount = 0;
        if (!reader.number(glintreg::kBaseKey, name, &groupCount)) {
            yatLog(kTag, leds_texts::kCommandHasNoGroupCountCommand, c);
            continue;
        }
        if (groupCount > glintreg::kMaxCount) {
            yatLog(kTag, leds_texts::kCommandClaimsGroupsMoreThanThe, c, groupCount, glintreg::kMaxCount);
            continue;
        }
        for (uint32_t g = 0; g < groupCount; ++g) {
            Key group = key("cmd%u\\grp%u", c, g);
            if (!reader.exists(group.text)) continue;
            cGlintLED groupValues;
            std::memcpy(groupValues.dotCommand, dotCommand, sizeof dotCommand);
            groupValues.ledbus = reader.numberOr0(group.text, "ledbus");
            groupValues.ledbustype = reader.numberOr0(group.text, "ledbustype");
            groupValues.leddevicetype = reader.numberOr0(group.text, "leddevicetype");
            groupValues.ledregister = reader.numberOr0(group.text, "ledregister");
            groupValues.node = node;
            for (uint32_t l = 0;; ++l) {
                Key ledKey = key("cmd%u\\grp%u\\led%u", c, g, l);
                if (!reader.exists(ledKey.text)) break;
                if (leds.size() >= glintreg::kMaxLedRecords) {
                    yatLog(kTag, leds_texts::kTheLEDListHoldsRecordsThe,
                           static_cast<int32_t>(glintreg::kMaxLedRecords));
                    return false;
                }
                cGlintLED led = groupValues;
                led.type = reader.signedOr0(ledKey.text, "type");
                uint32_t regaddr = reader.numberOr0(ledKey.text, "regaddr");
                led.location = reader.signedOr0(ledKey.text, "location");
                led.index = reader.signedOr0(ledKey.text, "index");
                for (uint32_t s = 0; s < glintreg::kMaxSensorsPerLed; ++s) {
                    Key sensorKey = key("cmd%u\\grp%u\\led%u\\sensor%u", c, g, l, s);
                    if (!reader.exists(sensorKey.text)) break;
                    cGlintSensor sensor;
                    sensor.index = reader.signedOr0(sensorKey.text, "index");
                    sensor.regaddr = regaddr;
                    sensor.mask = reader.numberOr0(sensorKey.text, "mask");
                    sensor.location = reader.signedOr0(sensorKey.text, "location");
                    led.sensors.push_back(sensor);
                }
                leds.push_back(std::move(led));
            }
        }
    }
    return true;
}

}  // namespace

cGLSuppRegistry::~cGLSuppRegistry() { CloseRegData(); }

GlintRegistrySource cGLSuppRegistry::readSource() {
    GlintRegistrySource source;
    if (rootFilePath(glintreg::kFileBelowRoot, source.path)) {
        source.outcome = cRegistry::readSource(source.path.c_str(), source.content);
    }
    return source;
}

int32_t cGLSuppRegistry::acquire(cGLSuppRegistry** out) { return acquire(out, readSource()); }

int32_t cGLSuppRegistry::acquire(cGLSuppRegistry** out, const GlintRegistrySource& source) {
    if (out == nullptr) return ERR_NO_RESOURCE;
    *out = nullptr;
    std::lock_guard<std::mutex> guard(sharedMutex);
    if (sharedUsers <= 0 || sharedRegistry == nullptr) {
        sharedRegistry.reset();
        sharedUsers = 0;
        if (source.path.empty()) {
            yatLog(kTag, leds_texts::kThePathOfTheLEDPanel, kMaxFilePath - 1);
            return ERR_NOT_OPENED;
        }
        if (source.outcome != yat::FileRead::kRead && source.outcome != yat::FileRead::kTooLarge) {
            yatLog(kTag, leds_texts::kTheLEDPanelRegistryFile, source.path.c_str(), yat::fileReadText(source.outcome));
            return ERR_NOT_OPENED;
        }
        try {
            sharedRegistry = std::make_unique<cGLSuppRegistry>(source.path.c_str(), source.content);
        } catch (const std::bad_alloc&) {
            sharedRegistry.reset();
            return ERR_NO_RESOURCE;
        }
    }
    ++sharedUsers;
    *out = sharedRegistry.get();
    return ERR_SUCCESS;
}

void cGLSuppRegistry::release() {
    std::lock_guard<std::mutex> guard(sharedMutex);
    if (sharedUsers <= 1) {
        sharedRegistry.reset();
        sharedUsers = 0;
        return;
    }
    --sharedUsers;
}

bool readGlintTree(const cRegistry& registry, const std::function<uint32_t()>& nodeCount, GlintLEDList& leds) {
    TreeReader reader(registry);
    if (!reader.exists(glintreg::kBaseKey)) {
        yatLog(kTag, leds_texts::kTheLEDPanelBaseKeyIs);
        return false;
    }
    uint32_t commandCount = 0;
    if (!reader.number(glintreg::kBaseKey, "numberofcmds", &commandCount)) {
        yatLog(kTag, leds_texts::kTheLEDPanelHasNoNumber);
        return false;
    }
    if (commandCount > glintreg::kMaxCount) {
        yatLog(kTag, leds_texts::kTheLEDPanelClaimsCommandsMore, commandCount, glintreg::kMaxCount);
        return false;
    }
    for (uint32_t n = 0; n < nodeCount(); ++n) {
        bool room = appendNode(reader, commandCount, static_cast<int32_t>(n), leds);
        int32_t wrongKind = reader.takeWrongKind();
        if (wrongKind > 0) {
            yatLog(kTag, leds_texts::kNodeRegistryValuesOfTheWrong, n, wrongKind);
        }
        if (!room) break;
    }
    return true;
}
