// Library entry, the shared library object and its use count.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>

#include "config/account_settings.h"
#include "config/network_settings.h"
#include "config/snmp_settings.h"
#include "events/event_configuration.h"
#include "events/event_log.h"
#include "frame/libyat.h"
#include "leds/led_panel.h"
#include "platform/log.h"
#include "platform/runtime.h"
#include "platform/thread_lib.h"
#include "events/event_monitor.h"
#include "sensors/sensor_model.h"
#include "sysinfo/system_info.h"
#include "yat/result_codes.h"
#include "frame/log_texts.h"

namespace {

// Number of successful opens not yet closed; 0 exactly when sharedInstance is null. Written only
// under libraryMutex.
int32_t instancecounter = 0;
std::unique_ptr<cLibYAT> sharedInstance;

// The last close destroys the object without the library mutex (its threads may need that mutex
// while they are being stopped); an open meanwhile waits until it is gone. Guarded by closingMutex;
// set with libraryMutex held as well, so that an open holding libraryMutex sees it.
bool closing = false;
std::mutex closingMutex;
std::condition_variable closingEnded;

bool closeUnderWay() {
    std::lock_guard<std::mutex> guard(closingMutex);
    return closing;
}

// Takes libraryMutex for an open, after waiting while a last close destroys the object. A caller that
// must not wait (a library thread, which that close may be waiting for; a thread that already holds
// the mutex) gets false while the close runs, with the mutex held all the same.
// (Waits without a limit always end holding the mutex, so their result says nothing.)
bool lockForOpen() {
    for (;;) {
        (void)libraryMutex.lock(-1);
        if (!closeUnderWay()) return true;
        if (cThreadLib::onLibraryThread()) return false;
        libraryMutex.unlock();
        if (libraryMutex.heldByCaller()) {
            (void)libraryMutex.lock(-1);
            return false;
        }
        std::unique_lock<std::mutex> lock(closingMutex);
        closingEnded.wait(lock, [] { return !closing; });
    }
}

// How long the last close waits for threads that closed themselves (or were left behind at a stop)
// to exit: such a thread has finished its work and only returns, unless it is still in a callback
// of the host's, which the stop already waited for up to its bound.
constexpr std::chrono::milliseconds kAbandonedExitWait{1000};

// When no library is open any more: joins the library threads that have ended, so that none still
// runs when the last close returns, then ends the log writer thread.
void stopWriterWhenClosed() {
    {
        QV::MutexLock lock(libraryMutex);
        if (instancecounter != 0) return;
    }
    size_t remaining = cThreadLib::joinAbandoned(std::chrono::steady_clock::now() + kAbandonedExitWait);
    if (remaining != 0)
        yatLog(frame_texts::kTagOpenlibrary, frame_texts::kLibraryThreadsAreStillInHost,
               static_cast<int32_t>(remaining));
    stopLogWriter();
}

}  // namespace

extern "C" int32_t openLibrary(cLibYAT** out, cBusComm* commDevice) {
    ensureRuntimeSettings();
    initLog(kLogFileName);
    yatLog(frame_texts::kTagOpenlibrary, frame_texts::kAboutToTryToCreateLibrary);
    int32_t result = cLibYAT::OpenLib(out, commDevice);
    if (result != ERR_SUCCESS) stopWriterWhenClosed();
    return result;
}

extern "C" int32_t closeLibrary() {
    yatLog(frame_texts::kTagOpenlibrary, frame_texts::kAboutToTryToReleaseLibrary);
    int32_t result = cSPDev::Release();
    // The last close drains the log queue and ends its writer before returning.
    stopWriterWhenClosed();
    return result;
}

int32_t cLibYAT::OpenLib(cLibYAT** out, cBusComm* commDevice) {
    constexpr const char* tag = frame_texts::kTagCLibYATOpenLib;
    if (out == nullptr) {
        // Nowhere to hand the object: create nothing rather than leak a use.
        yatLog(tag, frame_texts::kCalledWithoutAPlaceForThe);
        return ERR_INVALID_PARAMETER;
    }
    const bool open = lockForOpen();
    struct Unlock {
        ~Unlock() { libraryMutex.unlock(); }
    } unlock;
    if (!open) {
        yatLog(tag, frame_texts::kTheLibraryIsBeingClosedNo);
        *out = nullptr;
        return ERR_NO_RESOURCE;
    }
    int32_t result = ERR_SUCCESS;
    yatLog(tag, frame_texts::kGotMutexAndNowAboutTo);
    if (instancecounter != 0) {
        ++instancecounter;
    } else {
        yatLog(tag, frame_texts::kAboutToCreateLibDevice);
        std::unique_ptr<cLibYAT> created;
        try {
            created = std::make_unique<cLibYAT>(commDevice);
        } catch (...) {
            // No memory, or construction failed: ends as an allocation failure; no exception may
            // cross the exported entry point.
            created.reset();
        }
        if (created == nullptr) {
            yatLog(tag, frame_texts::kCouldNotCreateLibDevice);
        } else {
            yatLog(tag, frame_texts::kTheSPDeviceWasOpenedAnd, created->libOk() ? 1 : 0);
            if (created->libOk()) {
                sharedInstance = std::move(created);
                instancecounter = 1;
            } else {
                yatLog(frame_texts::kTagCSPDevOpenLib, frame_texts::kTheSPDeviceWasReleased);
                created.reset();
            }
        }
    }
    yatLog(tag, frame_texts::kAboutToReturn);
    *out = sharedInstance.get();
    if (sharedInstance == nullptr) {
        result = ERR_NO_RESOURCE;
    } else {
        yatLog(tag, frame_texts::kTheSPDeviceWasOpenedNumber, static_cast<int32_t>(sharedInstance->getNodeCount()));
    }
    return result;
}

