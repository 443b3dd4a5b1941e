#pragma once
// NodeState: everything the simulated SP of one node knows. It is made of sections, one plain struct
// per part of the scenario ("system", "firmware", "vpd", ...), each filled by its loader and read and
// changed by the command handlers of its family, plus the store of VPD images that every "4.3.5..."
// read is answered from (several sections put images there).
//
// A section type T is any copyable struct; section<T>() finds it by type. NodeState copies deeply,
// so a Scenario can be copied and the copy changed freely. Not thread-safe by itself: SimBusComm
// serialises all access.

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeindex>
#include <utility>

#include "sim/dotted.h"

namespace yatsim {

// One VPD or firmware image as the SP reads it out.
struct VpdDevice {
    Bytes image;
    // The longest read the device accepts in one request (offset/length reads); a longer one is
    // refused with status 7. 0: no limit.
    uint32_t maxReadLength = 0;
};

class NodeState {
public:
    explicit NodeState(uint32_t index = 0) : index_(index) {}
    NodeState(const NodeState& other) : index_(other.index_), vpd_(other.vpd_) { copySections(other); }
    NodeState& operator=(const NodeState& other) {
        if (this != &other) {
            index_ = other.index_;
            vpd_ = other.vpd_;
            sections_.clear();
            copySections(other);
        }
        return *this;
    }
    NodeState(NodeState&&) = default;
    NodeState& operator=(NodeState&&) = default;

    uint32_t index() const { return index_; }
    void setIndex(uint32_t index) { index_ = index; }

    // Stores (or replaces) the section of type T.
    template <class T>
    T& install(T value) {
        auto holder = std::make_unique<Holder<T>>(std::move(value));
        T& stored = holder->value;
        sections_[std::type_index(typeid(T))] = std::move(holder);
        return stored;
    }
    template <class T>
    bool has() const {
        return sections_.count(std::type_index(typeid(T))) != 0;
    }
    // The section of type T; std::logic_error when the scenario has no loader for it.
    template <class T>
    T& section() {
        auto it = sections_.find(std::type_index(typeid(T)));
        if (it == sections_.end()) throw std::logic_error("simulator: node section not installed");
        return static_cast<Holder<T>&>(*it->second).value;
    }
    template <class T>
    const T& section() const {
        return const_cast<NodeState*>(this)->section<T>();
    }

    // VPD and firmware images by dotted command ("4.3.5.2.1").
    std::map<std::string, VpdDevice>& vpdDevices() { return vpd_; }
    const std::map<std::string, VpdDevice>& vpdDevices() const { return vpd_; }

private:
    struct HolderBase {
        virtual ~HolderBase() = default;
        virtual std::unique_ptr<HolderBase> clone() const = 0;
    };
    template <class T>
    struct Holder final : HolderBase {
        explicit Holder(T v) : value(std::move(v)) {}
        std::unique_ptr<HolderBase> clone() const override { return std::make_unique<Holder>(value); }
        T value;
    };

    void copySections(const NodeState& other) {
        for (const auto& [type, holder] : other.sections_) sections_.emplace(type, holder->clone());
    }

    uint32_t index_;
    std::map<std::string, VpdDevice> vpd_;
    std::map<std::type_index, std::unique_ptr<HolderBase>> sections_;
};

}  // namespace yatsim
