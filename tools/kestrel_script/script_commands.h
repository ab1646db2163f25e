// The commands of the headless terminal: one line in, its output lines and
// one answer line ("ok" or "error: TEXT") out.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "script_ui.h"
#include "terminal/terminal.h"

namespace kestrel {

enum class CommandResult { Ok, Error, Quit };

class ScriptCommands {
  public:
    ScriptCommands(Terminal& terminal, ScriptUi& ui, std::ostream& out);

    // Carries out one command line and prints its answer. Empty lines and
    // comments give no answer and count as Ok.
    CommandResult execute(const std::string& line);

  private:
    // Returns the error text, or an empty string on success.
    std::string run(const std::string& word, const std::string& rest);
    std::string record(const std::string& hex);
    std::string feed(const std::string& hex);
    std::string connect(const std::string& hostText);
    std::string type(const std::string& text);
    std::string key(const std::string& name);
    std::string pcKey(const std::string& name);
    std::string cursor(const std::string& rowAndColumn);
    std::string wait(const std::string& seconds);
    std::string waitDisconnect(const std::string& seconds);
    void printScreen();
    void printCells();
    void printImage();
    void printStatus();
    std::string set(const std::string& rest);
    std::string get(const std::string& key);
    std::string sleep(const std::string& milliseconds);
    // Processes events until DONE holds or MILLISECONDS pass; whether DONE held.
    bool processEventsUntil(const std::function<bool()>& done, long milliseconds);

    Terminal& terminal_;
    ScriptUi& ui_;
    std::ostream& out_;
    // Segments received when the last command other than a wait began.
    uint64_t segmentsAtCommand_ = 0;
};

}  // namespace kestrel
