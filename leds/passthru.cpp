#include "leds/passthru.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/log.h"
#include "yat/bus_comm.h"
#include "yat/codes.h"
#include "yat/result_codes.h"
#include "leds/log_texts.h"

namespace {

// No node asked yet.
constexpr int32_t kNoNode = 99;

uint8_t low(uint32_t value) { return static_cast<uint8_t>(value & 0xFF); }

}  // namespace

uint8_t* cSPPassthru::getGlintInfo(int32_t commandType, const cGlintLED& led, const cGlintSensor& sensor) {
    yatProgress(leds_texts::kProgressGetGlintInfoInRoutine);
    uint8_t data[ledwire::kPassthruDataSize] = {};
    int32_t length = buildPassthruData(led, sensor, data);
    // The record's text is bounded by its buffer even if a host wrote an unterminated one.
    char dotCommand[kGlintDotCommandSize];
    std::memcpy(dotCommand, led.dotCommand, sizeof dotCommand);
    dotCommand[sizeof dotCommand - 1] = '\0';
    yatProgress(leds_texts::kProgressBuildingPassthruData, data[0], data[1], dotCommand);
    return buildSPCommand(dotCommand, commandType, nullptr, data, 0, length);
}

int32_t cSPPassthru::setPassthruLEDStatus(const cGlintSensor& sensor, uint8_t data, int32_t* status) {
    constexpr const char* tag = leds_texts::kTagSetPassthruLEDStatus;
    yatLog(tag, leds_texts::kTheDataIsMaskIs, data, sensor.mask);
    int32_t decided = yat::kLedOn;
    if (data == ledwire::kAllOff || (data & sensor.mask) != sensor.mask) {
        yatLog(tag, leds_texts::kTheLEDIsOff);
        decided = yat::kLedOff;
    } else {
        yatLog(tag, leds_texts::kTheLEDIsOn);
    }
    if (status != nullptr) *status = decided;
    return ERR_SUCCESS;
}

int32_t cI2CPassThru::buildPassthruData(const cGlintLED& led, const cGlintSensor& sensor, uint8_t* data) const {
    data[ledwire::kI2CBus] = low(led.ledbus);
    data[ledwire::kI2CRegAddr] = low(sensor.regaddr);
    data[ledwire::kI2CDeviceTypeLow] = low(led.leddevicetype);
    data[ledwire::kI2CDeviceTypeHigh] = low(led.leddevicetype >> 8);
    data[ledwire::kI2CRegister] = low(led.ledregister);
    data[ledwire::kI2CReadCount] = ledwire::kI2CReadCountValue;
    return ledwire::kI2CLength;
}

int32_t cI2CPassThru::setGlintStatus(GlintLEDList& leds, cBusComm* comm) {
    constexpr const char* tag = leds_texts::kTagCI2CPassThruSetGlintStatus;
    if (comm == nullptr || leds.empty()) return ERR_NO_DEVICE;
    for (cGlintLED& led : leds) {
        bool lit = false;
        for (cGlintSensor& sensor : led.sensors) {
            getGlintInfo(wire::kGet, led, sensor);
            int32_t sent = send(comm, led.node);
            if (sent != ERR_SUCCESS) {
                yatLog(tag, leds_texts::kSendToNodeFailedWithThe, led.node, sent, led.index);
                break;
            }
            if (answerStatus() != SpStatus::kOk) continue;
            ByteReader answer = answerReader();
            if (!answer.has(0, 1)) {
                // Nothing to read: the sensor counts as off for this read.
                yatLog(tag, leds_texts::kTheAnswerForSensorOfLED, sensor.index, led.index);
                sensor.status = yat::kLedOff;
                continue;
            }
            setPassthruLEDStatus(sensor, answer.u8(0), &sensor.status);
            if (sensor.status == yat::kLedOn) lit = true;
        }
        led.state = lit ? yat::kLedOn : yat::kLedOff;
    }
    return ERR_SUCCESS;
}

