#include "config/command_line.h"

namespace kestrel {
namespace {

constexpr std::string_view kUrlPrefix = "tn3270://";

// A decimal port number from 1 to 65535, digits only.
bool isValidPort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return false;
    }
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

// Characters in UTF-8 text. A lead byte takes up the continuation bytes it
// announces; any other byte (a stray continuation byte, say) is a character of
// its own, so a character never spans more than four bytes.
std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i++]);
        const std::size_t following = lead >= 0xF0 && lead <= 0xF7   ? 3
                                      : lead >= 0xE0 && lead <= 0xEF ? 2
                                      : lead >= 0xC0 && lead <= 0xDF ? 1
                                                                     : 0;
        for (std::size_t k = 0; k < following && i < text.size() &&
                                (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
             ++k) {
            ++i;
        }
        ++count;
    }
    return count;
}

}  // namespace

std::optional<std::string> ParsedCommandLine::documentTitle() const {
    const std::size_t length = characterCount(sessionTitle);
    if (length >= 1 && length <= kSessionTitleLimit) {
        return sessionTitle;
    }
    return std::nullopt;
}

std::optional<std::string> ParsedCommandLine::effectivePort() const {
    if (isValidPort(port)) {
        return port;
    }
    if (isValidPort(hostPort)) {
        return hostPort;
    }
    return std::nullopt;
}

CommandLineSettings ParsedCommandLine::toSettings() const {
    CommandLineSettings settings;
    settings.configurationName = configurationName;
    settings.saveFlag = saveFlag;
    // An empty host (for instance "tn3270://" alone) names no host to connect to.
    if (!host.empty()) {
        settings.host = host;
    }
    // A port that is no valid number would become port 0; the stored port stays.
    settings.port = effectivePort();
    settings.hideToolbar = noToolbar;
    return settings;
}

void mycli::assign(Option option, std::string_view value) {
    waiting_[option] = false;
    switch (option) {
        case kHost:
            result_.hostPort.clear();
            if (value.substr(0, kUrlPrefix.size()) == kUrlPrefix) {
                std::string_view rest = value.substr(kUrlPrefix.size());
                rest = rest.substr(0, rest.find('/'));
                // "host:port": the connection takes host and port apart, so the
                // port is split off when it is a valid port number.
                const std::size_t colon = rest.rfind(':');
                if (colon != std::string_view::npos && colon > 0 &&
                    rest.substr(0, colon).find(':') == std::string_view::npos &&
                    isValidPort(rest.substr(colon + 1))) {
                    result_.hostPort = std::string(rest.substr(colon + 1));
                    rest = rest.substr(0, colon);
                }
                result_.host = std::string(rest);
            } else {
                result_.host = std::string(value);
            }
            break;
        case kTitle:
            result_.sessionTitle = std::string(value);
            break;
        case kSave:
            result_.saveFlag = std::string(value);
            break;
        case kDirect:
            result_.directConnect = std::string(value);
            break;
        case kMenu:
            result_.noMenu = true;
            break;
        case kToolbar:
            result_.noToolbar = true;
            break;
        case kPort:
            result_.port = std::string(value);
            break;
        case kConfig:
            result_.configurationName = std::string(value);
            break;
        case kOptionCount:
            break;
    }
}

void mycli::parseParam(std::string_view argument) {
    const bool isOption = !argument.empty() && (argument[0] == '/' || argument[0] == '-');
    if (isOption) {
        Option option = kOptionCount;
        if (argument.size() >= 2) {
            switch (argument[1]) {
                case 'H':
                case 'h':
                    option = kHost;
                    break;
                case 'N':
                case 'n':
                    option = kTitle;
                    break;
                case 'S':
                case 's':
                    option = kSave;
                    break;
                case 'R':
                case 'r':
                    option = kDirect;
                    break;
                case 'M':
                case 'm':
                    option = kMenu;
                    break;
                case 'T':
                case 't':
                    option = kToolbar;
                    break;
                case 'P':
                case 'p':
                    option = kPort;
                    break;
                case 'C':
                case 'c':
                    option = kConfig;
                    break;
                default:
                    break;
            }
        }
        if (option == kOptionCount) {
            result_.otherArguments.emplace_back(argument);
        } else if (argument.size() > 2) {
            assign(option, argument.substr(2));
        } else {
            waiting_[option] = true;
        }
        return;
    }
    // An empty argument is no value: it would leave an option set to nothing
    // (an empty save flag, for one, would stop the configuration being written).
    if (!argument.empty()) {
        for (int option = 0; option < kOptionCount; ++option) {
            if (waiting_[option]) {
                assign(static_cast<Option>(option), argument);
                return;
            }
        }
    }
    result_.otherArguments.emplace_back(argument);
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    mycli parser;
    for (const std::string& argument : arguments) {
        parser.parseParam(argument);
    }
    return parser.result();
}

ParsedCommandLine parseCommandLine(int argc, const char* const* argv) {
    mycli parser;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr) {
            parser.parseParam(argv[i]);
        }
    }
    return parser.result();
}

}  // namespace kestrel
