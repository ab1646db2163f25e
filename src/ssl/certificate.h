// The server certificate as the SSL key exchange needs it: a forward walk over
// the DER encoding (ITU-T X.690) of an X.509 certificate (RFC 5280) that takes
// out the subject Name and the RSA public key (RFC 8017 RSAPublicKey), and the
// short text summary of the subject. Nothing is verified: no signature,
// validity, issuer or host name. Every length is checked against the input, so
// no input, however malformed, makes the walk read outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// The header of one DER element.
struct DerElement {
    static constexpr uint8_t kUniversal = 0;
    static constexpr uint8_t kApplication = 1;
    static constexpr uint8_t kContextSpecific = 2;
    static constexpr uint8_t kPrivate = 3;

    uint8_t tagClass = kUniversal;  // the two top bits of the identifier byte
    bool constructed = false;       // bit 5 of the identifier byte
    // The low five bits of the identifier byte; in the high-tag-number form
    // (low bits 31) the low seven bits of the last tag byte.
    uint8_t tag = 0;
    size_t contentOffset = 0;  // from the start of the input
    size_t contentLength = 0;
};

// Reads the element that starts at OFFSET of the LENGTH bytes at DATA.
// Nothing when its identifier or length bytes run past the input, when it uses
// the indefinite length form (0x80, not allowed in DER, X.690 10.1) or the
// reserved form 0xFF, or when its contents end beyond the input.
std::optional<DerElement> readDerElement(const uint8_t* data, size_t length, size_t offset);

enum class CertificateStatus {
    Ok,            // modulus and exponent found
    NoPublicKey,   // the walk ended before the subject public key BIT STRING
    BadPublicKey,  // the BIT STRING holds no usable pair of INTEGERs
};

// A subject Name is kept only when its contents are at most this long.
constexpr size_t kMaxSubjectLength = 1023;

struct ParsedCertificate {
    CertificateStatus status = CertificateStatus::NoPublicKey;
    // The contents of the subject Name; empty when the walk did not reach it
    // or when it is longer than kMaxSubjectLength.
    std::vector<uint8_t> subject;
    // The RSA modulus, big-endian, without leading zero bytes (the sign byte
    // of the INTEGER), and the public exponent as encoded. Both empty unless
    // status is Ok.
    std::vector<uint8_t> modulus;
    std::vector<uint8_t> exponent;
    // Where the public-key algorithm identifier (the OBJECT IDENTIFIER
    // contents) and the public key (the BIT STRING contents after the count
    // of unused bits) lie in the input; zero when not found.
    size_t algorithmOffset = 0;
    size_t algorithmLength = 0;
    size_t publicKeyOffset = 0;
    size_t publicKeyLength = 0;
    // The summary composed from the subject (composeSubjectSummary).
    std::string subjectSummary;
};

// Walks the LENGTH bytes of a DER certificate at DATA. The fields of the
// TBSCertificate are recognised by their order, not decoded: the version, the
// serial number, the signature algorithm, issuer and validity are passed over,
// the subject is copied and the public key is split into modulus and exponent.
ParsedCertificate parseCertificate(const uint8_t* data, size_t length);

// The subject summary: for organisation, unit, common name, locality, state
// and country, in this order, a line "<label><value>\n" for each attribute
// whose value is a PrintableString of 1 to 79 bytes; the first occurrence of
// an attribute type in the subject counts. Labels: "Organisation: ",
// "Unit : ", "Name : ", "Locality : ", "State : ", "Country : ".
std::string composeSubjectSummary(const uint8_t* subject, size_t length);

}  // namespace kestrel
