// Session: the one host connection of the terminal — connect and disconnect,
// the receive path through the telnet layer into the engine, the send path
// with its output buffer, keep-alive, the proxy step, reconnect and exit.
//
// It runs on the event loop's thread; the platform reports the connection's
// events through the on...() entries and timer ticks through onTimer().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/settings.h"
#include "engine/vt.h"
#include "net/line_mode_display.h"
#include "net/netop.h"
#include "net/proxy_login.h"
#include "net/record_buffer.h"
#include "net/traffic_log.h"
#include "net/transport.h"
#include "platform/user_interface.h"
#include "ssl/ssl_client.h"

namespace kestrel {

enum class ConnectionState { Offline, Request, Online, OnlineSsl };

// The text the status line shows for a connection state.
const char* connectionStateText(ConnectionState state);

// The view's timers that the session starts.
namespace timer {
constexpr int ProxyLogin = 1;
constexpr int Blink = 4;
constexpr int KeepAlive = 8;
}  // namespace timer

class Session : private TelnetPeer, private SslPeer {
  public:
    static constexpr size_t kOutputBufferSize = 20000;
    static constexpr size_t kReadSize = 20000;
    static constexpr size_t kSslInputSize = 65535;

    Session(Settings& settings, vt& engine, LineModeDisplay& lineMode, TrafficLog& log,
            Transport& transport, UserInterface& ui);
    ~Session() override;

    // Runs once, before the first connection of the run (loads the mapping files).
    void setBeforeFirstConnect(std::function<void()> action) { beforeFirstConnect_ = action; }
    // Receives what would be sent while no connection is up (the headless
    // terminal prints it); without it such output is dropped.
    void setOfflineOutput(std::function<void(const std::vector<uint8_t>&)> output) {
        offlineOutput_ = output;
    }

    // The Connect command with HOSTTEXT as entered ("name", "name:port").
    void connectCommand(const std::string& hostText);
    // Connects to HOST and PORT (through the proxy when one is set). False when
    // the attempt failed at once; otherwise the outcome follows.
    bool connect(const std::string& host, int port);
    // The Disconnect command.
    void disconnectCommand();
    // The common end of every session.
    void disconnect(bool reconnect, bool quiet);
    // The user aborts a connect that is waiting.
    void abortConnect();
    // Starts the connection at start-up when the settings ask for it; only once.
    void autoConnectCheck();

    // Sends DATA to the host, framed as a 3270 record when FRAMING is set.
    void send(const uint8_t* data, size_t length, bool framing);
    // Takes the engine's pending inbound record and sends it, framed while in
    // record mode.
    void sendPendingRecord();
    // Sends IAC and COMMAND (BRK for ATTN, IP for SYSREQ) unframed, and drops
    // a lone IAC the host may answer with.
    void sendTelnetCommand(uint8_t command);
    // Runs at every connect, before anything else (the automatic login may run
    // again on the new connection).
    void setConnecting(std::function<void()> action) { connecting_ = action; }
    // Called after each record the engine took, with its length and whether
    // the engine has a reply pending; without it a pending reply is sent.
    void setRecordDelivered(std::function<void(size_t length, bool pending)> handler) {
        recordDelivered_ = handler;
    }

    // Notifications from the transport and the timers.
    void onConnected();
    void onConnectFailed();
    void onData(const uint8_t* data, size_t length);
    void onClosed();
    void onTimer(int id);

    // Bytes handed to the receive path as if they had been read, whether or
    // not a connection is up.
    void feed(const uint8_t* data, size_t length);
    // Hands one complete record to the engine, as the end of a record does.
    void deliverRecord(const uint8_t* data, size_t length);

    ConnectionState state() const;
    bool connected() const { return connected_; }
    bool requesting() const { return requesting_; }
    bool recordMode() const { return recordMode_; }
    void setRecordMode(bool on) { recordMode_ = on; }
    // The proxy step is done: no login waiting and no SOCKS reply awaited.
    bool proxyStepDone() const { return !proxyPending_ && !socksReplyPending_; }
    // How many received segments have been processed so far.
    uint64_t segmentsReceived() const { return segmentsReceived_; }
    // Set by the engine before it sends IAC BRK or IAC IP.
    void ignoreLoneIac() { ignoreLoneIac_ = true; }

  private:
    // TelnetPeer
    void sendUnframed(const uint8_t* data, size_t length) override;
    void traceLine(std::string_view text) override;
    void recordModeOn() override;

    // SslPeer
    void sendRecord(const uint8_t* data, size_t length) override { sendWithLog(data, length); }
    void plaintextReceived(const uint8_t* data, size_t length) override;
    void endSession() override;

    void receive(const uint8_t* data, size_t length);
    // Telnet processing and record assembly of received bytes.
    void processBytes(const uint8_t* data, size_t length);
    // Collects whole SSL records and hands them to the SSL client.
    void receiveSsl(const uint8_t* data, size_t length);
    void startSsl();
    void sendWithLog(const uint8_t* data, size_t length);
    void flushOutput();
    void sendProxyLogin();
    void endConnection();
    void addToHistory(const std::string& hostText);

    Settings& settings_;
    vt& engine_;
    LineModeDisplay& lineMode_;
    TrafficLog& log_;
    Transport& transport_;
    UserInterface& ui_;
    std::function<void()> beforeFirstConnect_;
    std::function<void(const std::vector<uint8_t>&)> offlineOutput_;
    std::function<void(size_t, bool)> recordDelivered_;
    std::function<void()> connecting_;

    std::unique_ptr<netop> negotiation_;
    SslClient ssl_;
    std::vector<uint8_t> sslInput_;
    RecordBuffer records_;
    std::vector<uint8_t> output_;
    bool connected_ = false;
    bool requesting_ = false;
    bool abortDone_ = false;
    bool proxyPending_ = false;
    bool socksReplyPending_ = false;
    SocksReplyProgress socksProgress_;
    bool ignoreLoneIac_ = false;
    bool startupConnectPending_ = true;
    bool recordMode_ = false;
    bool filesLoaded_ = false;
    uint64_t segmentsReceived_ = 0;
};

}  // namespace kestrel
