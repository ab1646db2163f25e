#include "net/session.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "engine/read_reply.h"
#include "net/proxy_login.h"
#include "net/telnet_framing.h"

namespace kestrel {
namespace {

namespace message {
constexpr int ConnectionLost = 32805;
constexpr int DnsLookupFailed = 32787;
constexpr int CannotConnect = 32855;
constexpr int NoSocket = 32856;
constexpr int CannotSend = 32857;
constexpr int OneConnectionOnly = 32858;
constexpr int ConnectAborted = 32869;
}  // namespace message

constexpr int kBlinkMilliseconds = 600;
constexpr int kKeepAliveMilliseconds = 15000;
constexpr int kProxyLoginMilliseconds = 2000;
// The output buffer overflows when its content would reach this many bytes.
constexpr size_t kOutputLimit = 19999;

// The host history: the key "host_hist" with 0 to 7 of its first characters cut.
std::string* historyEntry(Settings& settings, int index) {
    std::string* entries[] = {&settings.host_hist, &settings.ost_hist, &settings.st_hist,
                              &settings.t_hist,    &settings._hist,    &settings.hist,
                              &settings.ist,       &settings.st};
    return entries[index];
}

}  // namespace

const char* connectionStateText(ConnectionState state) {
    switch (state) {
        case ConnectionState::Request:
            return "REQUEST";
        case ConnectionState::Online:
            return "ONLINE ";
        case ConnectionState::OnlineSsl:
            return "ONLINE-SSL";
        case ConnectionState::Offline:
            break;
    }
    return "OFFLINE";
}

Session::Session(Settings& settings, vt& engine, LineModeDisplay& lineMode, TrafficLog& log,
                 Transport& transport, UserInterface& ui)
    : settings_(settings),
      engine_(engine),
      lineMode_(lineMode),
      log_(log),
      transport_(transport),
      ui_(ui),
      ssl_(settings, log, ui, static_cast<SslPeer&>(*this)) {}

Session::~Session() = default;

ConnectionState Session::state() const {
    if (requesting_) {
        return ConnectionState::Request;
    }
    if (connected_) {
        return settings_.ssl ? ConnectionState::OnlineSsl : ConnectionState::Online;
    }
    return ConnectionState::Offline;
}

void Session::addToHistory(const std::string& hostText) {
    for (int i = 0; i < 8; ++i) {
        if (strcasecmp(historyEntry(settings_, i)->c_str(), hostText.c_str()) == 0) {
            return;
        }
    }
    for (int i = 7; i > 0; --i) {
        *historyEntry(settings_, i) = *historyEntry(settings_, i - 1);
    }
    *historyEntry(settings_, 0) = hostText;
}

void Session::connectCommand(const std::string& hostText) {
    if (connected_) {
        ui_.showMessage(message::OneConnectionOnly, MessageIcon::Information);
        return;
    }
    if (settings_.proxy_enable && settings_.ssl && !settings_.proxy_socks_enable) {
        ui_.showText("Warning, SSL will only works if SOCKS protocol is used",
                     MessageIcon::Warning);
    }
    addToHistory(hostText);
    settings_.host_name = hostText;
    const size_t colon = hostText.find(':');
    if (colon != std::string::npos) {
        int port = 0;
        if (std::sscanf(hostText.c_str() + colon, ":%d", &port) == 1) {
            settings_.port = port;
        }
        settings_.host_name = hostText.substr(0, colon);
    }
    connect(settings_.host_name, settings_.port);
    ui_.repaint(Repaint::Full);
}

bool Session::connect(const std::string& host, int port) {
    startupConnectPending_ = false;
    socksReplyPending_ = false;
    engine_.image.clear();
    engine_.clearAllCells();

    log_.openForConnect(settings_.logname, settings_.log_enable != 0, ui_);
    ui_.startTimer(timer::Blink, kBlinkMilliseconds);
    ui_.startTimer(timer::KeepAlive, kKeepAliveMilliseconds);
    if (!filesLoaded_) {
        filesLoaded_ = true;
        if (beforeFirstConnect_) {
            beforeFirstConnect_();
        }
    }
    recordMode_ = false;
    records_.clear();
    negotiation_ = std::make_unique<netop>(settings_, static_cast<TelnetPeer&>(*this));

    proxyPending_ = settings_.proxy_enable != 0;
    const std::string target = proxyPending_ ? settings_.proxy_host : host;
    const int targetPort = proxyPending_ ? settings_.proxy_port : port;
    requesting_ = true;
    abortDone_ = false;
    ui_.setTitle(host);
    if (!transport_.open(target, targetPort)) {
        requesting_ = false;
        negotiation_.reset();
        ui_.setTitle("");
        ui_.showMessage(message::NoSocket, MessageIcon::Error);
        return false;
    }
    return true;
}

void Session::onConnected() {
    if (!requesting_) {
        return;
    }
    connected_ = true;
    abortDone_ = true;
    requesting_ = false;
    log_.setSessionLive(true);
    ui_.startTimer(timer::ProxyLogin, kProxyLoginMilliseconds);
    if (!proxyPending_ && settings_.ssl) {
        startSsl();
    }
}

void Session::startSsl() {
    sslInput_.clear();
    ssl_.startHandshake();
}

void Session::endSession() {
    if (connected_) {
        disconnect(false, true);
    }
}

void Session::onConnectFailed() {
    if (!requesting_) {
        return;
    }
    requesting_ = false;
    connected_ = false;
    ui_.showMessage(abortDone_ ? message::ConnectAborted : message::CannotConnect,
                    MessageIcon::Error);
    ui_.setTitle("");
    negotiation_.reset();
    transport_.close();
}

void Session::abortConnect() {
    if (requesting_ && !abortDone_) {
        abortDone_ = true;
        onConnectFailed();
    }
}

void Session::autoConnectCheck() {
    if (startupConnectPending_ && settings_.autoconnect) {
        startupConnectPending_ = false;
        connect(settings_.host_name, settings_.port);
    }
}

void Session::disconnectCommand() {
    if (connected_) {
        disconnect(false, true);
    }
}

void Session::disconnect(bool reconnect, bool quiet) {
    requesting_ = false;
    if (connected_) {
        transport_.close();
    }
    negotiation_.reset();
    output_.clear();
    sslInput_.clear();
    ssl_.reset();
    connected_ = false;
    proxyPending_ = false;
    socksReplyPending_ = false;
    log_.setSessionLive(false);
    ui_.setTitle("");
    if (reconnect) {
        connect(settings_.host_name, settings_.port);
        ui_.repaint(Repaint::Full);
    } else if (settings_.exit && !quiet) {
        ui_.postExit();
    }
}

void Session::onClosed() {
    if (!connected_) {
        return;
    }
    requesting_ = false;
    if (!settings_.autoreconnect && !settings_.exit) {
        ui_.showMessage(message::ConnectionLost, MessageIcon::Warning);
    }
    disconnect(settings_.autoreconnect != 0, false);
}

void Session::onTimer(int id) {
    if (id == timer::ProxyLogin) {
        ui_.stopTimer(timer::ProxyLogin);
        if (connected_ && proxyPending_) {
            sendProxyLogin();
        }
    } else if (id == timer::KeepAlive) {
        if (settings_.alive && connected_ && negotiation_) {
            negotiation_->sendKeepAlive();
        }
    }
}

void Session::sendProxyLogin() {
    proxyPending_ = false;
    if (settings_.proxy_socks_enable) {
        const auto address = socksDestinationAddress(
            settings_.host_name,
            [this](const std::string& name) { return transport_.lookupIPv4(name); });
        if (!address) {
            ui_.showMessage(message::DnsLookupFailed, MessageIcon::Error);
            disconnect(false, true);
            return;
        }
        const std::vector<uint8_t> request =
            socksConnectRequest(uint16_t(settings_.port), *address, settings_.proxy_syntax);
        sendWithLog(request.data(), request.size());
        socksReplyPending_ = true;
        return;
    }
    const std::vector<uint8_t> login =
        scriptedLoginText(settings_.proxy_syntax, settings_.host_name, settings_.port);
    for (const std::vector<uint8_t>& piece : splitScriptedLogin(login)) {
        sendWithLog(piece.data(), piece.size());
    }
}

void Session::onData(const uint8_t* data, size_t length) {
    if (!connected_ || length == 0) {
        return;
    }
    receive(data, std::min(length, kReadSize));
}

void Session::feed(const uint8_t* data, size_t length) {
    if (!negotiation_) {
        negotiation_ = std::make_unique<netop>(settings_, static_cast<TelnetPeer&>(*this));
    }
    receive(data, length);
}

void Session::receive(const uint8_t* data, size_t length) {
    ++segmentsReceived_;
    log_.writeEntry(kTagReceived, data, length);

    std::vector<uint8_t> afterReply;
    if (socksReplyPending_) {
        const SocksReplyCheck reply = checkSocksReply(
            {data, length}, settings_.proxy_socks_enable != 0, socksReplyPending_, socksProgress_);
        if (reply.consumed) {
            if (!reply.complete) {
                return;
            }
            socksReplyPending_ = false;
            if (!reply.granted) {
                onClosed();
                return;
            }
            if (settings_.ssl) {
                startSsl();
            }
            // Whatever followed the reply in the same read is the host speaking.
            afterReply = reply.hostData;
            data = afterReply.data();
            length = afterReply.size();
            if (length == 0) {
                return;
            }
        }
    }

    if (length == 1 && data[0] == telnet::IAC && ignoreLoneIac_) {
        return;
    }
    ignoreLoneIac_ = false;

    if (settings_.ssl && connected_) {
        receiveSsl(data, length);
        return;
    }
    processBytes(data, length);
    if (!recordMode_ && records_.size() > 0) {
        lineMode_.write(records_.data(), records_.size(), engine_);
        records_.clear();
        ui_.repaint(Repaint::Incremental);
    }
}

void Session::processBytes(const uint8_t* data, size_t length) {
    for (size_t i = 0; i < length && negotiation_; ++i) {
        switch (negotiation_->processByte(data[i])) {
            case TelnetResult::Consumed:
                break;
            case TelnetResult::Data:
                records_.append(data[i]);
                break;
            case TelnetResult::EndOfRecord: {
                const std::vector<uint8_t> record(records_.data(),
                                                  records_.data() + records_.size());
                records_.clear();
                deliverRecord(record.data(), record.size());
                break;
            }
        }
    }
}

void Session::receiveSsl(const uint8_t* data, size_t length) {
    if (sslInput_.size() + length > kSslInputSize) {
        sslInput_.clear();
        ui_.showText("SSL out of memory", MessageIcon::Error);
    }
    sslInput_.insert(sslInput_.end(), data, data + length);
    // Whole records only: a 5-byte header with the body length in bytes 3-4.
    constexpr size_t kHeader = 5;
    while (connected_ && sslInput_.size() > kHeader) {
        const size_t body = (size_t(sslInput_[3]) << 8) | sslInput_[4];
        if (body > kMaxReceivedFragment) {
            // Refused on its header: waiting for the body would only fill the buffer.
            const std::vector<uint8_t> header(sslInput_.begin(), sslInput_.begin() + kHeader);
            sslInput_.clear();
            ssl_.receiveRecord(header.data(), header.size());
            return;
        }
        if (sslInput_.size() < kHeader + body) {
            return;
        }
        const std::vector<uint8_t> record(sslInput_.begin(), sslInput_.begin() + kHeader + body);
        sslInput_.erase(sslInput_.begin(), sslInput_.begin() + kHeader + body);
        ssl_.receiveRecord(record.data(), record.size());
    }
}

void Session::plaintextReceived(const uint8_t* data, size_t length) {
    // Over SSL a record's bytes outside a 3270 record wait in the record
    // buffer; there is no line-mode flush.
    processBytes(data, length);
}

void Session::deliverRecord(const uint8_t* data, size_t length) {
    const bool pending = engine_.processInboundRecord(data, length) != 0;
    if (recordDelivered_) {
        recordDelivered_(length, pending);
    } else if (pending) {
        sendPendingRecord();
    }
}

void Session::sendPendingRecord() {
    if (const auto record = takePendingRecord(engine_)) {
        send(record->data(), record->size(), recordMode_);
    }
}

void Session::sendTelnetCommand(uint8_t command) {
    const uint8_t bytes[] = {telnet::IAC, command};
    send(bytes, sizeof bytes, false);
    ignoreLoneIac_ = true;
}

void Session::send(const uint8_t* data, size_t length, bool framing) {
    const std::vector<uint8_t> framed = frame(data, length, framing);
    if (!connected_) {
        if (offlineOutput_) {
            offlineOutput_(framed);
        }
        return;
    }
    if (output_.size() + framed.size() >= kOutputLimit) {
        ui_.showMessage(message::CannotSend, MessageIcon::Error);
        return;
    }
    if (settings_.ssl) {
        ssl_.send(framed.data(), framed.size());
        return;
    }
    output_.insert(output_.end(), framed.begin(), framed.end());
    flushOutput();
}

void Session::flushOutput() {
    if (output_.empty()) {
        return;
    }
    log_.writeEntry(kTagSent, output_.data(), output_.size());
    const long accepted = transport_.write(output_.data(), output_.size());
    // A failed send keeps every pending byte for the next one.
    if (accepted > 0) {
        output_.erase(output_.begin(),
                      output_.begin() + std::min<size_t>(accepted, output_.size()));
    }
}

void Session::sendWithLog(const uint8_t* data, size_t length) {
    log_.writeEntry(kTagSent, data, length);
    transport_.write(data, length);
}

void Session::recordModeOn() {
    // Text that came before the switch in the same read is still line-mode
    // text: it is drawn, not taken as the head of the first record.
    if (!recordMode_ && !records_.empty()) {
        lineMode_.write(records_.data(), records_.size(), engine_);
        records_.clear();
        ui_.repaint(Repaint::Incremental);
    }
    recordMode_ = true;
}

void Session::sendUnframed(const uint8_t* data, size_t length) {
    send(data, length, false);
}

void Session::traceLine(std::string_view text) {
    lineMode_.write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), engine_);
    ui_.repaint(Repaint::Incremental);
}

}  // namespace kestrel
