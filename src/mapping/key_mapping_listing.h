// The readable listing of the loaded key bindings, as the "Keyboard Mapping"
// window shows it: one line per binding line of the mapping file, in file order.
//
// The listing holds at most 255 lines. Once it is full, each new line replaces
// the oldest one in its place, so lines() then starts at the wrapped-around part.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class KeyMappingListing {
  public:
    static constexpr std::size_t kCapacity = 255;

    // Appends the line for a binding of KEY_WORD to FUNCTION_WORD, the function
    // word exactly as written in the file.
    void add(std::string_view keyWord, std::string_view functionWord);
    void clear();

    // The lines in slot order, the first one to be selected.
    std::vector<std::string> lines() const;
    std::size_t size() const { return count_ < kCapacity ? count_ : kCapacity; }

    // One listing line: a blank, the display name of KEY_WORD padded or cut to 20
    // characters, a blank and FUNCTION_WORD.
    static std::string format(std::string_view keyWord, std::string_view functionWord);

  private:
    std::array<std::string, kCapacity> slots_;
    std::size_t count_ = 0;  // lines added since the last clear
};

}  // namespace kestrel
