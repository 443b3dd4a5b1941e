#include "leds/led_panel.h"

#include <memory>

#include "leds/blue_light.h"
#include "leds/glint_registry.h"
#include "leds/passthru.h"
#include "platform/log.h"
#include "yat/bus_comm.h"
#include "yat/result_codes.h"

LedPanel::LedPanel(cBusComm* comm, QV::Mutex& libraryMutex) : comm_(comm), libraryMutex_(libraryMutex) {}

bool LedPanel::built() const {
    std::lock_guard<std::mutex> guard(listMutex_);
    return !leds_.empty();
}

int32_t LedPanel::initGlint() {
    constexpr const char* tag = "cLibYAT::initGlint";
    if (comm_ == nullptr) {
        yatLog(tag, "no comm device");
        return ERR_NO_DEVICE;
    }
    if (built()) return ERR_SUCCESS;
    // The file is read before the library mutex is taken: no file I/O ever happens under it.
    const GlintRegistrySource source = cGLSuppRegistry::readSource();
    QV::MutexLock lock(libraryMutex_);
    if (built()) return ERR_SUCCESS;  // another caller built the list meanwhile
    GlintLEDList built;
    cGLSuppRegistry* registry = nullptr;
    int32_t acquired = cGLSuppRegistry::acquire(&registry, source);
    if (acquired != ERR_SUCCESS) {
        yatLog(tag, "the LED panel registry is not available (result [%d])", acquired);
    } else {
        // A tree that cannot be read appends nothing, and an empty list is this operation's failure.
        (void)readGlintTree(
            *registry, [this] { return comm_->getNodeCount(); }, built);
        cGLSuppRegistry::release();
    }
    yatLog(tag, "built [%d] LED records", static_cast<int32_t>(built.size()));
    std::lock_guard<std::mutex> guard(listMutex_);
    leds_ = std::move(built);
    return leds_.empty() ? ERR_NO_DEVICE : ERR_SUCCESS;
}

int32_t LedPanel::getGlintStatus(GlintLEDList* host) {
    constexpr const char* tag = "cLibYAT::getGlintStatus";
    if (comm_ == nullptr) {
        yatLog(tag, "no comm device");
        return ERR_NO_DEVICE;
    }
    if (host == nullptr) {
        yatLog(tag, "the host's LED list is null; nothing read");
        return ERR_INVALID_PARAMETER;
    }
    GlintLEDList work = leds();
    int32_t result = ERR_FAILED;
    if (!work.empty()) {
        uint32_t busType = work.front().ledbustype;
        std::unique_ptr<cSPPassthru> passthru = makePassthru(busType);
        if (passthru == nullptr) {
            yatLog(tag, "the first LED has bus type [%u], which no passthru class reads", busType);
            result = ERR_BAD_ANSWER;
        } else {
            result = passthru->setGlintStatus(work, comm_);
            std::lock_guard<std::mutex> guard(listMutex_);
            // The list is built once and never changes afterwards, so same size means same records.
            if (leds_.size() == work.size()) leds_ = work;
        }
        yatLog(tag, "read [%d] LEDs with bus type [%u]: result [%d]", static_cast<int32_t>(work.size()), busType,
               result);
    } else {
        yatLog(tag, "the LED list is empty");
    }
    *host = std::move(work);
    return result;
}

int32_t LedPanel::getBluelightStatus(int32_t node, int32_t* state) {
    constexpr const char* tag = "cLibYAT::getBluelightStatus";
    yatLog(tag, "in the method");
    if (comm_ == nullptr) return ERR_FAILED;
    yatLog(tag, "device is not NULL");
    if (state == nullptr) {
        yatLog(tag, "state is NULL");
        return ERR_INVALID_PARAMETER;
    }
    yatLog(tag, "state not NULL");
    cSPBlueLight light;
    light.buildGet();
    int32_t sent = light.send(comm_, node);
    if (sent != ERR_SUCCESS) return sent;
    yatLog(tag, "command succeeded and getting state");
    return light.getStateData(state);
}

int32_t LedPanel::setBluelightStatus(int32_t node, int32_t value) {
    if (comm_ == nullptr) return ERR_FAILED;
    cSPBlueLight light;
    light.buildSet(value);
    int32_t sent = light.send(comm_, node);
    if (sent != ERR_SUCCESS) return sent;
    return light.answerStatus() != SpStatus::kOk ? ERR_FAILED : ERR_SUCCESS;
}

GlintLEDList LedPanel::leds() const {
    std::lock_guard<std::mutex> guard(listMutex_);
    return leds_;
}
