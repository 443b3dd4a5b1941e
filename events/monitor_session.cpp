// One registration's shared state: the gates to the host's objects, the class objects held, the stop
// and the bookkeeping of its threads.

#include "events/monitor_session.h"

#include "events/pfa_stack.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_model.h"

namespace {

// The thread's own slot, set by enter(): which session it belongs to and which thread it is there.
thread_local const MonitorSession* currentSession = nullptr;
thread_local uint32_t currentSlot = 0;

// Takes a use of published (the class's one object, which the model holds a use of) unless held.
template <class T>
void take(T*& held, T* published) {
    if (held != nullptr || published == nullptr) return;
    T* acquired = T::acquireInstance();
    if (acquired == published) {
        held = acquired;
    } else if (acquired != nullptr) {
        T::releaseInstance();  // not the model's object: the model let go meanwhile
    }
}

template <class T>
void letGo(T*& held) {
    if (held != nullptr) T::releaseInstance();
    held = nullptr;
}

}  // namespace

MonitorSession::MonitorSession(cBusComm* comm, cSensorSink* sink, const SensorModel& sensors,
                               std::shared_ptr<PfaStack> pfa, uint32_t threads)
    : comm_(*this, comm), sink_(*this, sink), sensors_(sensors), pfa_(std::move(pfa)), slots_(threads) {
    std::lock_guard<std::mutex> guard(mutex_);
    takeClasses();
}

MonitorSession::~MonitorSession() {
    letGo(classes_.fans);
    letGo(classes_.temps);
    letGo(classes_.volts);
    letGo(classes_.power);
}

void MonitorSession::takeClasses() {
    if (stopped()) return;
    take(classes_.fans, sensors_.fanObject());
    take(classes_.temps, sensors_.temperatureObject());
    take(classes_.volts, sensors_.voltageObject());
    take(classes_.power, sensors_.powerObject());
}

EventTargets MonitorSession::eventTargets() {
    std::lock_guard<std::mutex> guard(mutex_);
    EventTargets targets;
    targets.comm = &comm_;
    targets.sink = sink();
    targets.fans = classes_.fans;
    targets.volts = classes_.volts;
    targets.power = classes_.power;
    targets.pfa = pfa_.get();
    targets.stop = &stop_;
    return targets;
}

PolledClasses MonitorSession::pollingClasses() {
    std::lock_guard<std::mutex> guard(mutex_);
    takeClasses();
    return classes_;
}

void MonitorSession::stop() {
    std::lock_guard<std::mutex> guard(mutex_);
    stop_.raise();
}

void MonitorSession::enter(uint32_t slot) {
    currentSession = this;
    currentSlot = slot;
}

void MonitorSession::leave(uint32_t slot) {
    if (currentSession == this && currentSlot == slot) currentSession = nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    if (slot < slots_.size()) slots_[slot].ended.store(true);
    threadEnded_.notify_all();
}

bool MonitorSession::ended(uint32_t slot) const { return slot >= slots_.size() || slots_[slot].ended.load(); }

int32_t MonitorSession::callerSlot() const { return currentSession == this ? static_cast<int32_t>(currentSlot) : -1; }

bool MonitorSession::waitForThreads(std::chrono::steady_clock::time_point deadline) {
    const int32_t own = callerSlot();
    auto othersEnded = [&] {
        for (uint32_t slot = 0; slot < slots_.size(); ++slot) {
            if (static_cast<int32_t>(slot) != own && !slots_[slot].ended.load()) return false;
        }
        return true;
    };
    std::unique_lock<std::mutex> lock(mutex_);
    if (givenUp_) return othersEnded();
    return threadEnded_.wait_until(lock, deadline, othersEnded);
}

void MonitorSession::giveUp() {
    std::lock_guard<std::mutex> guard(mutex_);
    givenUp_ = true;
}

const char* MonitorSession::place(uint32_t slot) const {
    if (slot >= slots_.size()) return "in the library";
    switch (static_cast<Place>(slots_[slot].place.load())) {
        case Place::kComm: return "in the comm device";
        case Place::kSink: return "in the host's sink";
        case Place::kLibrary: break;
    }
    return "in the library";
}

bool MonitorSession::beginCall(Place place) {
    if (stopped()) return false;
    if (currentSession == this) slots_[currentSlot].place.store(static_cast<int>(place));
    return true;
}

void MonitorSession::endCall() {
    if (currentSession == this) slots_[currentSlot].place.store(static_cast<int>(Place::kLibrary));
}

MonitorSession::GatedComm::GatedComm(MonitorSession& session, cBusComm* host) : session_(session), host_(host) {
    if (host != nullptr) setDeviceID(host->getDeviceID());
}

uint32_t MonitorSession::GatedComm::sendCommand(int32_t node, uint8_t* buffer) {
    if (host_ == nullptr || !session_.beginCall(Place::kComm)) return kCommNotProvided;
    uint32_t result = host_->sendCommand(node, buffer);
    session_.endCall();
    return result;
}

uint32_t MonitorSession::GatedComm::registerForEvents(uint32_t node, uint8_t* buffer) {
    if (host_ == nullptr || !session_.beginCall(Place::kComm)) return kCommEventsStopped;
    uint32_t result = host_->registerForEvents(node, buffer);
    session_.endCall();
    return result;
}

uint32_t MonitorSession::GatedComm::deRegisterForEvents(uint32_t node) {
    if (host_ == nullptr || !session_.beginCall(Place::kComm)) return kCommNotProvided;
    uint32_t result = host_->deRegisterForEvents(node);
    session_.endCall();
    return result;
}

uint32_t MonitorSession::GatedComm::getNodeCount() {
    if (host_ == nullptr || !session_.beginCall(Place::kComm)) return 0;
    uint32_t result = host_->getNodeCount();
    session_.endCall();
    return result;
}

int32_t MonitorSession::GatedSink::reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first,
                                                void* second, void* third, int32_t code, const char* text) {
    if (host_ == nullptr || !session_.beginCall(Place::kSink)) return 0;
    int32_t result = host_->reportSensor(sensorClass, node, sensor, first, second, third, code, text);
    session_.endCall();
    return result;
}

int32_t MonitorSession::GatedSink::addRegistryText(const char* keyPath, const char* text) {
    if (host_ == nullptr || !session_.beginCall(Place::kSink)) return 0;
    int32_t result = host_->addRegistryText(keyPath, text);
    session_.endCall();
    return result;
}

int32_t MonitorSession::GatedSink::findRegistryText(const char* text) {
    if (host_ == nullptr || !session_.beginCall(Place::kSink)) return 0;
    int32_t result = host_->findRegistryText(text);
    session_.endCall();
    return result;
}
