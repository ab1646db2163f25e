// The certificate walk against certificates that libcrypto makes at test time
// (the key and subject it reports are the expected results), and against
// hand-made and damaged DER. Every parse of damaged input runs on a copy that
// touches an inaccessible page on one side, so a read outside the input
// crashes the test even without a sanitizer.
#include "ssl/certificate.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------
// DER building blocks for hand-made certificates.

Bytes derLength(size_t length) {
    if (length < 0x80) {
        return {uint8_t(length)};
    }
    Bytes bytes;
    for (size_t rest = length; rest != 0; rest >>= 8) {
        bytes.insert(bytes.begin(), uint8_t(rest));
    }
    bytes.insert(bytes.begin(), uint8_t(0x80 | bytes.size()));
    return bytes;
}

Bytes tlv(uint8_t identifier, const Bytes& contents) {
    Bytes bytes{identifier};
    const Bytes length = derLength(contents.size());
    bytes.insert(bytes.end(), length.begin(), length.end());
    bytes.insert(bytes.end(), contents.begin(), contents.end());
    return bytes;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

const Bytes kRsaEncryption = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01};
const Bytes kSha256WithRsa = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x0B};

Bytes algorithm(const Bytes& oid) {
    return tlv(0x30, cat({tlv(0x06, oid), tlv(0x05, {})}));
}

// One RDN with one attribute 2.5.4.TYPE of string tag STRINGTAG.
Bytes rdn(uint8_t type, uint8_t stringTag, const std::string& value) {
    return tlv(0x31, tlv(0x30, cat({tlv(0x06, {0x55, 0x04, type}), tlv(stringTag, text(value))})));
}

Bytes rsaPublicKey(const Bytes& modulus, const Bytes& exponent) {
    return tlv(0x30, cat({tlv(0x02, modulus), tlv(0x02, exponent)}));
}

// SubjectPublicKeyInfo with KEY as the BIT STRING contents after the unused-bits byte.
Bytes publicKeyInfo(const Bytes& key) {
    return tlv(0x30, cat({algorithm(kRsaEncryption), tlv(0x03, cat({{0x00}, key}))}));
}

Bytes modulusOf(size_t length, uint8_t first) {
    Bytes modulus(length, 0xC5);
    modulus[0] = first;
    return modulus;
}

const Bytes kModulus = cat({{0x00}, modulusOf(128, 0xD3)});
const Bytes kExponent = {0x01, 0x00, 0x01};

// A certificate around SUBJECT (the whole Name TLV) and SPKI (taken as is, so
// a test may put damaged bytes there). AFTER follows the SPKI inside the
// TBSCertificate, where the unique identifiers and extensions go.
Bytes handCertificate(const Bytes& subject, const Bytes& spki, bool v3 = true,
                      const Bytes& after = {}, const Bytes& beforeIssuer = {}) {
    const Bytes issuer = tlv(0x30, rdn(0x03, 0x13, "Issuing CA"));
    const Bytes validity =
        tlv(0x30, cat({tlv(0x17, text("250101000000Z")), tlv(0x17, text("350101000000Z"))}));
    const Bytes version = v3 ? tlv(0xA0, tlv(0x02, {0x02})) : Bytes{};
    const Bytes tbs = tlv(0x30, cat({version, tlv(0x02, {0x12, 0x34}), algorithm(kSha256WithRsa),
                                     beforeIssuer, issuer, validity, subject, spki, after}));
    return tlv(0x30,
               cat({tbs, algorithm(kSha256WithRsa), tlv(0x03, cat({{0x00}, Bytes(64, 0x00)}))}));
}

Bytes standardSubject() {
    return tlv(0x30, cat({rdn(0x06, 0x13, "DK"), rdn(0x0A, 0x13, "Example")}));
}

// ---------------------------------------------------------------------------
// Copies of the input that end at, or start right after, an inaccessible page.

class GuardedCopy {
  public:
    enum class Guard { After, Before };

    GuardedCopy(const Bytes& bytes, Guard guard) {
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        const size_t dataPages = (bytes.size() + page - 1) / page + 1;
        mappedLength_ = (dataPages + 2) * page;
        void* mapped = mmap(nullptr, mappedLength_, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) {
            ADD_FAILURE() << "mmap failed";
            mapped_ = nullptr;
            return;
        }
        mapped_ = static_cast<uint8_t*>(mapped);
        mprotect(mapped_, page, PROT_NONE);
        mprotect(mapped_ + (dataPages + 1) * page, page, PROT_NONE);
        data_ = guard == Guard::Before ? mapped_ + page
                                       : mapped_ + (dataPages + 1) * page - bytes.size();
        if (!bytes.empty()) {
            std::memcpy(data_, bytes.data(), bytes.size());
        }
    }
    ~GuardedCopy() {
        if (mapped_ != nullptr) {
            munmap(mapped_, mappedLength_);
        }
    }
    GuardedCopy(const GuardedCopy&) = delete;
    GuardedCopy& operator=(const GuardedCopy&) = delete;

    const uint8_t* data() const { return data_; }

  private:
    uint8_t* mapped_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t mappedLength_ = 0;
};

