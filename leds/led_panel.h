#pragma once
// LedPanel: the library's diagnostic LED panel and locator light. It owns the LED list that initGlint
// builds once from the LED panel registry tree (leds/glint_registry.h) and that getGlintStatus reads
// through passthru commands (leds/passthru.h) and copies to the host.
//
// Ownership: one per library object, created by its constructor and destroyed by its destructor
// (which frees the LED list). The comm device is not owned; it may be null, and then every operation
// answers its "no comm device" result.
//
// Threads: any host thread. initGlint reads the registry file first, without any lock, and then
// holds the library mutex while it builds the list (no file I/O under it). The LED list has a lock
// of its own that is never held across an SP command: getGlintStatus reads the states into a copy and
// puts them back, so concurrent calls never see a torn list.

#include <cstdint>
#include <mutex>

#include "platform/qv.h"
#include "yat/host_records.h"
#include "yat/led_records.h"

class cBusComm;

class LedPanel {
public:
    LedPanel(cBusComm* comm, QV::Mutex& libraryMutex);
    LedPanel(const LedPanel&) = delete;
    LedPanel& operator=(const LedPanel&) = delete;

    // Builds the LED list from the registry tree, once: one record per configured LED for every
    // node. Returns ERR_SUCCESS when the list holds records afterwards (at once, without reading
    // the registry, when it already did); ERR_NO_DEVICE (9) without comm device, or when the
    // registry file is missing, unreadable or not a regular file (a FIFO or device in its place is
    // refused without waiting on it), lacks the base key or "numberofcmds", or describes no LED (a
    // later call tries again).
    [[nodiscard]] int32_t initGlint();

    // Reads every LED's state with the class of the first LED's bus type and copies the list, with
    // the states found, into *leds (replacing its contents). Returns:
    //   ERR_NO_DEVICE (9)           no comm device (*leds untouched)
    //   ERR_INVALID_PARAMETER (12)  leds is null (nothing sent)
    //   ERR_FAILED (1)              the LED list is empty (an empty list is copied)
    //   ERR_BAD_ANSWER (2)          the first LED's bus type is not 1 to 4 (the list is copied as it
    //                               stands)
    //   otherwise the status routine's result (ERR_SUCCESS, or a failed send's transport code for bus
    //   types 2 to 4).
    [[nodiscard]] int32_t getGlintStatus(GlintLEDList* leds);

    // Reads node's locator light into *state with "d.7" (log tag "cLibYAT::getBluelightStatus").
    // Returns ERR_SUCCESS; ERR_FAILED (1) without comm device or when the answer's status is not
    // SpStatus::kOk; ERR_INVALID_PARAMETER (12) when state is null; the transport code when the send
    // fails;
    // ERR_BAD_ANSWER (2) when the answer fails the answer check or has no data byte.
    [[nodiscard]] int32_t getBluelightStatus(int32_t node, int32_t* state);
    // Sets node's locator light to the low byte of value. Returns ERR_SUCCESS; ERR_FAILED (1)
    // without comm device or when the answer's status is not SpStatus::kOk; the transport code when
    // the send fails.
    [[nodiscard]] int32_t setBluelightStatus(int32_t node, int32_t value);

    // A copy of the LED list (tools and tests).
    GlintLEDList leds() const;

private:
    bool built() const;  // the list holds records

    cBusComm* comm_;
    QV::Mutex& libraryMutex_;
    mutable std::mutex listMutex_;  // guards leds_
    GlintLEDList leds_;
};
