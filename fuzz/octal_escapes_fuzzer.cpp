// Feeds arbitrary text as a proxy template to the octal-escape decoder and the
// scripted login, and arbitrary bytes as a SOCKS reply read in two pieces.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "net/octal_escapes.h"
#include "net/proxy_login.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;  // settings texts are short; longer inputs only slow the search down
    }
    const std::string text(reinterpret_cast<const char*>(data), size);

    // Every escape takes at least one character and yields one byte.
    const std::vector<uint8_t> decoded = kestrel::decodeOctalEscapes(text);
    if (decoded.size() > text.size()) {
        std::abort();
    }
    if (text.find('\\') == std::string::npos &&
        decoded != std::vector<uint8_t>(text.begin(), text.end())) {
        std::abort();
    }

    // The sends carry the login line whole, in order, and none is empty.
    const std::vector<uint8_t> login = kestrel::scriptedLoginText(text, "h$1$2", 23);
    std::vector<uint8_t> joined;
    for (const std::vector<uint8_t>& piece : kestrel::splitScriptedLogin(login)) {
        if (piece.empty()) {
            std::abort();
        }
        joined.insert(joined.end(), piece.begin(), piece.end());
    }
    if (joined != login) {
        std::abort();
    }

    // A reply read whole or in two pieces is decided alike and leaves the same
    // bytes for the host.
    if (size > 1) {
        const std::span<const uint8_t> bytes(data, size);
        const std::size_t cut = 1 + data[size - 1] % (size - 1);
        kestrel::SocksReplyProgress progress;
        const kestrel::SocksReplyCheck once = kestrel::checkSocksReply(bytes, true, true, progress);
        progress = {};
        kestrel::SocksReplyCheck split =
            kestrel::checkSocksReply(bytes.first(cut), true, true, progress);
        if (split.complete) {
            split.hostData.insert(split.hostData.end(), bytes.begin() + cut, bytes.end());
        } else if (split.consumed) {
            split = kestrel::checkSocksReply(bytes.subspan(cut), true, true, progress);
        }
        if (once.consumed != split.consumed || once.complete != split.complete ||
            once.granted != split.granted || once.hostData != split.hostData) {
            std::abort();
        }
    }
    return 0;
}
