// kestrel-ssl-test-server: an SSL 3.0 server (RFC 6101) that relays the plaintext
// to a TN3270 host, for the end-to-end tests of Kestrel's SSL client. Test code
// only; the product never links it.
//
// OpenSSL's libssl no longer speaks SSL 3.0, so the protocol is done here with
// libcrypto's primitives: RSA (PKCS#1 v1.5), MD5, SHA-1 and RC4. Cipher suites:
// 0x0004 RSA_WITH_RC4_128_MD5 and 0x0005 RSA_WITH_RC4_128_SHA. Any other suite
// number given with -suite is announced in the ServerHello as it is, and the
// connection then goes on with the keys and MACs of 0x0004 (no DES is done).
//
// One line per protocol step goes to stderr, prefixed with "#N " (the connection
// number); see usage() for the options.

#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rc4.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using View = std::span<const uint8_t>;

// ---------------------------------------------------------------- options

struct Options {
    int port = 0;
    std::string portFile;
    std::string targetHost;
    std::string targetPort;
    std::string certFile;
    std::string keyFile;
    int suite = 4;
    bool serverKeyExchange = false;
    int serverKeyExchangeBits = 1024;
    bool certificateRequest = false;
    bool helloRequest = false;
    int alertLevel = -1;
    int alertCode = 0;
    bool badMac = false;
    bool once = false;
};

void usage()
{
    std::fprintf(stderr,
        "usage: kestrel-ssl-test-server -target HOST:PORT -cert FILE -key FILE [options]\n"
        "  -port N                 listen on 127.0.0.1:N (0, the default: any free port);\n"
        "                          prints \"listening on PORT\" when ready\n"
        "  -port-file FILE         also write the port to FILE\n"
        "  -suite N                cipher suite to choose: 4 RC4_128_MD5 (default),\n"
        "                          5 RC4_128_SHA; others are announced, then run as 4\n"
        "  -server-key-exchange    send a ServerKeyExchange with a temporary RSA key\n"
        "  -ske-bits N             size of that key (default 1024)\n"
        "  -certificate-request    send a CertificateRequest\n"
        "  -hello-request          send a HelloRequest after the handshake\n"
        "  -alert LEVEL:CODE       send an alert after the handshake (the server then\n"
        "                          keeps the connection open)\n"
        "  -bad-mac                corrupt the MAC of the first application-data record\n"
        "  -once                   serve one connection, then exit\n");
}

std::mutex logMutex;

void logLine(int connection, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::lock_guard lock(logMutex);
    if (connection > 0) {
        std::fprintf(stderr, "#%d %s\n", connection, text);
    } else {
        std::fprintf(stderr, "%s\n", text);
    }
    std::fflush(stderr);
}

std::string hex(View data, size_t max = 16)
{
    std::string out;
    char piece[4];
    for (size_t i = 0; i < data.size() && i < max; ++i) {
        std::snprintf(piece, sizeof piece, i ? " %02x" : "%02x", data[i]);
        out += piece;
    }
    if (data.size() > max) {
        out += " ...";
    }
    return out;
}

// ---------------------------------------------------------------- crypto helpers

Bytes digest(const EVP_MD* md, std::initializer_list<View> parts)
{
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_DigestInit_ex(ctx, md, nullptr);
    for (View part : parts) {
        EVP_DigestUpdate(ctx, part.data(), part.size());
    }
    EVP_DigestFinal_ex(ctx, out.data(), &length);
    EVP_MD_CTX_free(ctx);
    out.resize(length);
    return out;
}

Bytes md5(std::initializer_list<View> parts) { return digest(EVP_md5(), parts); }
Bytes sha1(std::initializer_list<View> parts) { return digest(EVP_sha1(), parts); }

Bytes randomBytes(size_t n)
{
    Bytes out(n);
    RAND_bytes(out.data(), static_cast<int>(n));
    return out;
}