bool sameResult(const ParsedCertificate& a, const ParsedCertificate& b) {
    return a.status == b.status && a.subject == b.subject && a.modulus == b.modulus &&
           a.exponent == b.exponent && a.algorithmOffset == b.algorithmOffset &&
           a.algorithmLength == b.algorithmLength && a.publicKeyOffset == b.publicKeyOffset &&
           a.publicKeyLength == b.publicKeyLength && a.subjectSummary == b.subjectSummary;
}

// What every result must satisfy, whatever the input.
void expectConsistent(const ParsedCertificate& parsed, size_t inputLength) {
    EXPECT_LE(parsed.subject.size(), kMaxSubjectLength);
    EXPECT_LE(parsed.algorithmOffset + parsed.algorithmLength, inputLength);
    EXPECT_LE(parsed.publicKeyOffset + parsed.publicKeyLength, inputLength);
    EXPECT_LE(parsed.modulus.size() + parsed.exponent.size(), parsed.publicKeyLength);
    if (parsed.status == CertificateStatus::Ok) {
        EXPECT_FALSE(parsed.modulus.empty());
        EXPECT_NE(parsed.modulus[0], 0);
        EXPECT_FALSE(parsed.exponent.empty());
    } else {
        EXPECT_TRUE(parsed.modulus.empty());
        EXPECT_TRUE(parsed.exponent.empty());
    }
}

// Parses BYTES placed against a guard page on each side in turn.
ParsedCertificate parseGuarded(const Bytes& bytes) {
    const GuardedCopy after(bytes, GuardedCopy::Guard::After);
    const GuardedCopy before(bytes, GuardedCopy::Guard::Before);
    ParsedCertificate parsed = parseCertificate(after.data(), bytes.size());
    EXPECT_TRUE(sameResult(parsed, parseCertificate(before.data(), bytes.size())));
    expectConsistent(parsed, bytes.size());
    return parsed;
}

std::string summaryGuarded(const Bytes& subject) {
    const GuardedCopy after(subject, GuardedCopy::Guard::After);
    const GuardedCopy before(subject, GuardedCopy::Guard::Before);
    std::string summary = composeSubjectSummary(after.data(), subject.size());
    EXPECT_EQ(summary, composeSubjectSummary(before.data(), subject.size()));
    return summary;
}

// ---------------------------------------------------------------------------
// Certificates made by libcrypto.

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

// RSA keys are slow to make, so each size and exponent is made once.
EVP_PKEY* rsaKey(int bits, unsigned long exponent = RSA_F4) {
    static std::map<std::pair<int, unsigned long>, KeyPtr> keys;
    KeyPtr& key = keys[{bits, exponent}];
    if (!key) {
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
        BIGNUM* e = BN_new();
        BN_set_word(e, exponent);
        EVP_PKEY* made = nullptr;
        if (EVP_PKEY_keygen_init(context) != 1 ||
            EVP_PKEY_CTX_set_rsa_keygen_bits(context, bits) != 1 ||
            EVP_PKEY_CTX_set1_rsa_keygen_pubexp(context, e) != 1 ||
            EVP_PKEY_generate(context, &made) != 1) {
            ADD_FAILURE() << "RSA key generation failed";
        }
        key.reset(made);
        BN_free(e);
        EVP_PKEY_CTX_free(context);
    }
    return key.get();
}

Bytes keyParameter(EVP_PKEY* key, const char* name) {
    BIGNUM* number = nullptr;
    EVP_PKEY_get_bn_param(key, name, &number);
    Bytes bytes(size_t(BN_num_bytes(number)));
    BN_bn2bin(number, bytes.data());
    BN_free(number);
    return bytes;
}

struct Attribute {
    const char* field;  // OpenSSL short name
    int type;           // V_ASN1_PRINTABLESTRING, V_ASN1_UTF8STRING, ...
    std::string value;
    int set = 0;  // -1: same RDN as the one before
};

struct Made {
    Bytes der;
    Bytes subjectContents;  // the Name as libcrypto encodes it, without its header
    Bytes publicKey;        // the BIT STRING contents after the unused-bits byte
};

Bytes withoutHeader(const Bytes& element) {
    const size_t header = element[1] < 0x80 ? 2 : 2 + (element[1] & 0x7F);
    return Bytes(element.begin() + header, element.end());
}

X509_NAME* makeName(const std::vector<Attribute>& attributes) {
    X509_NAME* name = X509_NAME_new();
    for (const Attribute& attribute : attributes) {
        if (X509_NAME_add_entry_by_txt(
                name, attribute.field, attribute.type,
                reinterpret_cast<const unsigned char*>(attribute.value.data()),
                int(attribute.value.size()), -1, attribute.set) != 1) {
            ADD_FAILURE() << "cannot add " << attribute.field;
        }
    }
    return name;
}

