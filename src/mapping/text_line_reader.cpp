// Piecewise line reading; see text_line_reader.h.
#include "mapping/text_line_reader.h"

namespace kestrel {

bool TextLineReader::next(std::string& piece) {
    piece.clear();
    std::streambuf* buffer = in_.rdbuf();
    if (buffer == nullptr) {
        return false;
    }
    while (piece.size() < kMaxPiece) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            break;
        }
        piece.push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    return !piece.empty();
}

}  // namespace kestrel
