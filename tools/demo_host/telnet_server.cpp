#include "demo_host/telnet_server.h"

namespace kestrel::demo_host {

namespace {

constexpr size_t kSubnegotiationLimit = 256;

// The options a client may perform here, and those this side performs.
bool clientMayPerform(uint8_t option) {
    return option == kOptionBinary || option == kOptionTerminalType || option == kOptionEndOfRecord;
}
bool hostPerforms(uint8_t option) {
    return option == kOptionBinary || option == kOptionEndOfRecord;
}

void appendDoubled(std::vector<uint8_t>& out, std::span<const uint8_t> data) {
    for (uint8_t b : data) {
        out.push_back(b);
        if (b == kIac) {
            out.push_back(kIac);
        }
    }
}

}  // namespace

void TelnetServer::send(std::initializer_list<uint8_t> bytes) {
    output_.insert(output_.end(), bytes);
}

void TelnetServer::requestClientOption(uint8_t option) {
    if (client_[option] == State::No) {
        client_[option] = State::WantYes;
        send({kIac, kDo, option});
    }
}

void TelnetServer::requestHostOption(uint8_t option) {
    if (host_[option] == State::No) {
        host_[option] = State::WantYes;
        send({kIac, kWill, option});
    }
}

void TelnetServer::requestTerminalType() {
    send({kIac, kSb, kOptionTerminalType, kTerminalTypeSend, kIac, kSe});
}

void TelnetServer::sendRecord(std::span<const uint8_t> record) {
    appendDoubled(output_, record);
    send({kIac, kEor});
}

void TelnetServer::sendText(std::string_view text) {
    appendDoubled(output_, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

std::vector<uint8_t> TelnetServer::takeOutput() {
    std::vector<uint8_t> out;
    out.swap(output_);
    return out;
}

void TelnetServer::handleOption(uint8_t command, uint8_t option, const EventHandler& handler) {
    const bool aboutClient = command == kWill || command == kWont;
    const bool positive = command == kWill || command == kDo;
    State& state = aboutClient ? client_[option] : host_[option];
    bool& refused = aboutClient ? clientRefused_[option] : hostRefused_[option];
    const uint8_t agree = aboutClient ? kDo : kWill;
    const uint8_t disagree = aboutClient ? kDont : kWont;
    const bool acceptable = aboutClient ? clientMayPerform(option) : hostPerforms(option);
    const State before = state;

    if (positive) {
        if (state == State::WantYes) {
            state = State::Yes;  // the answer to this side's request
        } else if (state == State::No) {
            if (acceptable) {
                state = State::Yes;
                send({kIac, agree, option});
            } else {
                send({kIac, disagree, option});
            }
        }
    } else {
        if (state == State::Yes) {
            state = State::No;
            send({kIac, disagree, option});
        } else if (state == State::WantYes) {
            state = State::No;
            refused = true;
        }
    }
    if (state != before) {
        handler(TelnetEvent{TelnetEvent::Kind::OptionChange, {}, option});
    }
}

void TelnetServer::endSubnegotiation(const EventHandler& handler) {
    if (sub_.size() >= 2 && sub_[0] == kOptionTerminalType && sub_[1] == kTerminalTypeIs) {
        handler(TelnetEvent{TelnetEvent::Kind::TerminalType, {sub_.begin() + 2, sub_.end()}});
    }
    sub_.clear();
}

void TelnetServer::appendData(uint8_t byte) {
    if (record_.size() < kRecordLimit) {
        record_.push_back(byte);
    } else {
        recordTruncated_ = true;
    }
}

void TelnetServer::afterIac(uint8_t b, const EventHandler& handler) {
    parse_ = Parse::Data;
    if (b == kIac) {
        appendData(kIac);
    } else if (b == kEor) {
        handler(TelnetEvent{TelnetEvent::Kind::Record, std::move(record_), 0, recordTruncated_});
        record_.clear();
        recordTruncated_ = false;
    } else if (b == kSb) {
        sub_.clear();
        parse_ = Parse::Sub;
    } else if (b >= kWill) {
        command_ = b;
        parse_ = Parse::Option;
    } else if (b > kSe) {
        handler(TelnetEvent{TelnetEvent::Kind::Command, {}, b});
    }
    // Any other byte after IAC means nothing and is dropped.
}

std::vector<TelnetEvent> TelnetServer::receive(std::span<const uint8_t> bytes) {
    std::vector<TelnetEvent> events;
    receive(bytes, [&events](const TelnetEvent& event) { events.push_back(event); });
    return events;
}

void TelnetServer::receive(std::span<const uint8_t> bytes, const EventHandler& handler) {
    for (const uint8_t b : bytes) {
        switch (parse_) {
            case Parse::Data:
                if (b == kIac) {
                    parse_ = Parse::Iac;
                } else {
                    appendData(b);
                }
                break;
            case Parse::Iac:
                afterIac(b, handler);
                break;
            case Parse::Option:
                parse_ = Parse::Data;
                handleOption(command_, b, handler);
                break;
            case Parse::Sub:
                if (b == kIac) {
                    parse_ = Parse::SubIac;
                } else if (sub_.size() < kSubnegotiationLimit) {
                    sub_.push_back(b);
                }
                break;
            case Parse::SubIac:
                if (b == kIac) {
                    if (sub_.size() < kSubnegotiationLimit) {
                        sub_.push_back(kIac);
                    }
                    parse_ = Parse::Sub;
                } else {
                    // IAC SE ends the subnegotiation; any other command ends it too
                    // and is then read as the command it is.
                    endSubnegotiation(handler);
                    parse_ = Parse::Data;
                    if (b != kSe) {
                        afterIac(b, handler);
                    }
                }
                break;
        }
    }
}

}  // namespace kestrel::demo_host