Made makeCertificate(EVP_PKEY* key, int version, const std::vector<Attribute>& subject,
                     const std::vector<Attribute>& issuer) {
    X509* certificate = X509_new();
    X509_set_version(certificate, version - 1);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 0x5EED1234);
    X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400L * 365);
    X509_NAME* subjectName = makeName(subject);
    X509_NAME* issuerName = makeName(issuer);
    X509_set_subject_name(certificate, subjectName);
    X509_set_issuer_name(certificate, issuerName);
    X509_NAME_free(subjectName);
    X509_NAME_free(issuerName);
    X509_set_pubkey(certificate, key);
    if (version == 3) {
        X509_EXTENSION* extension =
            X509V3_EXT_conf_nid(nullptr, nullptr, NID_basic_constraints, "critical,CA:TRUE");
        X509_add_ext(certificate, extension, -1);
        X509_EXTENSION_free(extension);
    }
    if (X509_sign(certificate, key, EVP_sha256()) == 0) {
        ADD_FAILURE() << "X509_sign failed";
    }

    Made made;
    const int length = i2d_X509(certificate, nullptr);
    made.der.resize(size_t(length));
    unsigned char* out = made.der.data();
    i2d_X509(certificate, &out);

    const X509_NAME* name = X509_get_subject_name(certificate);
    Bytes encodedName(size_t(i2d_X509_NAME(name, nullptr)));
    out = encodedName.data();
    i2d_X509_NAME(name, &out);
    made.subjectContents = withoutHeader(encodedName);

    const ASN1_BIT_STRING* bits = X509_get0_pubkey_bitstr(certificate);
    const unsigned char* keyBytes = ASN1_STRING_get0_data(bits);
    made.publicKey.assign(keyBytes, keyBytes + ASN1_STRING_length(bits));
    X509_free(certificate);
    return made;
}

const std::vector<Attribute> kIssuer = {
    {"C", V_ASN1_PRINTABLESTRING, "US"},
    {"O", V_ASN1_PRINTABLESTRING, "Issuer Org"},
    {"OU", V_ASN1_PRINTABLESTRING, "Issuer Unit"},
    {"CN", V_ASN1_PRINTABLESTRING, "Issuer CA"},
};

const std::vector<Attribute> kFullSubject = {
    {"C", V_ASN1_PRINTABLESTRING, "DK"},         {"ST", V_ASN1_PRINTABLESTRING, "Hovedstaden"},
    {"L", V_ASN1_PRINTABLESTRING, "Copenhagen"}, {"O", V_ASN1_PRINTABLESTRING, "Example"},
    {"OU", V_ASN1_PRINTABLESTRING, "Terminals"}, {"CN", V_ASN1_PRINTABLESTRING, "host.example.com"},
};

const char* const kFullSummary =
    "Organisation: Example\n"
    "Unit : Terminals\n"
    "Name : host.example.com\n"
    "Locality : Copenhagen\n"
    "State : Hovedstaden\n"
    "Country : DK\n";

void expectKeyAndSubject(const Made& made, EVP_PKEY* key, const ParsedCertificate& parsed) {
    ASSERT_EQ(parsed.status, CertificateStatus::Ok);
    EXPECT_EQ(parsed.modulus, keyParameter(key, OSSL_PKEY_PARAM_RSA_N));
    EXPECT_EQ(parsed.exponent, keyParameter(key, OSSL_PKEY_PARAM_RSA_E));
    EXPECT_EQ(parsed.subject, made.subjectContents);
    EXPECT_EQ(Bytes(made.der.begin() + parsed.algorithmOffset,
                    made.der.begin() + parsed.algorithmOffset + parsed.algorithmLength),
              kRsaEncryption);
    EXPECT_EQ(Bytes(made.der.begin() + parsed.publicKeyOffset,
                    made.der.begin() + parsed.publicKeyOffset + parsed.publicKeyLength),
              made.publicKey);
}

TEST(CertificateTest, TakesTheKeyOfRealCertificatesWhateverTheSize) {
    struct Case {
        int bits;
        unsigned long exponent;
        int version;
        size_t modulusLength;
    };
    // 1028 bits: 129 modulus bytes without a sign byte; 1032 bits: 129 bytes
    // whose top bit is set, so the INTEGER has 130 bytes with its sign byte.
    const Case cases[] = {
        {1024, RSA_F4, 3, 128}, {1024, RSA_F4, 1, 128}, {1024, 3, 3, 128},
        {2048, RSA_F4, 3, 256}, {2048, RSA_F4, 1, 256}, {4096, RSA_F4, 3, 512},
        {1028, RSA_F4, 3, 129}, {1032, RSA_F4, 3, 129}, {1032, 3, 1, 129},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.bits << " bits, e " << c.exponent << ", v" << c.version);
        EVP_PKEY* key = rsaKey(c.bits, c.exponent);
        const Made made = makeCertificate(key, c.version, kFullSubject, kIssuer);
        const ParsedCertificate parsed = parseGuarded(made.der);
        expectKeyAndSubject(made, key, parsed);
        EXPECT_EQ(parsed.modulus.size(), c.modulusLength);
        EXPECT_EQ(parsed.subjectSummary, kFullSummary);
    }
}

TEST(CertificateTest, ExponentIsTakenAsEncoded) {
    EVP_PKEY* key = rsaKey(1024);
    const ParsedCertificate parsed =
        parseGuarded(makeCertificate(key, 3, kFullSubject, kIssuer).der);
    EXPECT_EQ(parsed.exponent, (Bytes{1, 0, 1}));
    EXPECT_EQ(parsed.modulus.size(), 128u);
}

