// The commands of the headless terminal: one line in, its output lines and
// one answer line ("ok" or "error: TEXT") out.
#pragma once

#include <ostream>
#include <string>

#include "terminal/terminal.h"

namespace kestrel {

enum class CommandResult { Ok, Error, Quit };

class ScriptCommands {
  public:
    ScriptCommands(Terminal& terminal, std::ostream& out) : terminal_(terminal), out_(out) {}

    // Carries out one command line and prints its answer. Empty lines and
    // comments give no answer and count as Ok.
    CommandResult execute(const std::string& line);

  private:
    // Returns the error text, or an empty string on success.
    std::string run(const std::string& word, const std::string& rest);
    std::string record(const std::string& hex);
    void printScreen();
    void printCells();
    void printImage();
    void printStatus();
    std::string set(const std::string& rest);
    std::string get(const std::string& key);
    std::string sleep(const std::string& milliseconds);

    Terminal& terminal_;
    std::ostream& out_;
};

}  // namespace kestrel
