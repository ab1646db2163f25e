// Reads a text file line by line in pieces of at most 79 characters.
//
// All of the terminal's line-oriented files are read this way: a line longer than
// 79 characters is read as several lines, and each piece keeps its line end when
// the line end fits into it.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace kestrel {

class TextLineReader {
  public:
    static constexpr std::size_t kMaxPiece = 79;

    explicit TextLineReader(std::istream& in) : in_(in) {}

    // Reads the next piece into PIECE; false at the end of the input.
    bool next(std::string& piece);

  private:
    std::istream& in_;
};

}  // namespace kestrel
