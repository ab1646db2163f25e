// The proxy login: octal escapes, the SOCKS 4 request, its destination and its
// reply (whole, split across reads, followed by host data), and the scripted
// login line and how it is sent.
#include "net/proxy_login.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "net/octal_escapes.h"
#include "platform/messages.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

TEST(OctalEscapes, DecodesEveryRule) {
    struct Case {
        const char* text;
        Bytes expected;
    } cases[] = {
        {"plain text", bytesOf("plain text")},
        {"", {}},
        {"\\015\\012", {13, 10}},
        {"\\0101", {8, '1'}},  // three digits end the escape
        {"\\1", {1}},          // the end of the text ends it
        {"\\12", {10}},
        {"\\123", {0123}},
        {"\\12x", {10, 'x'}},  // a non-octal character is read again
        {"\\18", {1, '8'}},    // 8 is not an octal digit
        {"\\q", {0, 'q'}},     // no digits: a zero byte
        {"\\", {0}},           // a lone trailing backslash
        {"a\\", {'a', 0}},
        {"\\1\\2", {1, 2}},  // a backslash inside an escape starts a new one
        {"\\\\", {0, 0}},
        {"\\12\\", {10, 0}},
        {"\\777", {255}},  // the low eight bits of 511
        {"\\400", {0}},
        {"\\0000", {0, '0'}},
        {"$1 $2\\015\\012", bytesOf("$1 $2\r\n")},
        {"\xe9\x80", {0xE9, 0x80}},  // bytes above 127 are copied unchanged
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeOctalEscapes(c.text), c.expected) << "text \"" << c.text << "\"";
    }
}