void append(Bytes& to, View from) { to.insert(to.end(), from.begin(), from.end()); }
void put16(Bytes& to, size_t v) { to.push_back(uint8_t(v >> 8)); to.push_back(uint8_t(v)); }
void put24(Bytes& to, size_t v) { to.push_back(uint8_t(v >> 16)); put16(to, v & 0xFFFF); }

// The SSL 3.0 MAC and Finished hashes: H(secret ‖ pad2 ‖ H(... ‖ secret ‖ pad1)).
struct MacAlgorithm {
    const EVP_MD* md;
    size_t size;    // 16 or 20
    size_t padLen;  // 48 or 40
};
const MacAlgorithm macMd5{EVP_md5(), 16, 48};
const MacAlgorithm macSha{EVP_sha1(), 20, 40};

Bytes recordMac(const MacAlgorithm& alg, const Bytes& secret, uint64_t sequence,
                uint8_t type, View data)
{
    Bytes pad1(alg.padLen, 0x36), pad2(alg.padLen, 0x5C);
    Bytes header;
    for (int shift = 56; shift >= 0; shift -= 8) {
        header.push_back(uint8_t(sequence >> shift));
    }
    header.push_back(type);
    put16(header, data.size());
    Bytes inner = digest(alg.md, {secret, pad1, header, data});
    return digest(alg.md, {secret, pad2, inner});
}

Bytes finishedHashes(const Bytes& handshakeMessages, const char* sender, const Bytes& master)
{
    View senderCode(reinterpret_cast<const uint8_t*>(sender), 4);
    Bytes out;
    for (const MacAlgorithm* alg : {&macMd5, &macSha}) {
        Bytes pad1(alg->padLen, 0x36), pad2(alg->padLen, 0x5C);
        Bytes inner = digest(alg->md, {handshakeMessages, senderCode, master, pad1});
        append(out, digest(alg->md, {master, pad2, inner}));
    }
    return out;  // 16 MD5 bytes, then 20 SHA-1 bytes
}

// MD5(secret ‖ SHA-1(label ‖ secret ‖ a ‖ b)) for labels "A", "BB", ... until n bytes.
Bytes ssl3Expand(const Bytes& secret, const Bytes& a, const Bytes& b, size_t n)
{
    Bytes out;
    for (int i = 0; out.size() < n; ++i) {
        Bytes label(size_t(i + 1), uint8_t('A' + i));
        Bytes inner = sha1({label, secret, a, b});
        append(out, md5({secret, inner}));
    }
    out.resize(n);
    return out;
}

struct Rc4 {
    RC4_KEY key;
    void init(View k) { RC4_set_key(&key, int(k.size()), k.data()); }
    void apply(uint8_t* data, size_t n) { RC4(&key, n, data, data); }
};

Bytes bnBytes(EVP_PKEY* key, const char* name)
{
    BIGNUM* bn = nullptr;
    Bytes out;
    if (EVP_PKEY_get_bn_param(key, name, &bn)) {
        out.resize(size_t(BN_num_bytes(bn)));
        BN_bn2bin(bn, out.data());
        BN_free(bn);
    }
    return out;
}

// ---------------------------------------------------------------- server identity

struct Identity {
    std::vector<Bytes> chain;  // DER certificates, the server's first
    Bytes subject;             // DER Name of the first certificate
    EVP_PKEY* key = nullptr;
};

