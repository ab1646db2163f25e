// One client of the demo host: the TN3270 negotiation as a host leads it, the
// query for the client's display, then the panel dialog. Bytes in, bytes and
// log lines out; the caller owns the socket and the clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "demo_host/panel_dialog.h"
#include "demo_host/telnet_server.h"

namespace kestrel::demo_host {

class DemoSession {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kQueryReplyWait = std::chrono::seconds(2);

    explicit DemoSession(std::function<std::time_t()> wallClock = [] {
        return std::time(nullptr);
    });

    // Opens the negotiation (IAC DO TERMINAL-TYPE).
    void start(Clock::time_point now);
    void receive(std::span<const uint8_t> bytes, Clock::time_point now);
    // Lets a waited-for query reply time out.
    void tick(Clock::time_point now);
    // When tick must next be called, if at all.
    std::optional<Clock::time_point> deadline() const { return deadline_; }

    std::vector<uint8_t> takeOutput() { return telnet_.takeOutput(); }
    std::vector<std::string> takeLog();
    // The session is over: close the connection once the output is sent.
    bool finished() const { return phase_ == Phase::Finished; }

    int rows() const { return rows_; }
    // The dialog, once the panels have started.
    const PanelDialog* dialog() const { return dialog_.get(); }

  private:
    enum class Phase { TerminalTypeOption, TerminalType, Options, QueryReply, Panels, Finished };

    void optionChanged();
    void terminalType(std::string_view name);
    void record(const TelnetEvent& event);
    void command(uint8_t code);
    void startPanels(std::string queryReply);
    void refuse(std::string_view reason, std::string_view text);
    void log(std::string line) { log_.push_back(std::move(line)); }

    std::function<std::time_t()> wallClock_;
    TelnetServer telnet_;
    Phase phase_ = Phase::TerminalTypeOption;
    std::optional<Clock::time_point> deadline_;
    std::string terminalType_;
    int rows_ = 0;
    std::unique_ptr<PanelDialog> dialog_;
    std::vector<std::string> log_;
};

// The rows of a terminal type this host serves: 24 for IBM-3278-2(-E), 32 for
// IBM-3278-3(-E), compared without regard to case; 0 for any other type.
int rowsForTerminalType(std::string_view name);

}  // namespace kestrel::demo_host
