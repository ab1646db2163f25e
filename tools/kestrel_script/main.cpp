// kestrel-script: the terminal without a window, driven by commands on
// standard input or from a file. See the README for the commands.
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "config/data_directory.h"
#include "script_commands.h"
#include "script_ui.h"
#include "terminal/terminal.h"

using namespace kestrel;

namespace {

struct Options {
    int alternate = 0;  // 0: as configured
    std::string codePage;
    std::string commandFile;
};

int usage(const std::string& problem) {
    std::cerr << "kestrel-script: " << problem << "\n"
              << "usage: kestrel-script [-model 2|3] [-codepage FILE] [-f FILE]\n";
    return 2;
}

// Returns an empty string when the arguments are good, else the problem.
std::string parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            return "option " + option + " needs a value";
        }
        const std::string value = argv[++i];
        if (option == "-model") {
            if (value != "2" && value != "3") {
                return "-model takes 2 or 3";
            }
            options.alternate = value == "2" ? 24 : 32;
        } else if (option == "-codepage") {
            options.codePage = value;
        } else if (option == "-f") {
            options.commandFile = value;
        } else if (option == "-C" || option == "-keymap" || option == "-trace") {
            return "option " + option + " is not available";
        } else {
            return "unknown option " + option;
        }
    }
    return {};
}

// The code page of this run: the one given, else the configured one, else
// the supplied ebcdic.map.
void loadCodePage(Terminal& terminal, const Options& options, const char* executable) {
    if (!options.codePage.empty()) {
        terminal.loadCodePage(options.codePage);
        return;
    }
    const std::string& configured = terminal.settings.ebcdic_id;
    if (!configured.empty() && std::ifstream(configured).good()) {
        terminal.loadCodePage(configured);
        return;
    }
    const std::string directory = findDataDirectory(executable, "ebcdic.map");
    terminal.loadCodePage(directory.empty() ? "ebcdic.map" : directory + "/ebcdic.map");
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const std::string problem = parseOptions(argc, argv, options); !problem.empty()) {
        return usage(problem);
    }

    std::ifstream file;
    if (!options.commandFile.empty()) {
        file.open(options.commandFile);
        if (!file) {
            std::cerr << "kestrel-script: cannot open " << options.commandFile << "\n";
            return 2;
        }
    }
    std::istream& input = options.commandFile.empty() ? std::cin : file;

    ScriptUi ui(std::cout);
    Settings settings;
    if (options.alternate) {
        settings.alternate = options.alternate;
    }
    Terminal terminal(settings, ui);
    loadCodePage(terminal, options, argv[0]);

    ScriptCommands commands(terminal, std::cout);
    bool failed = false;
    std::string line;
    while (std::getline(input, line)) {
        const CommandResult result = commands.execute(line);
        std::cout.flush();
        failed = failed || result == CommandResult::Error;
        if (result == CommandResult::Quit) {
            break;
        }
    }
    return failed ? 1 : 0;
}