bool loadIdentity(const Options& options, Identity& identity)
{
    FILE* file = std::fopen(options.certFile.c_str(), "r");
    if (!file) {
        logLine(0, "cannot open %s: %s", options.certFile.c_str(), std::strerror(errno));
        return false;
    }
    while (X509* cert = PEM_read_X509(file, nullptr, nullptr, nullptr)) {
        unsigned char* der = nullptr;
        int length = i2d_X509(cert, &der);
        identity.chain.emplace_back(der, der + length);
        if (identity.chain.size() == 1) {
            unsigned char* name = nullptr;
            int nameLength = i2d_X509_NAME(X509_get_subject_name(cert), &name);
            identity.subject.assign(name, name + nameLength);
            OPENSSL_free(name);
        }
        OPENSSL_free(der);
        X509_free(cert);
    }
    std::fclose(file);
    ERR_clear_error();
    if (identity.chain.empty()) {
        logLine(0, "no certificate in %s", options.certFile.c_str());
        return false;
    }
    file = std::fopen(options.keyFile.c_str(), "r");
    if (!file) {
        logLine(0, "cannot open %s: %s", options.keyFile.c_str(), std::strerror(errno));
        return false;
    }
    identity.key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    if (!identity.key || EVP_PKEY_get_base_id(identity.key) != EVP_PKEY_RSA) {
        logLine(0, "no RSA private key in %s", options.keyFile.c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- sockets

bool sendAll(int fd, View data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += size_t(n);
    }
    return true;
}

int connectTo(const std::string& host, const std::string& port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &result) != 0) {
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = result; a; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            break;
        }
        ::close(fd);
        fd = -1;
    }
    freeaddrinfo(result);
    return fd;
}

// ---------------------------------------------------------------- one connection

enum : uint8_t { ChangeCipherSpec = 20, Alert = 21, Handshake = 22, ApplicationData = 23 };
enum : uint8_t {
    HelloRequest = 0, ClientHello = 1, ServerHello = 2, Certificate = 11,
    ServerKeyExchange = 12, CertificateRequest = 13, ServerHelloDone = 14,
    CertificateVerify = 15, ClientKeyExchange = 16, Finished = 20
};
constexpr size_t maxFragment = 16384;

struct Record {
    uint8_t type;
    Bytes data;
};

class Connection {
public:
    Connection(int fd, int number, const Options& options, const Identity& identity)
        : fd_(fd), n_(number), options_(options), identity_(identity) {}

    void run()
    {
        std::string reason = handshake();
        if (reason.empty()) {
            reason = relay();
        }
        if (target_ >= 0) {
            ::close(target_);
        }
        ::close(fd_);
        logLine(n_, "closed: %s", reason.c_str());
    }

private:
    // ---- records

    enum class Read { Ok, Closed, Bad };

    // One received record from the buffer, decrypted and checked; Bad with
    // error_ set when it is malformed or its MAC is wrong, Closed when more bytes
    // are needed (the caller reads more).
    Read takeRecord(Record& record)
    {
        if (in_.size() < 5) {
            return Read::Closed;
        }
        uint8_t type = in_[0];
        size_t length = size_t(in_[3]) << 8 | in_[4];
        if (type < ChangeCipherSpec || type > ApplicationData || in_[1] != 3
            || length > maxFragment + 2048) {
            error_ = "bad record header " + hex(View(in_).first(5));
            return Read::Bad;
        }
        if (in_.size() < 5 + length) {
            return Read::Closed;
        }
        record.type = type;
        record.data.assign(in_.begin() + 5, in_.begin() + 5 + long(length));
        in_.erase(in_.begin(), in_.begin() + 5 + long(length));
        if (readActive_) {
            readCipher_.apply(record.data.data(), record.data.size());
            if (record.data.size() < mac_->size) {
                error_ = "protected record shorter than its MAC";
                return Read::Bad;
            }
            size_t plain = record.data.size() - mac_->size;
            Bytes expected = recordMac(*mac_, clientMacSecret_, readSequence_++, type,
                                       View(record.data).first(plain));
            if (!std::equal(expected.begin(), expected.end(), record.data.begin() + long(plain))) {
                logLine(n_, "client record MAC BAD (type %d, %zu bytes)", type, plain);
                error_ = "client record MAC BAD";
                return Read::Bad;
            }
            record.data.resize(plain);
        }
        return Read::Ok;
    }

    // Blocks until a whole record has arrived.
    Read readRecord(Record& record)
    {
        for (;;) {
            Read result = takeRecord(record);
            if (result != Read::Closed) {
                return result;
            }
            if (!fill()) {
                return Read::Closed;
            }
        }
    }