int32_t cNodePassThru::setGlintStatus(GlintLEDList& leds, cBusComm* comm) {
    constexpr const char* tag = leds_texts::kTagCNodePassThruSetGlintStatus;
    const bool print = printsProgress();
    if (comm == nullptr || leds.empty()) return ERR_NO_DEVICE;
    if (print) yatProgress(leds_texts::kProgressSetGlintStatusInTheRoutine);
    int32_t currentNode = kNoNode;
    const cGlintSensor noSensor{};
    for (cGlintLED& led : leds) {
        if (print) {
            yatProgress(leds_texts::kProgressCurrNode, currentNode, led.getNodeNumber());
        }
        if (led.node != currentNode) {
            getGlintInfo(wire::kSet, led, noSensor);
            if (print) yatProgress(leds_texts::kProgressAboutToCallSendcommand, led.node);
            int32_t sent = send(comm, led.node);
            if (sent != ERR_SUCCESS) {
                if (print) yatProgress(leds_texts::kProgressOverallSendcommandFailed, sent);
                yatLog(tag, leds_texts::kSendToNodeFailedWithLEDs, led.node, sent);
                return sent;
            }
            if (print) yatProgress(leds_texts::kProgressCommandSucceeded);
            if (!answerGood()) {
                if (print) yatProgress(leds_texts::kProgressSendcommandFailed, statusByte(answerStatus()));
                yatLog(tag, leds_texts::kNodeRefusedTheLEDReadStatus, led.node, statusByte(answerStatus()), led.index);
                // The buffer now holds the refusal, not the answer of the node asked before: the next
                // LED asks again whatever its node.
                currentNode = kNoNode;
                continue;
            }
            if (print) yatProgress(leds_texts::kProgressSendcommandSucceeded, 0, 0);
            currentNode = led.node;
        }
        ByteReader answer = answerReader();
        bool lit = false;
        for (cGlintSensor& sensor : led.sensors) {
            if (!answer.has(sensor.regaddr, 1)) {
                // The register address lies outside the answer: off for this read, nothing read past it.
                yatLog(tag, leds_texts::kRegaddrOfLEDLiesBeyondThe, sensor.regaddr, led.index,
                       static_cast<uint32_t>(answer.size()));
                sensor.status = yat::kLedOff;
                continue;
            }
            setPassthruLEDStatus(sensor, answer.u8(sensor.regaddr), &sensor.status);
            if (sensor.status == yat::kLedOn) lit = true;
        }
        led.state = lit ? yat::kLedOn : yat::kLedOff;
    }
    return ERR_SUCCESS;
}

int32_t cDMCPassThru::buildPassthruData(const cGlintLED& led, const cGlintSensor&, uint8_t* data) const {
    data[ledwire::kDMCBus] = low(led.ledbus);
    data[ledwire::kDMCFunction] = ledwire::kReadFunction;
    data[ledwire::kDMCRegister] = low(led.ledregister);
    data[ledwire::kDMCCheck] = ledwire::checkByte(low(led.ledregister));
    return ledwire::kDMCLength;
}

int32_t cH8PassThru::buildPassthruData(const cGlintLED& led, const cGlintSensor&, uint8_t* data) const {
    data[ledwire::kH8Function] = ledwire::kReadFunction;
    data[ledwire::kH8Register] = low(led.ledregister);
    data[ledwire::kH8Check] = ledwire::checkByte(low(led.ledregister));
    return ledwire::kH8Length;
}

int32_t cIPMIPassThru::buildPassthruData(const cGlintLED&, const cGlintSensor&, uint8_t* data) const {
    data[ledwire::kIPMINetFn] = ledwire::kIPMINetFnValue;
    data[ledwire::kIPMICommand] = ledwire::kIPMICommandValue;
    return ledwire::kIPMILength;
}

bool cIPMIPassThru::answerGood() const {
    ByteReader answer = answerReader();
    return answerStatus() == SpStatus::kOk && answer.has(ledwire::kIPMICompletionCode, 1) &&
           answer.u8(ledwire::kIPMICompletionCode) == 0;
}

std::unique_ptr<cSPPassthru> makePassthru(uint32_t busType) {
    switch (busType) {
        case kGlintBusI2C: return std::make_unique<cI2CPassThru>();
        case kGlintBusDMC: return std::make_unique<cDMCPassThru>();
        case kGlintBusIPMI: return std::make_unique<cIPMIPassThru>();
        case kGlintBusH8: return std::make_unique<cH8PassThru>();
        default: return nullptr;
    }
}
