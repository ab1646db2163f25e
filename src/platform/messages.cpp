#include "platform/messages.h"

#include <algorithm>
#include <iterator>

namespace kestrel {
namespace {

struct Message {
    int number;
    const char* text;
};

// Kept in ascending order of number.
constexpr Message kMessages[] = {
    {32807, "Cannot open EBCDIC-ASCII file. Check menu - settings - language."},
    {32808, "Cannot open the Ebcdic translation file. Check menu - settings - language."},
    {32864, "Not a legal value. Enter a value between 00 and ff."},
};

}  // namespace

const char* messageText(int number) {
    auto found = std::lower_bound(std::begin(kMessages), std::end(kMessages), number,
                                  [](const Message& m, int n) { return m.number < n; });
    return found != std::end(kMessages) && found->number == number ? found->text : nullptr;
}

}  // namespace kestrel
