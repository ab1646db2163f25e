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
    {105, "Windows sockets initialization failed."},
    {198,
     "There is an active session with the IBM Host. Do you really want to close this program ?"},
    {32778, "Do you really want to reset the configuration ?"},
    {32784, "Reset configuration to installation state."},
    {32787,
     "Cannot make a DNS lookup for the host. Check tcp/ip configuration or use a raw ip address."},
    {32805, "Connection to host has been lost"},
    {32807, "Cannot open EBCDIC-ASCII file. Check menu - settings - language."},
    {32808, "Cannot open the Ebcdic translation file. Check menu - settings - language."},
    {32837, "Cannot open the keyboard layout file. Check menu - settings - language."},
    {32844, "Possible to use Ctrl C and Ctrl V as Copy/Paste keys"},
    {32848, "Syntax error in keyboard layout file: %1\n"},
    {32853,
     "SECURITY WARNING. Program has been started in log mode. All keyboard data (including "
     "password) will be copied to a log file. To turn off this feature select menu - settings - "
     "log traffic."},
    {32855, "Sorry, cannot create a connection to the selected host."},
    {32856, "Cannot access the socket interface. Check the tcp/ip protocol stack."},
    {32857, "Cannot send data to the host. Check TCP/IP protocol stack."},
    {32858, "It is only possible to create 1 connection to a host from Lyrn TN3270."},
    {32861, "Ignore border in font size calculation"},
    {32863,
     "Cannot rename config32.txt file to config32.old. Your configuration will be overwritten "
     "with the elements from config32.txt on the next program start. Please remove file "
     "config32.txt to prevent this situation."},
    {32864, "Not a legal value. Enter a value between 00 and ff."},
    {32866,
     "Running a session with keep-alive, will keep an ISDN session online, and therefore  use "
     "phone resources (Money). Please make sure your system administrator can accept it, before "
     "continue using this special parameter."},
    {32869, "A connect request has been aborted (left mouse key pressed)."},
};

}  // namespace

const char* messageText(int number) {
    auto found = std::lower_bound(std::begin(kMessages), std::end(kMessages), number,
                                  [](const Message& m, int n) { return m.number < n; });
    return found != std::end(kMessages) && found->number == number ? found->text : nullptr;
}

}  // namespace kestrel
