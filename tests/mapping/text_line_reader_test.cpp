// Line pieces: a line longer than 79 characters reads as several lines.
#include "mapping/text_line_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kestrel {
namespace {

std::vector<std::string> pieces(const std::string& text) {
    std::istringstream in(text);
    TextLineReader reader(in);
    std::vector<std::string> result;
    std::string piece;
    while (reader.next(piece)) {
        result.push_back(piece);
    }
    return result;
}

TEST(TextLineReader, CutsLinesAt79Characters) {
    const std::string x78(78, 'x'), x79(79, 'x');
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    } cases[] = {
        {"", {}},
        {"a\nb\n", {"a\n", "b\n"}},
        {"last line without end", {"last line without end"}},
        {"\n\n", {"\n", "\n"}},
        {x78 + "\n", {x78 + "\n"}},  // 79 with its line end: one piece
        {x79 + "\n", {x79, "\n"}},   // the line end spills over
        {x79 + x79 + "ab\n", {x79, x79, "ab\n"}},
        {std::string("a\0b\n", 4), {std::string("a\0b\n", 4)}},  // NUL is just a byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pieces(c.text), c.expected) << "text of " << c.text.size() << " chars";
    }
}

}  // namespace
}  // namespace kestrel