    bool fill()
    {
        uint8_t buffer[16384];
        ssize_t n;
        do {
            n = ::recv(fd_, buffer, sizeof buffer, 0);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) {
            return false;
        }
        in_.insert(in_.end(), buffer, buffer + n);
        return true;
    }

    bool sendRecord(uint8_t type, View data, bool corruptMac = false)
    {
        Bytes record{type, 3, 0};
        Bytes body(data.begin(), data.end());
        if (writeActive_) {
            Bytes mac = recordMac(*mac_, serverMacSecret_, writeSequence_++, type, data);
            if (corruptMac) {
                mac.back() ^= 0x01;
            }
            append(body, mac);
            writeCipher_.apply(body.data(), body.size());
        }
        put16(record, body.size());
        append(record, body);
        return sendAll(fd_, record);
    }

    bool sendAlert(int level, int code)
    {
        uint8_t alert[2] = {uint8_t(level), uint8_t(code)};
        return sendRecord(Alert, alert);
    }

    // ---- handshake

    static Bytes handshakeMessage(uint8_t type, View body)
    {
        Bytes message{type};
        put24(message, body.size());
        append(message, body);
        return message;
    }

    // The next handshake message (header included) into message; alerts and
    // ChangeCipherSpec records on the way are logged, a fatal alert ends it. A
    // ChangeCipherSpec is only taken where allowCcs is set (then message is empty).
    std::string nextMessage(Bytes& message, bool allowCcs = false)
    {
        for (;;) {
            if (handshakeIn_.size() >= 4) {
                size_t length = size_t(handshakeIn_[1]) << 16 | size_t(handshakeIn_[2]) << 8
                                | handshakeIn_[3];
                if (handshakeIn_.size() >= 4 + length) {
                    message.assign(handshakeIn_.begin(), handshakeIn_.begin() + long(4 + length));
                    handshakeIn_.erase(handshakeIn_.begin(), handshakeIn_.begin() + long(4 + length));
                    return {};
                }
            }
            Record record;
            Read result = readRecord(record);
            if (result == Read::Closed) {
                return "client closed the connection during the handshake";
            }
            if (result == Read::Bad) {
                return error_;
            }
            switch (record.type) {
            case Handshake:
                append(handshakeIn_, record.data);
                break;
            case Alert:
                if (record.data.size() < 2) {
                    return "short alert record";
                }
                logLine(n_, "client alert %d:%d", record.data[0], record.data[1]);
                if (record.data[0] != 1) {
                    return "client sent a fatal alert";
                }
                break;
            case ChangeCipherSpec:
                logLine(n_, "client change cipher spec%s",
                        record.data == Bytes{1} ? "" : (" with bytes " + hex(record.data)).c_str());
                if (!allowCcs || !handshakeIn_.empty()) {
                    return "unexpected change cipher spec";
                }
                message.clear();
                return {};
            default:
                logLine(n_, "application data during the handshake (%zu bytes)", record.data.size());
                return "application data during the handshake";
            }
        }
    }

