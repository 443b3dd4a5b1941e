#pragma once
// The comm device contract between a host and this library. The host derives its own device from
// cBusComm and hands it to openLibrary; the library only calls it. The layout (two host-private
// words around deviceID and libFileName) and the slot order of the four virtual operations are part
// of the binary interface and must not change.

#include <cstdint>
#include <cstring>

// Results of the comm device's operations that the library tells apart. Any other non-zero result of
// sendCommand is the device's own transport code: the library passes it on unchanged as the result
// of the operation that sent the command, so a device should use codes that do not collide with the
// library's own (yat/result_codes.h) when the host must tell them apart.
inline constexpr uint32_t kCommSuccess = 0;         // sendCommand: the answer is in the buffer;
                                                    // registerForEvents: an event is in the buffer
inline constexpr uint32_t kCommNotProvided = 1;     // the base behaviour of every operation
inline constexpr uint32_t kCommEventsStopped = 10;  // registerForEvents, once deRegisterForEvents stopped the node

class cBusComm {
public:
    cBusComm() = default;
    cBusComm(const cBusComm& other) = default;
    cBusComm& operator=(const cBusComm& other) = default;

    // Slot 0. Sends the 4096-byte request in buffer to the SP of node; on kCommSuccess the SP's answer
    // has been written into the same buffer. Any other value means there is no usable answer.
    virtual uint32_t sendCommand(int32_t node, uint8_t* buffer) {
        (void)node;
        (void)buffer;
        return kCommNotProvided;
    }
    // Slot 1. Blocks until the node's SP reports an asynchronous event (written into buffer, command
    // type 5) and returns kCommSuccess; returns kCommEventsStopped once deRegisterForEvents stopped
    // delivery for the node.
    virtual uint32_t registerForEvents(uint32_t node, uint8_t* buffer) {
        (void)node;
        (void)buffer;
        return kCommNotProvided;
    }
    // Slot 2. Stops event delivery for node so that a blocked registerForEvents returns.
    virtual uint32_t deRegisterForEvents(uint32_t node) {
        (void)node;
        return kCommNotProvided;
    }
    // Slot 3. Number of SP nodes the device reaches; nodes are numbered from 0.
    virtual uint32_t getNodeCount() { return 0; }

    int32_t getDeviceID() const { return deviceID; }
    char* getLibFileName() { return libFileName; }

protected:
    void setDeviceID(int32_t id) { deviceID = id; }

    uint32_t hostWord0 = 0;  // host-private, copied but never read by the library
    int32_t deviceID = 0;
    char libFileName[128] = {};
    uint32_t hostWord1 = 0;  // host-private, copied but never read by the library
};

// Other comm device kinds of the same family. The library never creates or uses them; only their
// member-wise copies are part of the shared header.
class cLM78Bus : public cBusComm {
public:
    cLM78Bus() = default;
    cLM78Bus(const cLM78Bus& other) = default;
    cLM78Bus& operator=(const cLM78Bus& other) = default;

protected:
    uint32_t lm78Values[6] = {};
};

class cH8Dev : public cBusComm {
public:
    cH8Dev() = default;
    cH8Dev(const cH8Dev& other) = default;
    cH8Dev& operator=(const cH8Dev& other) = default;

protected:
    uint32_t h8Values[4] = {};
};
