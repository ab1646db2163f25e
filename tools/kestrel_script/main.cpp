// kestrel-script: the terminal without a window, driven by commands on
// standard input or from a file. See the README for the commands.
#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "config/configuration.h"
#include "config/data_directory.h"
#include "qtcore/qsettings_store.h"
#include "qtcore/qt_transport.h"
#include "qtcore/startup_environment.h"
#include "script_commands.h"
#include "script_ui.h"
#include "terminal/terminal.h"

using namespace kestrel;

namespace {

struct Options {
    int alternate = 0;  // 0: as configured
    std::string configurationName = "1";
    std::string codePage;
    std::string keyMap;
    std::string trace;
    std::string commandFile;
};

int usage(const std::string& problem) {
    std::cerr << "kestrel-script: " << problem << "\n"
              << "usage: kestrel-script [-C NAME] [-model 2|3] [-codepage FILE] [-keymap FILE]"
                 " [-trace FILE] [-f FILE]\n";
    return 2;
}

// Paths are made absolute at once: reading the configuration may change the
// current directory.
std::string absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.string();
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
        } else if (option == "-C") {
            options.configurationName = value;
        } else if (option == "-codepage") {
            options.codePage = absolute(value);
        } else if (option == "-keymap") {
            options.keyMap = absolute(value);
        } else if (option == "-f") {
            options.commandFile = value;
        } else if (option == "-trace") {
            options.trace = absolute(value);
        } else {
            return "unknown option " + option;
        }
    }
    return {};
}

bool canOpen(const std::string& path) {
    return !path.empty() && std::ifstream(path).good();
}

// A file of this run: the one given, else the configured one, else the supplied one.
std::string chooseFile(const std::string& given, const std::string& configured,
                       const std::string& supplied, const char* executable) {
    if (!given.empty()) {
        return given;
    }
    if (canOpen(configured)) {
        return configured;
    }
    const std::string directory = findDataDirectory(executable, supplied);
    return directory.empty() ? supplied : directory + "/" + supplied;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
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
    // The settings come from the store of the desktop terminal and are never
    // written back.
    QSettingsStore store("kestrel");
    CommandLineSettings commandLine;
    commandLine.configurationName = options.configurationName;
    Settings settings =
        loadSettings(store, ui, systemStartupEnvironment(argv[0]), commandLine).settings;
    if (options.alternate) {
        settings.alternate = options.alternate;
    }
    if (!options.trace.empty()) {
        settings.logname = options.trace;
        settings.log_enable = 1;
    }
    QtTransport transport;
    Terminal terminal(settings, ui, transport);
    transport.setSession(&terminal.session);
    ui.timers.setHandler([&terminal](int id) { terminal.session.onTimer(id); });
    terminal.loadKeyMap(chooseFile(options.keyMap, settings.keyname, "tnkeys.map", argv[0]));
    terminal.loadCodePage(chooseFile(options.codePage, settings.ebcdic_id, "ebcdic.map", argv[0]));

    ScriptCommands commands(terminal, ui, std::cout);
    bool failed = false;
    std::string line;
    while (std::getline(input, line)) {
        const CommandResult result = commands.execute(line);
        std::cout.flush();
        failed = failed || result == CommandResult::Error;
        if (result == CommandResult::Quit || ui.exitRequested) {
            break;
        }
    }
    terminal.session.disconnectCommand();
    return failed ? 1 : 0;
}