    std::string handshake()
    {
        Bytes message;
        std::string error = nextMessage(message);
        if (!error.empty()) {
            return error;
        }
        if (message[0] != ClientHello) {
            sendAlert(2, 10);  // unexpected_message
            return "expected a client hello, got handshake type " + std::to_string(message[0]);
        }
        if (!parseClientHello(View(message).subspan(4))) {
            sendAlert(2, 40);  // handshake_failure
            return error_;
        }
        append(handshakeMessages_, message);

        // ServerHello, Certificate, [ServerKeyExchange], [CertificateRequest],
        // ServerHelloDone: one record while they fit, else one record each.
        std::vector<Bytes> flight;
        Bytes body{3, 0};
        serverRandom_ = randomBytes(32);
        uint32_t now = uint32_t(std::time(nullptr));
        for (int i = 0; i < 4; ++i) {
            serverRandom_[size_t(i)] = uint8_t(now >> (24 - 8 * i));
        }
        append(body, serverRandom_);
        body.push_back(32);
        append(body, randomBytes(32));
        put16(body, unsigned(options_.suite));
        body.push_back(0);
        flight.push_back(handshakeMessage(ServerHello, body));
        logLine(n_, "suite %d", options_.suite);
        mac_ = options_.suite == 5 ? &macSha : &macMd5;

        body.clear();
        size_t chainLength = 0;
        for (const Bytes& cert : identity_.chain) {
            chainLength += 3 + cert.size();
        }
        put24(body, chainLength);
        for (const Bytes& cert : identity_.chain) {
            put24(body, cert.size());
            append(body, cert);
        }
        flight.push_back(handshakeMessage(Certificate, body));
        std::string sent = "server hello, certificate (" + std::to_string(identity_.chain.size())
                           + ", first " + std::to_string(identity_.chain[0].size()) + " bytes)";

        EVP_PKEY* exchangeKey = identity_.key;
        if (options_.serverKeyExchange) {
            temporaryKey_ = EVP_RSA_gen(unsigned(options_.serverKeyExchangeBits));
            if (!temporaryKey_) {
                return "cannot make a temporary RSA key";
            }
            exchangeKey = temporaryKey_;
            Bytes params;
            Bytes modulus = bnBytes(temporaryKey_, OSSL_PKEY_PARAM_RSA_N);
            Bytes exponent = bnBytes(temporaryKey_, OSSL_PKEY_PARAM_RSA_E);
            put16(params, modulus.size());
            append(params, modulus);
            put16(params, exponent.size());
            append(params, exponent);
            // Signed with the certificate's key: MD5 ‖ SHA-1 of the randoms and
            // the parameters, PKCS#1 block type 1 without a DigestInfo.
            Bytes hashes = md5({clientRandom_, serverRandom_, params});
            append(hashes, sha1({clientRandom_, serverRandom_, params}));
            Bytes signature(size_t(EVP_PKEY_get_size(identity_.key)));
            size_t signatureLength = signature.size();
            EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(identity_.key, nullptr);
            bool signedOk = ctx && EVP_PKEY_sign_init(ctx) > 0
                            && EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PADDING) > 0
                            && EVP_PKEY_sign(ctx, signature.data(), &signatureLength,
                                             hashes.data(), hashes.size()) > 0;
            EVP_PKEY_CTX_free(ctx);
            if (!signedOk) {
                return "cannot sign the server key exchange";
            }
            signature.resize(signatureLength);
            body = params;
            put16(body, signature.size());
            append(body, signature);
            flight.push_back(handshakeMessage(ServerKeyExchange, body));
            sent += ", server key exchange (" + std::to_string(modulus.size()) + "-byte modulus)";
        }
        if (options_.certificateRequest) {
            body = {1, 1};  // one certificate type: rsa_sign
            put16(body, 2 + identity_.subject.size());
            put16(body, identity_.subject.size());
            append(body, identity_.subject);
            flight.push_back(handshakeMessage(CertificateRequest, body));
            sent += ", certificate request";
        }
        flight.push_back(handshakeMessage(ServerHelloDone, {}));
        sent += ", server hello done";

        Bytes all;
        for (const Bytes& m : flight) {
            append(all, m);
            append(handshakeMessages_, m);
        }
        bool ok = true;
        if (all.size() <= maxFragment) {
            ok = sendRecord(Handshake, all);
        } else {
            for (const Bytes& m : flight) {
                ok = ok && sendRecord(Handshake, m);
            }
        }
        if (!ok) {
            return "cannot send to the client";
        }
        logLine(n_, "sent %s", sent.c_str());

        // The client's flight up to ClientKeyExchange.
        for (;;) {
            error = nextMessage(message);
            if (!error.empty()) {
                return error;
            }
            if (message[0] == ClientKeyExchange) {
                break;
            }
            logLine(n_, "client handshake type %d (%zu bytes) before the key exchange", message[0],
                    message.size() - 4);
            if (message[0] != Certificate) {
                sendAlert(2, 10);
                return "unexpected handshake message";
            }
            append(handshakeMessages_, message);
        }
        Bytes preMaster = decryptPreMaster(exchangeKey, View(message).subspan(4));
        append(handshakeMessages_, message);

