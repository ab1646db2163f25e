#include "demo_host/demo_session.h"

#include <utility>

#include "demo_host/ebcdic_037.h"
#include "demo_host/inbound_record.h"
#include "demo_host/panels.h"

namespace kestrel::demo_host {

namespace {

constexpr uint8_t kTn3270Options[] = {kOptionEndOfRecord, kOptionBinary};

std::string upperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string describe(const QueryReplySummary& query) {
    std::string text = std::to_string(query.length) + " BYTES";
    if (query.height > 0) {
        text +=
            ", USABLE AREA " + std::to_string(query.width) + " X " + std::to_string(query.height);
    }
    return text;
}

}  // namespace

int rowsForTerminalType(std::string_view name) {
    const std::string type = upperAscii(name);
    if (type == "IBM-3278-2" || type == "IBM-3278-2-E") {
        return 24;
    }
    if (type == "IBM-3278-3" || type == "IBM-3278-3-E") {
        return 32;
    }
    return 0;
}

DemoSession::DemoSession(std::function<std::time_t()> wallClock)
    : wallClock_(std::move(wallClock)) {}

std::vector<std::string> DemoSession::takeLog() {
    std::vector<std::string> lines;
    lines.swap(log_);
    return lines;
}

void DemoSession::start(Clock::time_point) {
    telnet_.requestClientOption(kOptionTerminalType);
}

void DemoSession::receive(std::span<const uint8_t> bytes, Clock::time_point now) {
    telnet_.receive(bytes, [this, now](const TelnetEvent& event) {
        if (phase_ == Phase::Finished) {
            return;
        }
        switch (event.kind) {
            case TelnetEvent::Kind::OptionChange:
                optionChanged();
                break;
            case TelnetEvent::Kind::TerminalType:
                terminalType({reinterpret_cast<const char*>(event.data.data()), event.data.size()});
                break;
            case TelnetEvent::Kind::Record:
                record(event);
                break;
            case TelnetEvent::Kind::Command:
                command(event.code);
                break;
        }
        if (phase_ == Phase::QueryReply && !deadline_) {
            deadline_ = now + kQueryReplyWait;
        }
    });
}

void DemoSession::tick(Clock::time_point now) {
    if (phase_ == Phase::QueryReply && deadline_ && now >= *deadline_) {
        log("no query reply within 2 seconds; going on");
        startPanels("NOT RECEIVED");
    }
}

void DemoSession::refuse(std::string_view reason, std::string_view text) {
    log(std::string(reason) + "; closing");
    telnet_.sendText("\r\nKESTREL DEMO HOST: ");
    telnet_.sendText(text);
    telnet_.sendText("\r\n");
    phase_ = Phase::Finished;
    deadline_.reset();
}

void DemoSession::optionChanged() {
    if (phase_ == Phase::TerminalTypeOption) {
        if (telnet_.clientOption(kOptionTerminalType) == TelnetServer::State::Yes) {
            telnet_.requestTerminalType();
            phase_ = Phase::TerminalType;
        } else if (telnet_.clientRefused(kOptionTerminalType)) {
            refuse("client refused TERMINAL-TYPE",
                   "THIS HOST NEEDS A TN3270 TERMINAL (IBM-3278-2 OR IBM-3278-3).");
        }
        return;
    }
    if (phase_ != Phase::Options) {
        return;
    }
    bool agreed = true;
    for (uint8_t option : kTn3270Options) {
        if (telnet_.clientRefused(option) || telnet_.hostRefused(option)) {
            refuse(
                option == kOptionBinary ? "client refused BINARY" : "client refused END-OF-RECORD",
                "THIS HOST NEEDS TN3270: BINARY AND END-OF-RECORD IN BOTH DIRECTIONS.");
            return;
        }
        agreed = agreed && telnet_.clientOption(option) == TelnetServer::State::Yes &&
                 telnet_.hostOption(option) == TelnetServer::State::Yes;
    }
    if (agreed) {
        log("negotiated BINARY and END-OF-RECORD both ways; sending Read Partition Query");
        telnet_.sendRecord(readPartitionQuery());
        phase_ = Phase::QueryReply;
    }
}

void DemoSession::terminalType(std::string_view name) {
    if (phase_ != Phase::TerminalType) {
        log("terminal type " + printable(name) + " sent unasked; ignored");
        return;
    }
    terminalType_ = upperAscii(printable(name.substr(0, 40)));
    rows_ = rowsForTerminalType(name);
    if (rows_ == 0) {
        refuse(
            "terminal type " + terminalType_ + " not supported",
            "TERMINAL TYPE " + terminalType_ + " IS NOT SUPPORTED. USE IBM-3278-2 OR IBM-3278-3.");
        return;
    }
    log("terminal type " + terminalType_ + ", " + std::to_string(rows_) + " rows");
    phase_ = Phase::Options;
    telnet_.requestClientOption(kOptionEndOfRecord);
    telnet_.requestHostOption(kOptionEndOfRecord);
    telnet_.requestClientOption(kOptionBinary);
    telnet_.requestHostOption(kOptionBinary);
    optionChanged();  // the client may have offered them already
}

void DemoSession::startPanels(std::string queryReply) {
    phase_ = Phase::Panels;
    deadline_.reset();
    dialog_ =
        std::make_unique<PanelDialog>(rows_, terminalType_, std::move(queryReply), wallClock_);
    const DialogReply reply = dialog_->start();
    telnet_.sendRecord(reply.record);
    log(reply.event);
}

void DemoSession::record(const TelnetEvent& event) {
    if (event.truncated) {
        log("record longer than " + std::to_string(TelnetServer::kRecordLimit) + " bytes; ignored");
        return;
    }
    if (phase_ == Phase::QueryReply) {
        if (!event.data.empty() && event.data[0] == kAidStructuredField) {
            const QueryReplySummary query = parseQueryReply(event.data);
            std::string line = "query reply, " + std::to_string(query.length) + " bytes, " +
                               std::to_string(query.replies) + " replies";
            if (query.height > 0) {
                line += ", usable area " + std::to_string(query.width) + "x" +
                        std::to_string(query.height);
            }
            if (query.alternateHeight > 0) {
                line += ", alternate size " + std::to_string(query.alternateWidth) + "x" +
                        std::to_string(query.alternateHeight);
            }
            if (query.malformed) {
                line += " (malformed)";
            }
            log(line);
            startPanels(describe(query));
        } else {
            log("record of " + std::to_string(event.data.size()) +
                " bytes instead of a query reply; going on");
            startPanels("NOT RECEIVED");
        }
        return;
    }
    if (phase_ != Phase::Panels) {
        log("record of " + std::to_string(event.data.size()) +
            " bytes before the negotiation ended; ignored");
        return;
    }
    const InboundRecord in = parseInboundRecord(event.data);
    if (event.data.empty()) {
        log("empty record; ignored");
        return;
    }
    std::string line = aidName(in.aid);
    if (in.cursor >= 0) {
        line += ", cursor " + std::to_string(in.cursor) + " (row " +
                std::to_string(in.cursor / kColumns + 1) + ", column " +
                std::to_string(in.cursor % kColumns + 1) + "), " +
                std::to_string(in.fields.size()) + " field(s)";
    }
    if (in.malformed) {
        line += " (malformed)";
    }
    log(line);
    const DialogReply reply = dialog_->handle(in);
    if (!reply.record.empty()) {
        telnet_.sendRecord(reply.record);
        log(printable(reply.event));
    }
    if (reply.close) {
        log("logged off; closing");
        phase_ = Phase::Finished;
    }
}

void DemoSession::command(uint8_t code) {
    switch (code) {
        case kBreak:
            log("ATTN (IAC BREAK); ignored");
            break;
        case kInterruptProcess:
            log("SYSREQ (IAC INTERRUPT PROCESS); ignored");
            break;
        default:
            log("telnet command " + std::to_string(code) + "; ignored");
            break;
    }
}

}  // namespace kestrel::demo_host
