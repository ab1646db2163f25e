// MD5 message digest (RFC 1321). Caller-owned state, no heap: init, any number
// of updates, then final writes the 16-byte digest.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

class Md5 {
  public:
    static constexpr size_t kDigestSize = 16;

    Md5() { init(); }
    void init();
    void update(const uint8_t* data, size_t length);
    void final(uint8_t digest[kDigestSize]);

  private:
    uint32_t state_[4];
    uint64_t bitCount_;
    uint8_t block_[64];
};

}  // namespace kestrel