TEST(CertificateTest, VersionOneAndVersionThreeGiveTheSameResults) {
    EVP_PKEY* key = rsaKey(2048);
    const ParsedCertificate v1 = parseGuarded(makeCertificate(key, 1, kFullSubject, kIssuer).der);
    const ParsedCertificate v3 = parseGuarded(makeCertificate(key, 3, kFullSubject, kIssuer).der);
    ASSERT_EQ(v1.status, CertificateStatus::Ok);
    ASSERT_EQ(v3.status, CertificateStatus::Ok);
    EXPECT_EQ(v1.modulus, v3.modulus);
    EXPECT_EQ(v1.exponent, v3.exponent);
    EXPECT_EQ(v1.subject, v3.subject);
    EXPECT_EQ(v1.subjectSummary, v3.subjectSummary);
}

TEST(CertificateTest, SummarisesRealSubjects) {
    constexpr int P = V_ASN1_PRINTABLESTRING;
    constexpr int U = V_ASN1_UTF8STRING;
    const std::string name79 = "A" + std::string(77, 'b') + "Z";
    const std::string name80 = std::string(80, 'c');
    const std::string name200 = std::string(200, 'd');
    struct Case {
        const char* name;
        std::vector<Attribute> subject;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {"organisation and country, country first",
         {{"C", P, "DK"}, {"O", P, "Example"}},
         "Organisation: Example\nCountry : DK\n"},
        {"reversed order of all six", {kFullSubject.rbegin(), kFullSubject.rend()}, kFullSummary},
        {"common name only", {{"CN", P, "mvs1.example.com"}}, "Name : mvs1.example.com\n"},
        {"common name as UTF8String gives no name line",
         {{"O", P, "Example"}, {"CN", U, "host.example.com"}},
         "Organisation: Example\n"},
        {"all as UTF8String",
         {{"C", P, "DK"}, {"O", U, "Example"}, {"OU", U, "Unit"}, {"CN", U, "host"}},
         "Country : DK\n"},
        {"no subject attributes at all", {}, ""},
        {"only attributes outside the six",
         {{"emailAddress", V_ASN1_IA5STRING, "ops@example.com"},
          {"serialNumber", P, "12345"},
          {"DC", V_ASN1_IA5STRING, "example"}},
         ""},
        {"the first of two units counts",
         {{"OU", P, "First Unit"}, {"OU", P, "Second Unit"}},
         "Unit : First Unit\n"},
        {"the first of two units counts even when it is not printable",
         {{"OU", U, "First Unit"}, {"OU", P, "Second Unit"}},
         ""},
        {"value of 79 bytes", {{"CN", P, name79}}, "Name : " + name79 + "\n"},
        {"value of 80 bytes is left out", {{"L", P, name80}, {"ST", P, "Nord"}}, "State : Nord\n"},
        {"value with a long-form length is left out",
         {{"O", P, name200}, {"C", P, "SE"}},
         "Country : SE\n"},
        {"one-byte values",
         {{"O", P, "x"},
          {"OU", P, "y"},
          {"CN", P, "z"},
          {"L", P, "w"},
          {"ST", P, "v"},
          {"C", P, "u"}},
         "Organisation: x\nUnit : y\nName : z\nLocality : w\nState : v\nCountry : u\n"},
        {"multi-valued RDN",
         {{"C", P, "NO"}, {"O", P, "Example AS"}, {"OU", P, "Drift", -1}, {"CN", P, "tn3270"}},
         "Organisation: Example AS\nUnit : Drift\nName : tn3270\nCountry : NO\n"},
        {"other string types",
         {{"O", V_ASN1_T61STRING, "Teletex Org"},
          {"OU", V_ASN1_IA5STRING, "IA5 Unit"},
          {"CN", V_ASN1_BMPSTRING, std::string("\0h\0o", 4)},
          {"L", P, "Aarhus"}},
         "Locality : Aarhus\n"},
    };
    EVP_PKEY* key = rsaKey(1024);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Made made = makeCertificate(key, 3, c.subject, kIssuer);
        const ParsedCertificate parsed = parseGuarded(made.der);
        expectKeyAndSubject(made, key, parsed);
        EXPECT_EQ(parsed.subjectSummary, c.summary);
        EXPECT_EQ(composeSubjectSummary(parsed.subject.data(), parsed.subject.size()), c.summary);
    }
}

TEST(CertificateTest, SubjectOfAKilobyteOrMoreIsNotKept) {
    std::vector<Attribute> subject = {{"O", V_ASN1_PRINTABLESTRING, "Example"}};
    for (int i = 0; i < 20; ++i) {
        subject.push_back({"OU", V_ASN1_PRINTABLESTRING, "Unit " + std::string(50, 'u')});
    }
    EVP_PKEY* key = rsaKey(1024);
    const Made made = makeCertificate(key, 3, subject, kIssuer);
    ASSERT_GE(made.subjectContents.size(), 1024u);
    const ParsedCertificate parsed = parseGuarded(made.der);
    ASSERT_EQ(parsed.status, CertificateStatus::Ok);
    EXPECT_EQ(parsed.modulus, keyParameter(key, OSSL_PKEY_PARAM_RSA_N));
    EXPECT_TRUE(parsed.subject.empty());
    EXPECT_EQ(parsed.subjectSummary, "");
}

