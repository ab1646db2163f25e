// A Transport that records every call as a line of text ("open h 23",
// "write FFFB18", "close") and accepts as many bytes as it is told to.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "net/transport.h"

namespace kestrel::test_support {

class RecordingTransport : public Transport {
  public:
    bool open(const std::string& host, int port) override {
        calls.push_back("open " + host + " " + std::to_string(port));
        return openSucceeds;
    }
    long write(const uint8_t* data, size_t length) override {
        const size_t taken = accept < 0 ? 0 : std::min(length, size_t(accept));
        std::string hex;
        char digits[3];
        for (size_t i = 0; i < taken; ++i) {
            std::snprintf(digits, sizeof digits, "%02X", data[i]);
            hex += digits;
        }
        calls.push_back(accept < 0 ? "write failed" : "write " + hex);
        return accept < 0 ? -1 : long(taken);
    }
    void close() override { calls.push_back("close"); }
    std::optional<std::array<uint8_t, 4>> lookupIPv4(const std::string& name) override {
        calls.push_back("lookup " + name);
        const auto found = addresses.find(name);
        if (found == addresses.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    std::vector<std::string> calls;
    bool openSucceeds = true;
    // Bytes accepted per write; -1 makes every write fail.
    long accept = 1 << 30;
    std::map<std::string, std::array<uint8_t, 4>> addresses;
};

}  // namespace kestrel::test_support
