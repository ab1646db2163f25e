// RecordBuffer: the data bytes of one inbound 3270 record as they arrive.
//
// Data bytes from the telnet layer collect here until IAC EOR hands the record
// to the engine (or, in line mode, until the end of the received segment).
// The capacity is fixed; bytes beyond it are dropped, so an over-long record
// reaches the engine cut short rather than overrunning anything.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrel {

class RecordBuffer {
  public:
    static constexpr size_t kCapacity = 20000;

    // Appends BYTE; returns false, and keeps the buffer as it is, when full.
    bool append(uint8_t byte) {
        if (count_ >= kCapacity) {
            return false;
        }
        bytes_[count_++] = byte;
        return true;
    }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    void clear() { count_ = 0; }

  private:
    std::array<uint8_t, kCapacity> bytes_{};
    size_t count_ = 0;
};

}  // namespace kestrel
