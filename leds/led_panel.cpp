#include "leds/led_panel.h"

#include <memory>

#include "leds/blue_light.h"
#include "leds/glint_registry.h"
#include "leds/passthru.h"
#include "platform/log.h"
#include "yat/bus_comm.h"
#include "yat/result_codes.h"
#include "leds/log_texts.h"

LedPanel::LedPanel(cBusComm* comm, QV::Mutex& libraryMutex) : comm_(comm), libraryMutex_(libraryMutex) {}

bool LedPanel::built() const {
    std::lock_guard<std::mutex> guard(listMutex_);
    return !leds_.empty();
}

int32_t LedPanel::initGlint() {
    constexpr const char* tag = leds_texts::kTagCLibYATInitGlint;
    if (comm_ == nullptr) {
        yatLog(tag, leds_texts::kNoCommDevice);
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
        yatLog(tag, leds_texts::kTheLEDPanelRegistryIsNot, acquired);
    } else {
        // A tree that cannot be read appends nothing, and an empty list is this operation's failure.
        (void)readGlintTree(
            *registry, [this] { return comm_->getNodeCount(); }, built);
        cGLSuppRegistry::release();
    }
    yatLog(tag, leds_texts::kBuiltLEDRecords, static_cast<int32_t>(built.size()));
    std::lock_guard<std::mutex> guard(listMutex_);
    leds_ = std::move(built);
    return leds_.empty() ? ERR_NO_DEVICE : ERR_SUCCESS;
}

int32_t LedPanel::getGlintStatus(GlintLEDList* host) {
    constexpr const char* tag = leds_texts::kTagCLibYATGetGlintStatus;
    if (comm_ == nullptr) {
        yatLog(tag, leds_texts::kNoCommDevice);
        return ERR_NO_DEVICE;
    }
    if (host == nullptr) {
        yatLog(tag, leds_texts::kTheHostSLEDListIs);
        return ERR_INVALID_PARAMETER;
    }
    GlintLEDList work = leds();
    int32_t result = ERR_FAILED;
    if (!work.empty()) {
        uint32_t busType = work.front().ledbustype;
        std::unique_ptr<cSPPassthru> passthru = makePassthru(busType);
        if (passthru == nullptr) {
            yatLog(tag, leds_texts::kTheFirstLEDHasBusType, busType);
            result = ERR_BAD_ANSWER;
        } else {
            result = passthru->setGlintStatus(work, comm_);
            std::lock_guard<std::mutex> guard(listMutex_);
            // The list is built once and never changes afterwards, so same size means same records.
            if (leds_.size() == work.size()) leds_ = work;
        }
        yatLog(tag, leds_texts::kReadLEDsWithBusTypeResult, static_cast<int32_t>(work.size()), busType, result);
    } else {
        yatLog(tag, leds_texts::kTheLEDListIsEmpty);
    }
    *host = std::move(work);
    return result;
}

int32_t LedPanel::getBluelightStatus(int32_t node, int32_t* state) {
    constexpr const char* tag = leds_texts::kTagCLibYATGetBluelightStatus;
    yatLog(tag, leds_texts::kInTheMethod);
    if (comm_ == nullptr) return ERR_FAILED;
    yatLog(tag, leds_texts::kDeviceIsNotNULL);
    if (state == nullptr) {
        yatLog(tag, leds_texts::kStateIsNULL);
        return ERR_INVALID_PARAMETER;
    }
    yatLog(tag, leds_texts::kStateNotNULL);
    cSPBlueLight light;
    light.buildGet();
    int32_t sent = light.send(comm_, node);
    if (sent != ERR_SUCCESS) return sent;
    yatLog(tag, leds_texts::kCommandSucceededAndGettingState);
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
