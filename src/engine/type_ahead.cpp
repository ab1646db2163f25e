// The type-ahead ring.
#include "engine/type_ahead.h"

namespace kestrel {

bool TypeAheadQueue::push(const TypeAheadEntry& entry) {
    const int next = write_ + 1 == kSlots ? 0 : write_ + 1;
    if (next == read_) {
        return false;
    }
    ring_[write_] = entry;
    write_ = next;
    return true;
}

std::optional<TypeAheadEntry> TypeAheadQueue::pop() {
    if (empty()) {
        return std::nullopt;
    }
    const TypeAheadEntry entry = ring_[read_];
    read_ = read_ + 1 == kSlots ? 0 : read_ + 1;
    return entry;
}

void TypeAheadQueue::clear() {
    read_ = 0;
    write_ = 0;
    overflowed = false;
}

}  // namespace kestrel