        Bytes master = ssl3Expand(preMaster, clientRandom_, serverRandom_, 48);
        Bytes keys = ssl3Expand(master, serverRandom_, clientRandom_, 2 * mac_->size + 32);
        auto part = [&](size_t offset, size_t length) {
            return Bytes(keys.begin() + long(offset), keys.begin() + long(offset + length));
        };
        clientMacSecret_ = part(0, mac_->size);
        serverMacSecret_ = part(mac_->size, mac_->size);
        readCipher_.init(part(2 * mac_->size, 16));
        writeCipher_.init(part(2 * mac_->size + 16, 16));

        error = nextMessage(message, true);
        if (!error.empty()) {
            return error;
        }
        if (!message.empty()) {
            logLine(n_, "client handshake type %d where its change cipher spec belongs", message[0]);
            sendAlert(2, 10);
            return "no change cipher spec from the client";
        }
        readActive_ = true;
        readSequence_ = 0;

        error = nextMessage(message);
        if (!error.empty()) {
            if (error == "client record MAC BAD") {
                logLine(n_, "client finished BAD (its record's MAC is wrong)");
                sendAlert(2, 20);  // bad_record_mac
            }
            return error;
        }
        Bytes expected = handshakeMessage(Finished, finishedHashes(handshakeMessages_, "CLNT", master));
        if (message != expected) {
            logLine(n_, "client finished BAD (got %s; expected %s)", hex(message, 40).c_str(),
                    hex(expected, 40).c_str());
            sendAlert(2, 40);
            return "client finished BAD";
        }
        logLine(n_, "client finished ok");
        append(handshakeMessages_, message);

        uint8_t one = 1;
        if (!sendRecord(ChangeCipherSpec, View(&one, 1))) {
            return "cannot send to the client";
        }
        writeActive_ = true;
        writeSequence_ = 0;
        Bytes finished = handshakeMessage(Finished, finishedHashes(handshakeMessages_, "SRVR", master));
        if (!sendRecord(Handshake, finished)) {
            return "cannot send to the client";
        }
        logLine(n_, "server finished sent");