TEST(SocksConnectRequest, LaysOutVersionCommandPortAddressAndUserId) {
    struct Case {
        int port;
        Ipv4Address address;
        const char* userId;
        Bytes expected;
    } cases[] = {
        {23, {10, 1, 2, 3}, "", {4, 1, 0, 23, 10, 1, 2, 3, 0}},
        {992, {192, 168, 0, 200}, "", {4, 1, 3, 224, 192, 168, 0, 200, 0}},
        {65535, {1, 2, 3, 4}, "u", {4, 1, 255, 255, 1, 2, 3, 4, 'u', 0}},
        // The template is the user id as it stands: not decoded, not expanded.
        {23, {10, 1, 2, 3}, "$1 $2\\015\\012", {4,   1,    0,   23,  10,  1,    2,   3,
                                                '$', '1',  ' ', '$', '2', '\\', '0', '1',
                                                '5', '\\', '0', '1', '2', 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(socksConnectRequest(c.port, c.address, c.userId), c.expected)
            << "port " << c.port << " user id \"" << c.userId << "\"";
    }
}

TEST(SocksDestination, DottedAddressOrLookUpByTheFirstCharacter) {
    const Ipv4Address kResolved = {93, 184, 216, 34};
    struct Case {
        std::string hostName;
        std::optional<Ipv4Address> lookUpGives;
        std::optional<Ipv4Address> expected;
        bool lookedUp;
    } cases[] = {
        {"10.1.2.3", std::nullopt, Ipv4Address{10, 1, 2, 3}, false},
        {"0.0.0.0", std::nullopt, std::nullopt, false},
        {"255.255.255.255", std::nullopt, std::nullopt, false},
        {"255.255.255.254", std::nullopt, Ipv4Address{255, 255, 255, 254}, false},
        // Malformed dotted addresses fail rather than guess.
        {"10.1.2", std::nullopt, std::nullopt, false},
        {"10.1.2.3.4", std::nullopt, std::nullopt, false},
        {"10.1.2.", std::nullopt, std::nullopt, false},
        {"10..2.3", std::nullopt, std::nullopt, false},
        {"256.1.2.3", std::nullopt, std::nullopt, false},
        {"1000.1.2.3", std::nullopt, std::nullopt, false},
        {"010.1.2.3", std::nullopt, std::nullopt, false},  // octal or decimal? neither
        {"10.1.2.3 ", std::nullopt, std::nullopt, false},
        {"1.2.3.4:23", std::nullopt, std::nullopt, false},
        {"", std::nullopt, std::nullopt, false},
        // A first character up to '9' means a dotted address, even for a name.
        {"9fans.example", kResolved, std::nullopt, false},
        {"-host", kResolved, std::nullopt, false},
        {"\xe9host", kResolved, std::nullopt, false},  // negative as a signed byte
        // Above '9': looked up by name.
        {"host.example", kResolved, kResolved, true},
        {":host", kResolved, kResolved, true},
        {"host.example", std::nullopt, std::nullopt, true},
        {"host.example", Ipv4Address{0, 0, 0, 0}, std::nullopt, true},
        {"host.example", Ipv4Address{255, 255, 255, 255}, std::nullopt, true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lookUps;
        const HostResolver resolve = [&](const std::string& name) {
            lookUps.push_back(name);
            return c.lookUpGives;
        };
        EXPECT_EQ(socksDestinationAddress(c.hostName, resolve), c.expected)
            << "host \"" << c.hostName << "\"";
        EXPECT_EQ(lookUps,
                  c.lookedUp ? std::vector<std::string>{c.hostName} : std::vector<std::string>{})
            << "host \"" << c.hostName << "\"";
    }
    EXPECT_EQ(socksDestinationAddress("host.example", HostResolver{}), std::nullopt);
}

TEST(SocksDestination, LookUpFailureMessageIsExact) {
    EXPECT_STREQ(messageText(kSocksLookupFailedMessage),
                 "Cannot make a DNS lookup for the host. Check tcp/ip configuration or use a raw "
                 "ip address.");
}

TEST(ScriptedLogin, ExpandsTheDecodedTemplate) {
    struct Case {
        const char* syntax;
        const char* host;
        int port;
        std::string expected;
    } cases[] = {
        {"$1 $2\\015\\012", "h", 23, "h 23\r\n"},
        {"connect $2 $1\\015", "h", 23, "connect 23 h\r"},
        {"\\015$1:$2", "host.example", 992, "\rhost.example:992"},
        {"$1 $1 $2 $2", "h", 23, "h $1 23 $2"},  // each placeholder once
        {"$1 $2", "a$2b", 23, "a$2b 23"},        // the host name is not expanded again
        {"$1", "", 23, ""},
        {"$3 $ $", "h", 23, "$3 $ $"},
        {"$$1", "h", 23, "$h"},
        {"\\0441", "h", 23, "h"},  // escapes are decoded first
        {"$\\061", "h", 23, "h"},
        {"", "h", 23, ""},
        {"login\\0", "h", 23, std::string("login\0", 6)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scriptedLoginText(c.syntax, c.host, c.port), bytesOf(c.expected))
            << "syntax \"" << c.syntax << "\"";
    }
}

TEST(ScriptedLogin, LeadingControlByteIsSentAlone) {
    struct Case {
        std::string text;
        std::vector<Bytes> sends;
    } cases[] = {
        {"h 23\r\n", {bytesOf("h 23\r\n")}},
        {"\rh 23\r\n", {{'\r'}, bytesOf("h 23\r\n")}},
        {"\r", {{'\r'}}},  // nothing empty is sent after it
        {"", {}},
        {std::string("\0x", 2), {{0}, {'x'}}},
        {"\x1f"
         "x",
         {{0x1F}, {'x'}}},
        {"\x80"
         "x",
         {{0x80}, {'x'}}},  // negative as a signed byte
        {"\xff"
         "x",
         {{0xFF}, {'x'}}},
        {" x", {bytesOf(" x")}},
        {"\x7f"
         "x",
         {bytesOf("\x7f"
                  "x")}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitScriptedLogin(bytesOf(c.text)), c.sends) << "text \"" << c.text << "\"";
    }

    // The default template in one piece; one starting with \015 sends the CR first.
    EXPECT_EQ(splitScriptedLogin(scriptedLoginText("$1 $2\\015\\012", "h", 23)),
              std::vector<Bytes>{bytesOf("h 23\r\n")});
    EXPECT_EQ(splitScriptedLogin(scriptedLoginText("\\015$1 $2\\015", "h", 23)),
              (std::vector<Bytes>{{'\r'}, bytesOf("h 23\r")}));
}

std::string describe(const SocksReplyCheck& check) {
    std::string text = check.consumed ? "consumed" : "not consumed";
    if (check.complete) {
        text += check.granted ? " granted" : " refused";
    }
    for (uint8_t byte : check.hostData) {
        text += " " + std::to_string(byte);
    }
    return text;
}

TEST(SocksReply, OneReadDecidesWhenItBeginsWithZero) {
    struct Case {
        Bytes read;
        bool socksEnabled;
        bool pending;
        const char* expected;
    } cases[] = {
        {{0, 90, 0, 0, 0, 0, 0, 0}, true, true, "consumed granted"},
        {{0, 91, 0, 0, 0, 0, 0, 0}, true, true, "consumed refused"},
        {{0, 92, 0, 0, 0, 0, 0, 0}, true, true, "consumed refused"},
        {{0, 90, 4, 56, 10, 1, 2, 3}, true, true, "consumed granted"},
        // Host data in the same read goes on to the receive path.
        {{0, 90, 0, 0, 0, 0, 0, 0, 255, 253, 24}, true, true, "consumed granted 255 253 24"},
        {{0, 91, 0, 0, 0, 0, 0, 0, 'x'}, true, true, "consumed refused 120"},
        {{4, 90, 0, 0, 0, 0, 0, 0}, true, true, "not consumed"},
        {{255, 253, 24}, true, true, "not consumed"},
        {{0, 90, 0, 0, 0, 0, 0, 0}, false, true, "not consumed"},
        {{0, 90, 0, 0, 0, 0, 0, 0}, true, false, "not consumed"},
        {{}, true, true, "not consumed"},
    };
    for (const Case& c : cases) {
        SocksReplyProgress progress;
        EXPECT_EQ(describe(checkSocksReply(c.read, c.socksEnabled, c.pending, progress)),
                  c.expected);
    }
}

// A reply split across reads is collected until its 8 bytes are in, so its
// tail (the port and address, which need not begin with 0) never passes for
// host data.
TEST(SocksReply, SplitAtEveryOffsetGivesTheSameResult) {
    const Bytes stream = {0, 90, 4, 56, 10, 1, 2, 3, 255, 251, 25};
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        SocksReplyProgress progress;
        const Bytes first(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
        const Bytes second(stream.begin() + static_cast<std::ptrdiff_t>(cut), stream.end());
        const SocksReplyCheck a = checkSocksReply(first, true, true, progress);
        if (cut < 8) {
            EXPECT_EQ(describe(a), "consumed") << "cut " << cut;
            EXPECT_EQ(describe(checkSocksReply(second, true, true, progress)),
                      "consumed granted 255 251 25")
                << "cut " << cut;
        } else {
            EXPECT_EQ(describe(a), "consumed granted" + std::string(cut > 8 ? " 255" : "") +
                                       std::string(cut > 9 ? " 251" : ""))
                << "cut " << cut;
        }
    }

    // One byte a read; the reply is refused once its eighth byte is in.
    SocksReplyProgress progress;
    const Bytes refused = {0, 91, 0, 23, 10, 1, 2, 3};
    for (std::size_t i = 0; i < refused.size(); ++i) {
        const SocksReplyCheck check = checkSocksReply(Bytes{refused[i]}, true, true, progress);
        EXPECT_EQ(describe(check), i + 1 < refused.size() ? "consumed" : "consumed refused");
    }
    // The next request starts afresh: a read not beginning with 0 is not a reply.
    EXPECT_EQ(describe(checkSocksReply(Bytes{4, 0}, true, true, progress)), "not consumed");
}

}  // namespace
}  // namespace kestrel
