// The status line's idle update: one beep when "X - WRONG INPUT" appears.
#include "terminal/status_line.h"

#include <gtest/gtest.h>

#include "support/recording_transport.h"
#include "support/recording_ui.h"

namespace kestrel {
namespace {

int beeps(const test_support::RecordingUi& ui) {
    return int(std::count(ui.calls.begin(), ui.calls.end(), "beep 64"));
}

TEST(StatusLine, BeepsOnceWhenWrongInputAppearsAndAgainAfterItWent) {
    test_support::RecordingUi ui;
    test_support::RecordingTransport transport;
    Settings settings;
    Terminal terminal(settings, ui, transport);
    terminal.session.connect("127.0.0.1", 23);
    terminal.session.onConnected();
    const uint8_t screen[] = {0xF5, 0xC2, 0x1D, 0x60, 0x40};  // protected field, unlocked
    terminal.receiveRecord(screen, sizeof screen);
    StatusLine status;

    EXPECT_EQ(status.update(terminal, ui)[2], std::string(15, ' '));
    terminal.typedCharacter('A');  // into a protected field
    EXPECT_EQ(status.update(terminal, ui)[2], "X - WRONG INPUT");
    status.update(terminal, ui);
    EXPECT_EQ(beeps(ui), 1);

    terminal.keyEvent(0x25000, false, false, 0);  // a key clears the error
    EXPECT_EQ(status.update(terminal, ui)[2], std::string(15, ' '));
    terminal.typedCharacter('A');
    status.update(terminal, ui);
    EXPECT_EQ(beeps(ui), 2);

    terminal.settings.bell = 0;
    terminal.keyEvent(0x25000, false, false, 0);
    status.update(terminal, ui);
    terminal.typedCharacter('A');
    status.update(terminal, ui);
    EXPECT_EQ(beeps(ui), 2);
}

}  // namespace
}  // namespace kestrel
