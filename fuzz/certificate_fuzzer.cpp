// Arbitrary bytes as the server's certificate: the walk, the key split and the
// subject summary must stay inside the input and keep their limits.
#include <cstddef>
#include <cstdint>

#include "ssl/certificate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const kestrel::ParsedCertificate parsed = kestrel::parseCertificate(data, size);
    const bool ok = parsed.status == kestrel::CertificateStatus::Ok;
    if (parsed.subject.size() > kestrel::kMaxSubjectLength ||
        parsed.publicKeyOffset + parsed.publicKeyLength > size ||
        parsed.modulus.size() + parsed.exponent.size() > parsed.publicKeyLength ||
        ok == (parsed.modulus.empty() || parsed.exponent.empty()) ||
        parsed.subjectSummary.size() > 6 * (14 + 79 + 1)) {
        __builtin_trap();
    }
    return 0;
}
