#pragma once
// Passthru commands: requests the SP forwards to the device behind it (an I2C device, a DMC, an IPMI
// or an H8 controller), used to read the diagnostic LED states. One class per bus type; the data
// layouts are in leds/led_wire.h.
//
// A passthru object is a short-lived local of one getGlintStatus call, used by one thread. Its
// status routine updates the LED list it is given in place: each sensor entry's status (1 on, 0
// off) and each LED's state (1 lit when any of its sensors is on, else 0). Entries whose read
// failed keep their previous values as described per class. Progress lines go to standard output,
// as the host expects.

#include <cstdint>
#include <memory>

#include "commands/sp_cmd.h"
#include "leds/led_wire.h"
#include "yat/led_records.h"

class cBusComm;

class cSPPassthru : public cSPCmd {
public:
    // makePassthru hands out the classes below through a pointer to this one.
    virtual ~cSPPassthru() = default;

    // The status routine: reads the states of every LED of leds through comm, whatever each LED's
    // own bus type (the caller chose the class). Returns ERR_NO_DEVICE (9) without comm device or
    // for an empty list; otherwise see each class.
    [[nodiscard]] virtual int32_t setGlintStatus(GlintLEDList& leds, cBusComm* comm) = 0;
    // The data builder: fills data (kPassthruDataSize bytes, zeroed by the caller) for one request
    // about led (and sensor, for classes that read one sensor per request); returns the length.
    [[nodiscard]] virtual int32_t buildPassthruData(const cGlintLED& led, const cGlintSensor& sensor,
                                                    uint8_t* data) const = 0;

    // Builds one passthru request of commandType on led's dot command with the class's data.
    // Returns the buffer, or null (nothing sendable; send() then returns ERR_INVALID_PARAMETER
    // (12)) for a malformed dot command.
    uint8_t* getGlintInfo(int32_t commandType, const cGlintLED& led, const cGlintSensor& sensor);

    // Decides one sensor from its data byte: yat::kLedOn when the byte is not 0xFF and has every bit
    // of the sensor's mask set, else yat::kLedOff. Stores the decision in *status (when not null);
    // returns ERR_SUCCESS.
    static int32_t setPassthruLEDStatus(const cGlintSensor& sensor, uint8_t data, int32_t* status);
};

// Bus type 1: one get request per sensor entry; the first answer data byte is the sensor's byte. A
// failed send ends the reading of that LED's sensors (the LED's state follows those read so far)
// and the routine goes on with the next LED; a refused answer leaves that sensor's status as it
// was. Returns ERR_SUCCESS.
class cI2CPassThru final : public cSPPassthru {
public:
    [[nodiscard]] int32_t setGlintStatus(GlintLEDList& leds, cBusComm* comm) override;
    [[nodiscard]] int32_t buildPassthruData(const cGlintLED& led, const cGlintSensor& sensor,
                                            uint8_t* data) const override;
};

// Bus types 2, 3, 4: one set request per change of node serves every LED of that node; each sensor
// reads the answer data byte at its regaddr. A failed send ends the routine with the send's result
// (LEDs not reached keep their values); a bad answer skips that LED (it keeps its values) and the
// next LED asks again, whatever its node. A sensor whose regaddr lies at or past the end of the
// answer data counts as off for that read. Returns ERR_SUCCESS otherwise.
class cNodePassThru : public cSPPassthru {
public:
    [[nodiscard]] int32_t setGlintStatus(GlintLEDList& leds, cBusComm* comm) override;

protected:
    // Whether the answer just received can be read.
    virtual bool answerGood() const { return answerStatus() == SpStatus::kOk; }
    // Whether the routine prints its progress lines (the IPMI class does).
    virtual bool printsProgress() const { return false; }
};

class cDMCPassThru final : public cNodePassThru {
public:
    [[nodiscard]] int32_t buildPassthruData(const cGlintLED& led, const cGlintSensor& sensor,
                                            uint8_t* data) const override;
};

class cH8PassThru final : public cNodePassThru {
public:
    [[nodiscard]] int32_t buildPassthruData(const cGlintLED& led, const cGlintSensor& sensor,
                                            uint8_t* data) const override;
};

// Good answer: status 0 and completion code (A[0]) 0.
class cIPMIPassThru final : public cNodePassThru {
public:
    [[nodiscard]] int32_t buildPassthruData(const cGlintLED& led, const cGlintSensor& sensor,
                                            uint8_t* data) const override;

protected:
    bool answerGood() const override;
    bool printsProgress() const override { return true; }
};

// The class that reads bus type busType (1 I2C, 2 DMC, 3 IPMI, 4 H8), or null for another type.
std::unique_ptr<cSPPassthru> makePassthru(uint32_t busType);
