// RC4 (the published ARCFOUR keystream generator): key scheduling, then one
// keystream byte per data byte, with i and j kept between calls.
#include "ssl/rc4.h"

#include <utility>

namespace kestrel {

void Rc4::setKey(const uint8_t* key, size_t length) {
    for (int x = 0; x < 256; ++x) {
        permutation_[x] = uint8_t(x);
    }
    uint8_t j = 0;
    for (size_t x = 0; x < 256; ++x) {
        // An empty key is treated as the single byte 0 rather than divided by.
        const uint8_t keyByte = length > 0 ? key[x % length] : 0;
        j = uint8_t(j + permutation_[x] + keyByte);
        std::swap(permutation_[x], permutation_[j]);
    }
    i_ = 0;
    j_ = 0;
}

void Rc4::crypt(uint8_t* data, size_t length) {
    uint8_t i = i_;
    uint8_t j = j_;
    for (size_t n = 0; n < length; ++n) {
        i = uint8_t(i + 1);
        j = uint8_t(j + permutation_[i]);
        std::swap(permutation_[i], permutation_[j]);
        data[n] ^= permutation_[uint8_t(permutation_[i] + permutation_[j])];
    }
    i_ = i;
    j_ = j;
}

}  // namespace kestrel