        if (options_.helloRequest) {
            sendRecord(Handshake, handshakeMessage(HelloRequest, {}));
            logLine(n_, "sent hello request");
        }
        if (options_.alertLevel >= 0) {
            sendAlert(options_.alertLevel, options_.alertCode);
            logLine(n_, "sent alert %d:%d", options_.alertLevel, options_.alertCode);
        }
        return {};
    }

    bool parseClientHello(View body)
    {
        size_t at = 0;
        auto need = [&](size_t n) { return at + n <= body.size(); };
        if (!need(2 + 32 + 1)) {
            error_ = "client hello too short";
            return false;
        }
        int major = body[0], minor = body[1];
        clientRandom_.assign(body.begin() + 2, body.begin() + 34);
        at = 34;
        size_t sessionLength = body[at++];
        if (!need(sessionLength + 2)) {
            error_ = "client hello too short (session id)";
            return false;
        }
        at += sessionLength;
        size_t suitesLength = size_t(body[at]) << 8 | body[at + 1];
        at += 2;
        if (!need(suitesLength + 1) || suitesLength % 2) {
            error_ = "client hello malformed (cipher suites)";
            return false;
        }
        std::string suites;
        bool offered = false;
        for (size_t i = 0; i < suitesLength; i += 2) {
            unsigned suite = unsigned(body[at + i]) << 8 | body[at + i + 1];
            char text[8];
            std::snprintf(text, sizeof text, "%s%04x", i ? " " : "", suite);
            suites += text;
            offered = offered || suite == unsigned(options_.suite);
        }
        at += suitesLength;
        size_t compressionLength = body[at++];
        if (!need(compressionLength)) {
            error_ = "client hello malformed (compression)";
            return false;
        }
        std::string compression = hex(body.subspan(at, compressionLength));
        at += compressionLength;
        logLine(n_, "client hello version %d.%d, session id %zu bytes, suites %s, compression %s%s",
                major, minor, sessionLength, suites.c_str(), compression.c_str(),
                at < body.size() ? (", " + std::to_string(body.size() - at) + " extra bytes").c_str() : "");
        if (major != 3 || minor != 0) {
            error_ = "client hello version is not 3.0";
            return false;
        }
        if (!offered) {
            logLine(n_, "suite %d was not offered; choosing it all the same", options_.suite);
        }
        return true;
    }

    // RSA-decrypts the 48-byte pre-master secret; a random one on any fault, so
    // that the client's Finished fails (as a real server does).
    Bytes decryptPreMaster(EVP_PKEY* key, View encrypted)
    {
        size_t k = size_t(EVP_PKEY_get_size(key));
        std::string note;
        if (encrypted.size() == k + 2 && (size_t(encrypted[0]) << 8 | encrypted[1]) == k) {
            note = " (with a 2-byte length prefix, not SSL 3.0)";
            encrypted = encrypted.subspan(2);
        }
        Bytes out(k);
        size_t outLength = out.size();
        EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key, nullptr);
        bool ok = encrypted.size() == k && ctx && EVP_PKEY_decrypt_init(ctx) > 0
                  && EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PADDING) > 0
                  && EVP_PKEY_decrypt(ctx, out.data(), &outLength, encrypted.data(),
                                      encrypted.size()) > 0;
        EVP_PKEY_CTX_free(ctx);
        ERR_clear_error();
        if (!ok || outLength != 48) {
            logLine(n_, "client key exchange BAD: %zu bytes for a %zu-byte key%s, %s", encrypted.size(), k,
                    note.c_str(), ok ? "decrypted length is not 48" : "RSA decryption failed");
            return randomBytes(48);
        }
        out.resize(48);
        logLine(n_, "client key exchange %zu bytes%s, pre-master version %d.%d", encrypted.size(),
                note.c_str(), out[0], out[1]);
        return out;
    }

    // ---- relay

    std::string relay()
    {
        target_ = connectTo(options_.targetHost, options_.targetPort);
        if (target_ < 0) {
            return "cannot connect to the target " + options_.targetHost + ":" + options_.targetPort;
        }
        logLine(n_, "relaying to %s:%s", options_.targetHost.c_str(), options_.targetPort.c_str());
        bool firstData = true;
        for (;;) {
            // Records first: some may have come with the client's Finished.
            for (;;) {
                Record record;
                Read result = takeRecord(record);
                if (result == Read::Bad) {
                    return error_;
                }
                if (result == Read::Closed) {
                    break;
                }
                switch (record.type) {
                case ApplicationData:
                    if (!sendAll(target_, record.data)) {
                        return "target closed the connection";
                    }
                    break;
                case Alert:
                    if (record.data.size() < 2) {
                        return "short alert record";
                    }
                    logLine(n_, "client alert %d:%d", record.data[0], record.data[1]);
                    if (record.data[0] != 1) {
                        return "client sent a fatal alert";
                    }
                    if (record.data[1] == 0) {
                        return "client sent close_notify";
                    }
                    break;
                default:
                    logLine(n_, "client record type %d (%zu bytes) after the handshake, ignored",
                            record.type, record.data.size());
                    break;
                }
            }
            pollfd fds[2] = {{fd_, POLLIN, 0}, {target_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return "poll failed";
            }
            if (fds[0].revents) {
                if (!fill()) {
                    return "client closed the connection";
                }
            }
            if (fds[1].revents) {
                uint8_t buffer[maxFragment];
                ssize_t n = ::recv(target_, buffer, sizeof buffer, 0);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n < 0) {
                    return std::string("target connection failed: ") + std::strerror(errno);
                }
                if (n == 0) {
                    return "target closed the connection";
                }
                bool corrupt = firstData && options_.badMac;
                if (!sendRecord(ApplicationData, View(buffer, size_t(n)), corrupt)) {
                    return "client closed the connection";
                }
                if (corrupt) {
                    logLine(n_, "sent application data (%zd bytes) with a corrupted MAC", n);
                }
                firstData = false;
            }
        }
    }

    int fd_;
    int n_;
    const Options& options_;
    const Identity& identity_;
    int target_ = -1;
    std::string error_;
    Bytes in_;           // received, not yet taken as records
    Bytes handshakeIn_;  // handshake bytes not yet taken as messages
    Bytes handshakeMessages_;
    Bytes clientRandom_, serverRandom_;
    EVP_PKEY* temporaryKey_ = nullptr;
    const MacAlgorithm* mac_ = &macMd5;
    Bytes clientMacSecret_, serverMacSecret_;
    Rc4 readCipher_, writeCipher_;
    bool readActive_ = false, writeActive_ = false;
    uint64_t readSequence_ = 0, writeSequence_ = 0;

