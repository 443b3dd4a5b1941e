// The PFA event stack, under its own lock.

#include "events/pfa_stack.h"

#include "yat/pfa_records.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "events/log_texts.h"

int32_t PfaStack::push(int32_t memoryCard, int32_t dimm, int32_t condition, int32_t nodeIndex) {
    std::lock_guard<std::mutex> lock(mutex_);
    yatLog(events_texts::kTagCLibYATAddPFAStackElement, events_texts::kInRoutineWithStackPos, position_);
    if (position_ + 1 >= kCapacity) return ERR_EMPTY;
    ++position_;
    entries_[static_cast<size_t>(position_)] = Entry{memoryCard, dimm, condition, nodeIndex};
    return ERR_SUCCESS;
}

int32_t PfaStack::pop(PFAEventInfo* out) {
    constexpr const char* tag = events_texts::kTagCLibYATGetPFAStackElement;
    std::lock_guard<std::mutex> lock(mutex_);
    yatLog(tag, events_texts::kInRoutineWithStackPos, position_);
    int32_t result = ERR_EMPTY;
    if (position_ >= 0 && out != nullptr) {
        const Entry& entry = entries_[static_cast<size_t>(position_)];
        out->memoryCard = entry.memoryCard;
        out->dimm = entry.dimm;
        out->condition = entry.condition;
        out->node = entry.nodeIndex;
        out->valid = 1;
        --position_;
        result = ERR_SUCCESS;
    }
    yatLog(tag, events_texts::kReturningFromGetPFAStackElement);
    return result;
}

int32_t PfaStack::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return position_ + 1;
}
