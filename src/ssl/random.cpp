// Random bytes from the kernel's cryptographic generator, getrandom(2). There
// is no fallback to anything predictable: if the kernel cannot give random
// bytes the program stops rather than send guessable key material.
#include "ssl/random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace kestrel {

uint8_t randomByte() {
    uint8_t byte = 0;
    for (;;) {
        // Without GRND_NONBLOCK the call waits until the kernel pool is
        // initialised; requests of up to 256 bytes are not cut short once it is.
        const ssize_t got = getrandom(&byte, 1, 0);
        if (got == 1) {
            return byte;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        std::fputs("kestrel: the system random generator failed\n", stderr);
        std::abort();
    }
}

void seedRandom() {
    // The kernel generator seeds itself.
}

}  // namespace kestrel