public:
    ~Connection() { EVP_PKEY_free(temporaryKey_); }
};

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "-port" && (v = value())) {
            options.port = std::atoi(v);
        } else if (arg == "-port-file" && (v = value())) {
            options.portFile = v;
        } else if (arg == "-target" && (v = value())) {
            std::string target = v;
            size_t colon = target.rfind(':');
            if (colon == std::string::npos) {
                return false;
            }
            options.targetHost = target.substr(0, colon);
            options.targetPort = target.substr(colon + 1);
        } else if (arg == "-cert" && (v = value())) {
            options.certFile = v;
        } else if (arg == "-key" && (v = value())) {
            options.keyFile = v;
        } else if (arg == "-suite" && (v = value())) {
            options.suite = int(std::strtol(v, nullptr, 0));
        } else if (arg == "-server-key-exchange") {
            options.serverKeyExchange = true;
        } else if (arg == "-ske-bits" && (v = value())) {
            options.serverKeyExchangeBits = std::atoi(v);
        } else if (arg == "-certificate-request") {
            options.certificateRequest = true;
        } else if (arg == "-hello-request") {
            options.helloRequest = true;
        } else if (arg == "-alert" && (v = value())) {
            if (std::sscanf(v, "%d:%d", &options.alertLevel, &options.alertCode) != 2) {
                return false;
            }
        } else if (arg == "-bad-mac") {
            options.badMac = true;
        } else if (arg == "-once") {
            options.once = true;
        } else {
            return false;
        }
    }
    return !options.targetHost.empty() && !options.certFile.empty() && !options.keyFile.empty()
           && options.suite >= 0 && options.suite <= 0xFFFF;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage();
        return 2;
    }
    Identity identity;
    if (!loadIdentity(options, identity)) {
        return 1;
    }
    signal(SIGPIPE, SIG_IGN);

    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(options.port));
    socklen_t addressLength = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener, 16) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &addressLength) != 0) {
        logLine(0, "cannot listen on port %d: %s", options.port, std::strerror(errno));
        return 1;
    }
    int port = ntohs(address.sin_port);
    if (!options.portFile.empty()) {
        std::string temporary = options.portFile + ".tmp";
        FILE* file = std::fopen(temporary.c_str(), "w");
        if (!file || std::fprintf(file, "%d\n", port) < 0 || std::fclose(file) != 0
            || std::rename(temporary.c_str(), options.portFile.c_str()) != 0) {
            logLine(0, "cannot write %s", options.portFile.c_str());
            return 1;
        }
    }
    std::printf("listening on %d\n", port);
    std::fflush(stdout);

    for (int number = 1;; ++number) {
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        int fd = ::accept(listener, reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                --number;
                continue;
            }
            logLine(0, "accept failed: %s", std::strerror(errno));
            return 1;
        }
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        char peerText[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, &peer.sin_addr, peerText, sizeof peerText);
        logLine(number, "connection from %s:%d", peerText, ntohs(peer.sin_port));
        if (options.once) {
            ::close(listener);
            Connection(fd, number, options, identity).run();
            return 0;
        }
        std::thread([fd, number, &options, &identity] {
            Connection(fd, number, options, identity).run();
        }).detach();
    }
}
