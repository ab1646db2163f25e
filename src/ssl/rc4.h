// RC4 keystream cipher: one state per direction; crypt XORs the keystream into
// the bytes in place, so encryption and decryption are the same operation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

class Rc4 {
  public:
    void setKey(const uint8_t* key, size_t length);
    void crypt(uint8_t* data, size_t length);

  private:
    uint8_t permutation_[256] = {};
    uint8_t i_ = 0;
    uint8_t j_ = 0;
};

}  // namespace kestrel
