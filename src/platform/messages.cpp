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
    {32778, "Do you really want to reset the configuration ?"},
    {32784, "Reset configuration to installation state."},
    {32807, "Cannot open EBCDIC-ASCII file. Check menu - settings - language."},
    {32808, "Cannot open the Ebcdic translation file. Check menu - settings - language."},
    {32837, "Cannot open the keyboard layout file. Check menu - settings - language."},
    {32848, "Syntax error in keyboard layout file: %1\n"},
    {32863,
     "Cannot rename config32.txt file to config32.old. Your configuration will be overwritten "
     "with the elements from config32.txt on the next program start. Please remove file "
     "config32.txt to prevent this situation."},
    {32864, "Not a legal value. Enter a value between 00 and ff."},
};

}  // namespace

const char* messageText(int number) {
    auto found = std::lower_bound(std::begin(kMessages), std::end(kMessages), number,
                                  [](const Message& m, int n) { return m.number < n; });
    return found != std::end(kMessages) && found->number == number ? found->text : nullptr;
}

}  // namespace kestrel