int32_t cSPDev::Release() {
    std::unique_ptr<cLibYAT> doomed;
    {
        // Held further out on this thread means a library operation on this thread is under way (a
        // sink callback during discovery): the object must outlive it.
        const bool inOperation = libraryMutex.heldByCaller();
        QV::MutexLock lock(libraryMutex);
        yatLog(frame_texts::kTagCSPDevRelease, frame_texts::kCSPDevReleaseBeingCalledWithA, instancecounter);
        if (inOperation && instancecounter == 1) {
            yatLog(frame_texts::kTagCSPDevRelease, frame_texts::kTheLastCloseCameFromInside);
            return kCloseRefused;
        }
        --instancecounter;
        if (instancecounter > 0) return instancecounter;
        yatLog(frame_texts::kTagCSPDevRelease2, frame_texts::kCalledAndReleasingPointer);
        doomed = std::move(sharedInstance);
        instancecounter = 0;
        if (doomed == nullptr) return 0;
        std::lock_guard<std::mutex> guard(closingMutex);
        closing = true;
    }
    // The destructor stops monitoring first: nothing its threads may wait for is held here.
    doomed.reset();
    std::lock_guard<std::mutex> guard(closingMutex);
    closing = false;
    closingEnded.notify_all();
    return 0;
}

cLibYAT::cLibYAT(cBusComm* device)
    : cDeviceLib("EvSPRev", "YAT SEL", "YAT System Event Log", "YAT"), parts_(std::make_unique<Parts>()) {
    constexpr const char* tag = frame_texts::kTagCLibYATCLibYAT2;
    if (device == nullptr) {
        yatLog(tag, frame_texts::kTheCommDeviceWasNull);
    } else {
        yatLog(tag, frame_texts::kTheCommDeviceIsNotNull, device->getDeviceID(), DEVSP);
        if (device->getDeviceID() == DEVSP) {
            yatLog(tag, frame_texts::kSettingLibOkToTrue);
            parts_->libOk = true;
            parts_->commDevice = device;
            parts_->systemInfo = std::make_unique<SystemInfo>(parts_->commDevice, spType);
            parts_->sensorModel = std::make_unique<SensorModel>(parts_->commDevice);
            // Without a summary getSPType probes the SP itself, so a failed read is not the end.
            (void)parts_->systemInfo->initVectoredSystemSummary();
            int32_t type = 0;
            getSPType(&type);
        } else {
            yatLog(tag, frame_texts::kSettingLibOkToFalse);
        }
    }
    if (parts_->systemInfo == nullptr) parts_->systemInfo = std::make_unique<SystemInfo>(nullptr, spType);
    if (parts_->sensorModel == nullptr) parts_->sensorModel = std::make_unique<SensorModel>(nullptr);
    // monitoring: EventMonitor
    parts_->eventMonitor = std::make_unique<EventMonitor>(parts_->commDevice, *parts_->sensorModel);

    // event configuration and system health: EventConfiguration
    parts_->eventConfiguration = std::make_unique<EventConfiguration>(parts_->commDevice);

    // system event log: EventLog
    parts_->eventLog = std::make_unique<EventLog>(parts_->commDevice);

    // network, ports, SMTP, remote alerts: NetworkSettings
    parts_->networkSettings = std::make_unique<NetworkSettings>(parts_->commDevice, *this);

    // SNMP and alert recipients: SnmpSettings
    parts_->snmpSettings = std::make_unique<SnmpSettings>(parts_->commDevice);

    // accounts and password policy: AccountSettings
    parts_->accountSettings = std::make_unique<AccountSettings>(parts_->commDevice);

    // LED panel: LedPanel
    parts_->ledPanel = std::make_unique<LedPanel>(parts_->commDevice, libraryMutex);
}

cLibYAT::~cLibYAT() {
    yatLog(frame_texts::kTagCLibYATCLibYAT, frame_texts::kDestructorCalled);
    parts_->eventMonitor->close();
    parts_->sensorModel->releaseObjects();
    parts_->systemInfo->freeSystemSummary();
    // LED panel: LedPanel
    parts_->ledPanel.reset();

    // event configuration and system health: EventConfiguration
    parts_->eventConfiguration->freeLists();
}

bool cLibYAT::libOk() const { return parts_->libOk; }
cBusComm* cLibYAT::comm() const { return parts_->commDevice; }

uint32_t cLibYAT::getNodeCount() { return parts_->commDevice != nullptr ? parts_->commDevice->getNodeCount() : 0; }

int32_t cLibYAT::getDefaultThresholds(int32_t, int32_t* first, int32_t* second, int32_t* third) {
    if (first != nullptr) *first = 75;
    if (second != nullptr) *second = 100;
    if (third != nullptr) *third = 0;
    return ERR_SUCCESS;
}

int32_t cLibYAT::getTypeSupportLevel(int32_t, int32_t typeCode) {
    if (typeCode == 3) return 3;
    if (typeCode == 6) return 2;
    return 0;
}