TEST(CertificateTest, SubjectLimitIsExactly1023Bytes) {
    // One organisation attribute padded so that the Name contents are 1023 or 1024 bytes.
    for (const size_t contents : {size_t(1022), size_t(1023), size_t(1024), size_t(1025)}) {
        SCOPED_TRACE(contents);
        const Bytes head = rdn(0x0A, 0x13, "Example");
        // A UTF8String unit (not in the summary) takes up the rest: SET, SEQUENCE
        // and string headers of four bytes each and a five-byte OID.
        const Bytes filler = rdn(0x0B, 0x0C, std::string(contents - head.size() - 17, 'f'));
        const Bytes subject = tlv(0x30, cat({head, filler}));
        ASSERT_EQ(withoutHeader(subject).size(), contents);
        const ParsedCertificate parsed = parseGuarded(
            handCertificate(subject, publicKeyInfo(rsaPublicKey(kModulus, kExponent))));
        ASSERT_EQ(parsed.status, CertificateStatus::Ok);
        if (contents <= 1023) {
            EXPECT_EQ(parsed.subject, withoutHeader(subject));
            EXPECT_EQ(parsed.subjectSummary, "Organisation: Example\n");
        } else {
            EXPECT_TRUE(parsed.subject.empty());
            EXPECT_EQ(parsed.subjectSummary, "");
        }
    }
}

TEST(CertificateTest, IssuerAttributesNeverReachTheSummary) {
    EVP_PKEY* key = rsaKey(1024);
    const Made made = makeCertificate(key, 1, {{"CN", V_ASN1_UTF8STRING, "subject"}}, kIssuer);
    const ParsedCertificate parsed = parseGuarded(made.der);
    ASSERT_EQ(parsed.status, CertificateStatus::Ok);
    EXPECT_EQ(parsed.subjectSummary, "");
}

// ---------------------------------------------------------------------------
// Hand-made certificates.

TEST(CertificateTest, SignByteRule) {
    struct Case {
        const char* name;
        Bytes encoded;
        Bytes modulus;
    };
    const Bytes m128 = modulusOf(128, 0xD3);
    const Bytes m129 = modulusOf(129, 0x01);
    const Bytes m129High = modulusOf(129, 0xC3);
    const Bytes m128Low = modulusOf(128, 0x7F);
    const std::vector<Case> cases = {
        {"129 bytes with a sign byte are used as 128", cat({{0x00}, m128}), m128},
        {"129 bytes without a sign byte are all kept", m129, m129},
        {"130 bytes with a sign byte are used as 129", cat({{0x00}, m129High}), m129High},
        {"128 bytes with a clear top bit are kept", m128Low, m128Low},
        {"extra zero bytes of a non-minimal INTEGER go too", cat({{0x00, 0x00, 0x00}, m128}), m128},
        {"one-byte modulus", {0x05}, {0x05}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedCertificate parsed = parseGuarded(
            handCertificate(standardSubject(), publicKeyInfo(rsaPublicKey(c.encoded, kExponent))));
        ASSERT_EQ(parsed.status, CertificateStatus::Ok);
        EXPECT_EQ(parsed.modulus, c.modulus);
        EXPECT_EQ(parsed.exponent, kExponent);
        EXPECT_EQ(parsed.subjectSummary, "Organisation: Example\nCountry : DK\n");
    }
}

TEST(CertificateTest, ExponentKeepsItsEncoding) {
    for (const Bytes& exponent : {Bytes{0x03}, Bytes{0x01, 0x00, 0x01}, Bytes{0x00, 0x80, 0x01}}) {
        const ParsedCertificate parsed = parseGuarded(
            handCertificate(standardSubject(), publicKeyInfo(rsaPublicKey(kModulus, exponent))));
        ASSERT_EQ(parsed.status, CertificateStatus::Ok);
        EXPECT_EQ(parsed.exponent, exponent);
    }
}

// Nested SEQUENCEs and [0] tags, DEPTH deep, around INNER; four-byte lengths throughout.
Bytes nested(size_t depth, const Bytes& inner) {
    Bytes bytes;
    bytes.reserve(depth * 6 + inner.size());
    for (size_t level = 0; level < depth; ++level) {
        const size_t contents = (depth - 1 - level) * 6 + inner.size();
        bytes.push_back(level % 2 == 0 ? 0x30 : 0xA0);
        bytes.push_back(0x84);
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(uint8_t(contents >> shift));
        }
    }
    bytes.insert(bytes.end(), inner.begin(), inner.end());
    return bytes;
}

