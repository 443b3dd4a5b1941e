// Fuzzes the readers of the SNMP, alert recipient, account and login-setting answers: a comm device
// answers every request by writing the input over the whole buffer (any header, any claimed data
// length, texts without terminators), then every get operation runs over it. Host buffers are
// exactly their stated sizes, so any write past them is caught.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/library_fuzz_input.h"
#include "config/account_settings.h"
#include "config/account_wire.h"
#include "config/snmp_settings.h"
#include "yat/bus_comm.h"

namespace {

class FuzzComm final : public cBusComm {
public:
    FuzzComm(const uint8_t* data, size_t size) : data_(data), size_(size) { setDeviceID(99); }
    uint32_t sendCommand(int32_t, uint8_t* buffer) override {
        // Successive requests see successive slices, so different items get different answers.
        size_t count = size_ < 4096 ? size_ : 4096;
        if (count > 0) {
            size_t start = (offset_ * 7) % size_;
            size_t first = count < size_ - start ? count : size_ - start;
            std::memcpy(buffer, data_ + start, first);
            std::memcpy(buffer + first, data_, count - first);
        }
        ++offset_;
        return 0;
    }
    uint32_t registerForEvents(uint32_t, uint8_t*) override { return 10; }
    uint32_t deRegisterForEvents(uint32_t) override { return 0; }
    uint32_t getNodeCount() override { return 1; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::quietLibraryLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)accountwire::decodeDialinAuthority(data, size);
    (void)accountwire::decodeDialinFlags(data, size);

    FuzzComm comm(data, size);
    SnmpSettings snmp(&comm);
    AccountSettings accounts(&comm);
    auto textA = std::make_unique<char[]>(47);
    auto textB = std::make_unique<char[]>(47);
    int32_t value = 0, flags = 0, type = 0;
    (void)snmp.getSNMPConfiguration(0, textA.get(), &value, textB.get(), &value, &flags, &flags);
    auto name = std::make_unique<char[]>(16);
    auto address = std::make_unique<char[]>(64);
    (void)snmp.getSNMPCommunityConfiguration(0, 1, name.get(), &value, &value);
    (void)snmp.getSNMPCommunityIP(0, 2, 1, address.get(), &value);
    auto description = std::make_unique<char[]>(64);
    auto destination = std::make_unique<char[]>(49);
    auto host = std::make_unique<char[]>(63);
    auto userId = std::make_unique<char[]>(63);
    for (uint32_t recipient : {0u, 11u}) {
        (void)snmp.getOOBAlertConfiguration(0, recipient, &type, description.get(), &value, destination.get(), &value,
                                            host.get(), &value, userId.get(), &value, &value, &flags, &flags);
    }
    auto authority = std::make_unique<char[]>(14);
    auto accountId = std::make_unique<char[]>(16);
    int32_t status = 0, bitmap = 0;
    (void)accounts.getUserAccount(0, 3, &status, &type, authority.get(), &value, &bitmap, &value, accountId.get(),
                                  &value, &value);
    uint8_t force = 0, required = 0;
    int32_t age = 0, reuse = 0;
    (void)accounts.getPasswordInformation(0, &force, &age, &reuse, &required);
    (void)accounts.getLoginPolicyValue(0, &value);
    // The set operations read before some writes (alert type, DIALIN_FLAGS).
    int32_t readOnly = 3;
    (void)accounts.setUserAccount(0, 1, nullptr, &readOnly, nullptr, nullptr, nullptr);
    (void)snmp.setOOBAlertConfiguration(0, 2, nullptr, nullptr, "d", "h", "u", "p", nullptr, nullptr);
    return 0;
}
