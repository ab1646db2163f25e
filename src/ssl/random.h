// Random bytes for key material, from the operating system's cryptographic
// generator.
#pragma once

#include <cstdint>

namespace kestrel {

uint8_t randomByte();
// Kept for the callers that re-seed; the system generator needs no seed.
void seedRandom();

}  // namespace kestrel
