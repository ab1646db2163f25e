// The program's arguments: the start-up values they set (configuration name,
// host, port, session title, direct-connect and save flags, no menu, no
// toolbar) and the arguments left for the standard handling.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/configuration.h"

namespace kestrel {

// A session title is shown in place of the document title when it has 1 to
// this many characters.
inline constexpr std::size_t kSessionTitleLimit = 19;

// What the command line said. All values are held as given.
struct ParsedCommandLine {
    std::string configurationName = "1";  // /C
    std::string host;                     // /H (the host of a tn3270:// URL)
    std::string hostPort;                 // the ":port" of a tn3270:// URL given to /H
    std::string sessionTitle;             // /N
    std::string port;                     // /P
    std::string directConnect = "0";      // /R
    std::string saveFlag = "0";           // /S
    bool noMenu = false;                  // /M
    bool noToolbar = false;               // /T
    // Arguments that are none of the above, unchanged and in order.
    std::vector<std::string> otherArguments;

    // The session title when it has 1 to kSessionTitleLimit characters.
    std::optional<std::string> documentTitle() const;
    // The Connect command connects at once without its dialog.
    bool directConnectRequested() const {
        return !directConnect.empty() && directConnect[0] == '1';
    }
    // The port to use: /P when it is a valid port, else the URL's port.
    std::optional<std::string> effectivePort() const;
    // The values reading the configuration applies.
    CommandLineSettings toSettings() const;
};

// Parses the arguments left to right. An argument beginning with '/' or '-'
// is an option selected by its first letter in either case; every option but
// M and T takes a value written behind the letter or as a later argument.
// An option without a value waits for the next argument that is no option;
// that argument goes to the first waiting option in the order H N S R M T P C.
class mycli {
  public:
    void parseParam(std::string_view argument);
    const ParsedCommandLine& result() const { return result_; }

  private:
    enum Option { kHost, kTitle, kSave, kDirect, kMenu, kToolbar, kPort, kConfig, kOptionCount };
    void assign(Option option, std::string_view value);

    ParsedCommandLine result_;
    bool waiting_[kOptionCount] = {};
};

// Parses ARGUMENTS (without the program name).
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);
// Parses ARGV[1] .. ARGV[ARGC-1].
ParsedCommandLine parseCommandLine(int argc, const char* const* argv);

}  // namespace kestrel
