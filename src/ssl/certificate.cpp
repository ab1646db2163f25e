// The certificate walk: one DER element reader, a descend/skip rule, and a
// small state table that counts the TBSCertificate fields (RFC 5280 4.1) by
// their order. The walk is flat and iterative, so deep nesting costs nothing
// and every step moves forward by at least the two header bytes.
#include "ssl/certificate.h"

#include <algorithm>

namespace kestrel {

namespace {

// Universal tag numbers (X.680 8.4).
constexpr uint8_t kInteger = 2;
constexpr uint8_t kBitString = 3;
constexpr uint8_t kObjectIdentifier = 6;
constexpr uint8_t kSequence = 16;
constexpr uint8_t kSet = 17;
constexpr uint8_t kPrintableString = 19;

// Continue at the first content byte, or after the contents.
enum class Step { Descend, Skip };

// Constructed containers are entered, everything else passed over. Context-
// specific elements are entered too: in a certificate they are the explicit
// tags [0] version and [3] extensions.
Step defaultStep(const DerElement& element) {
    if (element.tagClass == DerElement::kContextSpecific) {
        return Step::Descend;
    }
    if (element.tagClass == DerElement::kUniversal &&
        (element.tag == kSequence || element.tag == kSet)) {
        return Step::Descend;
    }
    return Step::Skip;
}

bool isUniversal(const DerElement& element, uint8_t tag) {
    return element.tagClass == DerElement::kUniversal && element.tag == tag;
}

// The fields of the TBSCertificate the walk expects next.
enum class Field {
    VersionOrSerial,  // the version inside [0], or the serial when v1 omits the version
    Serial,
    SignatureAlgorithm,
    Issuer,
    Validity,
    Subject,
    KeyAlgorithm,
    PublicKey,
    Done,
};

enum class Action {
    Count,            // the element takes its default step
    SkipWhole,        // a whole SEQUENCE passed over
    CopySubject,      // passed over, its contents kept as the subject
    RecordAlgorithm,  // the public-key algorithm identifier
    RecordPublicKey,  // the subject public key; the walk ends
};

struct Transition {
    Field field;
    uint8_t tag;  // universal class
    Action action;
    Field next;
};

// Elements a state does not name take their default step and leave the state.
constexpr Transition kTransitions[] = {
    {Field::VersionOrSerial, kInteger, Action::Count, Field::Serial},
    {Field::Serial, kInteger, Action::Count, Field::SignatureAlgorithm},
    // Version 1 certificates: the first INTEGER was the serial number.
    {Field::Serial, kSequence, Action::SkipWhole, Field::Issuer},
    {Field::SignatureAlgorithm, kSequence, Action::SkipWhole, Field::Issuer},
    {Field::Issuer, kSequence, Action::SkipWhole, Field::Validity},
    {Field::Validity, kSequence, Action::SkipWhole, Field::Subject},
    {Field::Subject, kSequence, Action::CopySubject, Field::KeyAlgorithm},
    {Field::KeyAlgorithm, kObjectIdentifier, Action::RecordAlgorithm, Field::PublicKey},
    {Field::PublicKey, kBitString, Action::RecordPublicKey, Field::Done},
};

const Transition* findTransition(Field field, const DerElement& element) {
    for (const Transition& transition : kTransitions) {
        if (transition.field == field && isUniversal(element, transition.tag)) {
            return &transition;
        }
    }
    return nullptr;
}

// RSAPublicKey ::= SEQUENCE { modulus INTEGER, publicExponent INTEGER }
// (RFC 8017 A.1.1), walked with the same rule: the first INTEGER is the
// modulus, the second the exponent.
bool splitPublicKey(const uint8_t* key, size_t length, ParsedCertificate& result) {
    std::vector<uint8_t>* const targets[] = {&result.modulus, &result.exponent};
    size_t found = 0;
    size_t position = 0;
    while (position < length && found < 2) {
        const auto element = readDerElement(key, length, position);
        if (!element) {
            break;
        }
        if (isUniversal(*element, kInteger)) {
            const uint8_t* contents = key + element->contentOffset;
            targets[found++]->assign(contents, contents + element->contentLength);
        }
        position = defaultStep(*element) == Step::Descend
                       ? element->contentOffset
                       : element->contentOffset + element->contentLength;
    }
    // The modulus is positive, so DER puts a zero sign byte before a top byte
    // of 128 or more. The key length k (RFC 8017) counts the modulus bytes
    // without it, whatever the parity of the encoded length.
    auto& modulus = result.modulus;
    modulus.erase(modulus.begin(), std::find_if(modulus.begin(), modulus.end(),
                                                [](uint8_t byte) { return byte != 0; }));
    if (found < 2 || modulus.empty() || result.exponent.empty()) {
        result.modulus.clear();
        result.exponent.clear();
        return false;
    }
    return true;
}

}  // namespace

std::optional<DerElement> readDerElement(const uint8_t* data, size_t length, size_t offset) {
    if (offset >= length) {
        return std::nullopt;
    }
    size_t position = offset;
    const uint8_t identifier = data[position++];
    DerElement element;
    element.tagClass = identifier >> 6;
    element.constructed = (identifier & 0x20) != 0;
    element.tag = identifier & 0x1F;
    if (element.tag == 0x1F) {
        // High tag number (X.690 8.1.2.4): bytes with bit 8 set continue it.
        while (position < length && (data[position] & 0x80) != 0) {
            ++position;
        }
        if (position >= length) {
            return std::nullopt;
        }
        element.tag = data[position++] & 0x7F;
    }
    if (position >= length) {
        return std::nullopt;
    }
    const uint8_t first = data[position++];
    size_t contentLength = first;
    if (first & 0x80) {
        const size_t count = first & 0x7F;
        if (count == 0 || count == 0x7F) {
            return std::nullopt;  // indefinite or reserved form
        }
        if (count > length - position) {
            return std::nullopt;
        }
        contentLength = 0;
        for (size_t i = 0; i < count; ++i) {
            contentLength = (contentLength << 8) | data[position++];
            // Stop as soon as the length exceeds the input, before it can overflow.
            if (contentLength > length) {
                return std::nullopt;
            }
        }
    }
    if (contentLength > length - position) {
        return std::nullopt;
    }
    element.contentOffset = position;
    element.contentLength = contentLength;
    return element;
}

ParsedCertificate parseCertificate(const uint8_t* data, size_t length) {
    ParsedCertificate result;
    Field field = Field::VersionOrSerial;
    size_t position = 0;
    while (position < length && field != Field::Done) {
        const auto element = readDerElement(data, length, position);
        if (!element) {
            break;
        }
        Step step = defaultStep(*element);
        if (const Transition* transition = findTransition(field, *element)) {
            switch (transition->action) {
                case Action::Count:
                    break;
                case Action::SkipWhole:
                    step = Step::Skip;
                    break;
                case Action::CopySubject:
                    step = Step::Skip;
                    if (element->contentLength <= kMaxSubjectLength) {
                        const uint8_t* contents = data + element->contentOffset;
                        result.subject.assign(contents, contents + element->contentLength);
                    }
                    break;
                case Action::RecordAlgorithm:
                    result.algorithmOffset = element->contentOffset;
                    result.algorithmLength = element->contentLength;
                    break;
                case Action::RecordPublicKey:
                    // The first content byte counts the unused bits of the last byte.
                    if (element->contentLength == 0) {
                        result.status = CertificateStatus::BadPublicKey;
                    } else {
                        result.publicKeyOffset = element->contentOffset + 1;
                        result.publicKeyLength = element->contentLength - 1;
                        result.status = splitPublicKey(data + result.publicKeyOffset,
                                                       result.publicKeyLength, result)
                                            ? CertificateStatus::Ok
                                            : CertificateStatus::BadPublicKey;
                    }
                    break;
            }
            field = transition->next;
        }
        position = step == Step::Descend ? element->contentOffset
                                         : element->contentOffset + element->contentLength;
    }
    result.subjectSummary = composeSubjectSummary(result.subject.data(), result.subject.size());
    return result;
}

std::string composeSubjectSummary(const uint8_t* subject, size_t length) {
    // Attribute types 2.5.4.x (RFC 5280 A.1) by the content bytes of their
    // OBJECT IDENTIFIER, in the order of the summary.
    struct Attribute {
        uint8_t type;
        const char* label;
    };
    static constexpr Attribute kAttributes[] = {
        {0x0A, "Organisation: "}, {0x0B, "Unit : "},  {0x03, "Name : "},
        {0x07, "Locality : "},    {0x08, "State : "}, {0x06, "Country : "},
    };
    constexpr size_t kMaxValueLength = 79;
    // Three identifier bytes, string tag, length and at least one value byte.
    constexpr size_t kShortestEntry = 6;

    std::string summary;
    if (length < kShortestEntry) {
        return summary;
    }
    for (const Attribute& attribute : kAttributes) {
        for (size_t p = 0; p <= length - kShortestEntry; ++p) {
            if (subject[p] != 0x55 || subject[p + 1] != 0x04 || subject[p + 2] != attribute.type) {
                continue;
            }
            // Only the first occurrence counts, usable or not.
            const size_t valueLength = subject[p + 4];
            if (subject[p + 3] == kPrintableString && valueLength >= 1 &&
                valueLength <= kMaxValueLength && valueLength <= length - (p + 5)) {
                summary += attribute.label;
                summary.append(reinterpret_cast<const char*>(subject + p + 5), valueLength);
                summary += '\n';
            }
            break;
        }
    }
    return summary;
}

}  // namespace kestrel
