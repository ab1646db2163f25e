// SHA-1 message digest (FIPS 180-1). Caller-owned state, no heap: init, any
// number of updates, then final writes the 20-byte digest.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

class Sha1 {
  public:
    static constexpr size_t kDigestSize = 20;

    Sha1() { init(); }
    void init();
    void update(const uint8_t* data, size_t length);
    void final(uint8_t digest[kDigestSize]);

  private:
    uint32_t state_[5];
    uint64_t bitCount_;
    uint8_t block_[64];
};

}  // namespace kestrel