TEST(CertificateTest, MalformedCertificates) {
    const Bytes subject = standardSubject();
    const Bytes goodKey = rsaPublicKey(kModulus, kExponent);
    const Bytes goodSpki = publicKeyInfo(goodKey);
    const Bytes modulusTail = Bytes(kModulus.begin() + 1, kModulus.end());
    const Bytes good = handCertificate(subject, goodSpki);
    const Bytes spkiAlgorithm = algorithm(kRsaEncryption);
    auto spkiWithBitString = [&](const Bytes& bitString) {
        return tlv(0x30, cat({spkiAlgorithm, bitString}));
    };
    struct Case {
        const char* name;
        Bytes der;
        CertificateStatus status;
        Bytes subject;
        std::string summary;
    };
    const Bytes kept = withoutHeader(subject);
    const std::string keptSummary = "Organisation: Example\nCountry : DK\n";
    using S = CertificateStatus;
    const std::vector<Case> cases = {
        {"the well-formed certificate", good, S::Ok, kept, keptSummary},
        {"empty input", {}, S::NoPublicKey, {}, ""},
        {"one byte", {0x30}, S::NoPublicKey, {}, ""},
        {"outer length one past the end", cat({{0x30, 0x82, 0x01, 0x00}, Bytes(255, 0x02)}),
         S::NoPublicKey, {}, ""},
        {"outer length 0x84 FFFFFFFF", cat({{0x30, 0x84, 0xFF, 0xFF, 0xFF, 0xFF}, good}),
         S::NoPublicKey, {}, ""},
        {"outer length 0x88 with all bytes set",
         cat({{0x30, 0x88, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, good}), S::NoPublicKey,
         {}, ""},
        {"outer length 0x88 of 2^56", cat({{0x30, 0x88, 0x01, 0, 0, 0, 0, 0, 0, 0}, good}),
         S::NoPublicKey, {}, ""},
        {"0x88 length with leading zeros is read",
         cat({{0x30, 0x88, 0, 0, 0, 0, 0, 0, uint8_t(good.size() >> 8), uint8_t(good.size())},
              good}),
         S::Ok, kept, keptSummary},
        {"length bytes cut off", {0x30, 0x84, 0x00, 0x00}, S::NoPublicKey, {}, ""},
        {"indefinite outer length", cat({{0x30, 0x80}, good, {0x00, 0x00}}), S::NoPublicKey,
         {}, ""},
        {"reserved length form 0xFF", cat({{0x30, 0xFF}, good}), S::NoPublicKey, {}, ""},
        {"high tag number never ending", {0x1F, 0x81, 0x82, 0x83}, S::NoPublicKey, {}, ""},
        {"subject length past the end",
         handCertificate(cat({{0x30, 0x84, 0x7F, 0xFF, 0xFF, 0xFF}, withoutHeader(subject)}),
                         goodSpki),
         S::NoPublicKey, {}, ""},
        {"indefinite subject length",
         handCertificate(cat({{0x30, 0x80}, withoutHeader(subject), {0x00, 0x00}}), goodSpki),
         S::NoPublicKey, {}, ""},
        {"BIT STRING length past the end",
         handCertificate(subject, spkiWithBitString(cat({{0x03, 0x84, 0x10, 0x00, 0x00, 0x00, 0x00},
                                                         goodKey}))),
         S::NoPublicKey, kept, keptSummary},
        {"modulus length past the end",
         handCertificate(subject,
                         publicKeyInfo(tlv(0x30, cat({{0x02, 0x84, 0x00, 0x01, 0x00, 0x00},
                                                      modulusTail, tlv(0x02, kExponent)})))),
         S::BadPublicKey, kept, keptSummary},
        {"modulus length 0x88 FF..",
         handCertificate(subject,
                         publicKeyInfo(cat({{0x30, 0x0A, 0x02, 0x88, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                             0xFF, 0xFF, 0xFF}}))),
         S::BadPublicKey, kept, keptSummary},
        {"RSAPublicKey longer than its BIT STRING, exponent outside it",
         handCertificate(subject,
                         publicKeyInfo(cat({{0x30, 0x81, uint8_t(goodKey.size() - 3)},
                                            tlv(0x02, kModulus)})),
                         true, tlv(0xA3, tlv(0x02, kExponent))),
         S::BadPublicKey, kept, keptSummary},
        {"exponent only after the BIT STRING",
         handCertificate(subject, publicKeyInfo(tlv(0x30, tlv(0x02, kModulus))), true,
                         tlv(0xA3, tlv(0x02, kExponent))),
         S::BadPublicKey, kept, keptSummary},
        {"zero-length BIT STRING", handCertificate(subject, spkiWithBitString({0x03, 0x00})),
         S::BadPublicKey, kept, keptSummary},
        {"BIT STRING of only the unused-bits count",
         handCertificate(subject, spkiWithBitString({0x03, 0x01, 0x00})), S::BadPublicKey, kept, keptSummary},
        {"zero-length modulus",
         handCertificate(subject, publicKeyInfo(rsaPublicKey({}, kExponent))), S::BadPublicKey,
         kept, keptSummary},
        {"modulus of zero bytes only",
         handCertificate(subject, publicKeyInfo(rsaPublicKey({0, 0, 0}, kExponent))),
         S::BadPublicKey, kept, keptSummary},
        {"zero-length exponent",
         handCertificate(subject, publicKeyInfo(rsaPublicKey(kModulus, {}))), S::BadPublicKey,
         kept, keptSummary},
        {"no exponent", handCertificate(subject, publicKeyInfo(tlv(0x30, tlv(0x02, kModulus)))),
         S::BadPublicKey, kept, keptSummary},
        {"public key of zero bytes", handCertificate(subject, publicKeyInfo(Bytes(32, 0x00))),
         S::BadPublicKey, kept, keptSummary},
        {"zero-length subject", handCertificate(tlv(0x30, {}), goodSpki), S::Ok, {}, ""},
        {"zero-length OBJECT IDENTIFIER",
         handCertificate(subject,
                         tlv(0x30, cat({tlv(0x30, cat({tlv(0x06, {}), tlv(0x05, {})})),
                                        tlv(0x03, cat({{0x00}, goodKey}))}))),
         S::Ok, kept, keptSummary},
        {"the key as a context-specific INTEGER-numbered tag is not an INTEGER",
         handCertificate(subject, publicKeyInfo(tlv(0x30, cat({tlv(0x82, kModulus),
                                                               tlv(0x82, kExponent)})))),
         S::BadPublicKey, kept, keptSummary},
        {"context-specific [16] before the issuer is no SEQUENCE",
         handCertificate(subject, goodSpki, true, {}, tlv(0xB0, {})),
         S::Ok, kept, keptSummary},
        {"no subject: the key is taken for it and no key is found",
         handCertificate(goodSpki, {}), S::BadPublicKey, withoutHeader(goodSpki), ""},
        {"nested 100000 deep", nested(100000, {}), S::NoPublicKey, {}, ""},
        {"nested 100000 deep around a certificate", nested(100000, good), S::Ok, kept, keptSummary},
        {"SEQUENCEs with indefinite lengths 10000 deep",
         [] {
             Bytes bytes;
             for (int i = 0; i < 10000; ++i) {
                 bytes.insert(bytes.end(), {0x30, 0x80});
             }
             return bytes;
         }(),
         S::NoPublicKey, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedCertificate parsed = parseGuarded(c.der);
        EXPECT_EQ(parsed.status, c.status);
        if (c.status == S::Ok) {
            EXPECT_EQ(parsed.modulus, modulusTail);
            EXPECT_EQ(parsed.exponent, kExponent);
        }
        EXPECT_EQ(parsed.subject, c.subject);
        EXPECT_EQ(parsed.subjectSummary, c.summary);
    }
}

TEST(CertificateTest, EveryTruncationOfARealCertificateFailsInsideTheInput) {
    for (const int version : {1, 3}) {
        const Bytes der = makeCertificate(rsaKey(1024), version, kFullSubject, kIssuer).der;
        for (size_t length = 0; length < der.size(); ++length) {
            SCOPED_TRACE(length);
            const ParsedCertificate parsed = parseGuarded(Bytes(der.begin(), der.begin() + length));
            ASSERT_NE(parsed.status, CertificateStatus::Ok);
        }
        EXPECT_EQ(parseGuarded(der).status, CertificateStatus::Ok);
    }
}

TEST(CertificateTest, EveryByteOfARealCertificateDamagedStaysInsideTheInput) {
    const Bytes der = makeCertificate(rsaKey(1024), 3, kFullSubject, kIssuer).der;
    const uint8_t damage[] = {0x00, 0x01, 0x02, 0x03, 0x06, 0x1F, 0x30, 0x31,
                              0x7F, 0x80, 0x81, 0x82, 0x84, 0x88, 0xA0, 0xFF};
    for (size_t offset = 0; offset < der.size(); ++offset) {
        for (const uint8_t value : damage) {
            Bytes damaged = der;
            damaged[offset] = value;
            SCOPED_TRACE(testing::Message() << "offset " << offset << " value " << int(value));
            parseGuarded(damaged);
            if (HasFailure()) {
                return;
            }
        }
    }
}

TEST(CertificateTest, EveryCutOfTheTbsCertificateInsideCorrectOuterLengths) {
    // Every prefix of the TBSCertificate wrapped with correct lengths: the walk
    // meets the cut inside each field in turn.
    const Bytes der = makeCertificate(rsaKey(2048), 3, kFullSubject, kIssuer).der;
    const Bytes tbs = [&] {
        const Bytes contents = withoutHeader(der);
        const size_t header = contents[1] < 0x80 ? 2 : 2 + (contents[1] & 0x7F);
        size_t length = 0;
        for (size_t i = 2; i < header; ++i) {
            length = (length << 8) | contents[i];
        }
        return Bytes(contents.begin() + header, contents.begin() + header + length);
    }();
    for (size_t length = 0; length <= tbs.size(); ++length) {
        SCOPED_TRACE(length);
        const Bytes cut(tbs.begin(), tbs.begin() + length);
        parseGuarded(tlv(0x30, tlv(0x30, cut)));
        ASSERT_FALSE(HasFailure());
    }
}

// ---------------------------------------------------------------------------
// The element reader and the summary on their own.

TEST(CertificateTest, ReadsElementHeaders) {
    struct Case {
        const char* name;
        Bytes bytes;
        size_t offset;
        bool valid;
        uint8_t tagClass;
        bool constructed;
        uint8_t tag;
        size_t contentOffset;
        size_t contentLength;
    };
    const std::vector<Case> cases = {
        {"SEQUENCE, short length", {0x30, 0x02, 0x05, 0x00}, 0, true, 0, true, 16, 2, 2},
        {"zero-length NULL", {0x05, 0x00}, 0, true, 0, false, 5, 2, 0},
        {"at an offset", {0xFF, 0x02, 0x01, 0x07}, 1, true, 0, false, 2, 3, 1},
        {"context-specific constructed [3]", {0xA3, 0x00}, 0, true, 2, true, 3, 2, 0},
        {"application class", {0x41, 0x01, 0x00}, 0, true, 1, false, 1, 2, 1},
        {"private class", {0xC2, 0x00}, 0, true, 3, false, 2, 2, 0},
        {"high tag number, one byte", {0x1F, 0x21, 0x00}, 0, true, 0, false, 0x21, 3, 0},
        {"high tag number, low seven bits of the last byte",
         {0x9F, 0x81, 0x82, 0x10, 0x01, 0xAA},
         0,
         true,
         2,
         false,
         0x10,
         5,
         1},
        {"0x81 length", cat({{0x04, 0x81, 0x80}, Bytes(128, 0)}), 0, true, 0, false, 4, 3, 128},
        {"0x82 length", cat({{0x04, 0x82, 0x01, 0x00}, Bytes(256, 0)}), 0, true, 0, false, 4, 4,
         256},
        {"0x84 length", cat({{0x04, 0x84, 0, 0, 0x01, 0x01}, Bytes(257, 0)}), 0, true, 0, false, 4,
         6, 257},
        {"0x88 length", cat({{0x04, 0x88, 0, 0, 0, 0, 0, 0, 0, 0x03}, Bytes(3, 0)}), 0, true, 0,
         false, 4, 10, 3},
        {"contents up to the end", {0x02, 0x03, 1, 2, 3}, 0, true, 0, false, 2, 2, 3},
        {"contents one past the end", {0x02, 0x04, 1, 2, 3}, 0, false, 0, false, 0, 0, 0},
        {"0x84 length past the end",
         {0x04, 0x84, 0xFF, 0xFF, 0xFF, 0xFF},
         0,
         false,
         0,
         false,
         0,
         0,
         0},
        {"0x88 length past the end",
         {0x04, 0x88, 0, 0, 0, 0, 0, 0, 0, 0x01},
         0,
         false,
         0,
         false,
         0,
         0,
         0},
        {"0x88 of 2^64 - 1",
         {0x04, 0x88, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         0,
         false,
         0,
         false,
         0,
         0,
         0},
        {"0x89 length that would wrap 64 bits",
         {0x04, 0x89, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x01, 0xAA},
         0,
         false,
         0,
         false,
         0,
         0,
         0},
        {"0x89 length bytes past the end",
         {0x04, 0x89, 0, 0, 0, 0, 0, 0, 0, 0},
         0,
         false,
         0,
         false,
         0,
         0,
         0},
        {"indefinite length", {0x30, 0x80, 0x00, 0x00}, 0, false, 0, false, 0, 0, 0},
        {"reserved length 0xFF", {0x30, 0xFF, 0x00}, 0, false, 0, false, 0, 0, 0},
        {"length byte missing", {0x30}, 0, false, 0, false, 0, 0, 0},
        {"high tag number cut off", {0x1F, 0x81}, 0, false, 0, false, 0, 0, 0},
        {"high tag number without length", {0x1F, 0x01}, 0, false, 0, false, 0, 0, 0},
        {"offset at the end", {0x05, 0x00}, 2, false, 0, false, 0, 0, 0},
        {"offset past the end", {0x05, 0x00}, 7, false, 0, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GuardedCopy copy(c.bytes, GuardedCopy::Guard::After);
        const auto element = readDerElement(copy.data(), c.bytes.size(), c.offset);
        ASSERT_EQ(element.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(element->tagClass, c.tagClass);
            EXPECT_EQ(element->constructed, c.constructed);
            EXPECT_EQ(element->tag, c.tag);
            EXPECT_EQ(element->contentOffset, c.contentOffset);
            EXPECT_EQ(element->contentLength, c.contentLength);
        }
    }
}

TEST(CertificateTest, ComposesTheSummaryFromSubjectBytes) {
    const Bytes o = {0x55, 0x04, 0x0A};
    const Bytes cn = {0x55, 0x04, 0x03};
    struct Case {
        const char* name;
        Bytes subject;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {"empty", {}, ""},
        {"shorter than one entry", cat({o, {0x13}, {0x01}}), ""},
        {"one-byte value at the very end", cat({o, {0x13, 0x01}, text("E")}), "Organisation: E\n"},
        {"value running past the end of the subject", cat({o, {0x13, 0x05}, text("Exa")}), ""},
        {"value of 79 running one past the end", cat({o, {0x13, 79}, Bytes(78, 'x')}), ""},
        {"zero-length value", cat({o, {0x13, 0x00}, text("Example")}), ""},
        {"length 80", cat({o, {0x13, 80}, Bytes(80, 'x')}), ""},
        {"UTF8String", cat({o, {0x0C, 0x07}, text("Example")}), ""},
        {"bare identifier bytes, no OID header", cat({cn, {0x13, 0x04}, text("host")}),
         "Name : host\n"},
        {"first match unusable, second usable",
         cat({cn, {0x0C, 0x01}, text("a"), cn, {0x13, 0x01}, text("b")}), ""},
        {"identifier bytes inside an earlier value count as the first match",
         cat({cn, {0x13, 0x06}, o, {0x13, 0x01}, text("Q"), o, {0x13, 0x01}, text("X")}),
         "Organisation: Q\nName : U\x04\n\x13\x01Q\n"},
        {"value bytes copied as they are", cat({o, {0x13, 0x03}, {0x00, 0xFF, 0x0A}}),
         std::string("Organisation: \0\xFF\n\n", 18)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(summaryGuarded(c.subject), c.summary);
    }
}

}  // namespace
}  // namespace kestrel
