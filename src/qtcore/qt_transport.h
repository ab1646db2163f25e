// The host connection on a QTcpSocket, driven by the Qt event loop: the
// socket's signals become the session's notifications.
#pragma once

#include <QObject>
#include <QTcpSocket>
#include <memory>

#include "net/transport.h"

namespace kestrel {

class Session;

class QtTransport : public Transport {
  public:
    QtTransport() = default;
    ~QtTransport() override;
    QtTransport(const QtTransport&) = delete;
    QtTransport& operator=(const QtTransport&) = delete;

    // The session that receives the notifications; set before the first open.
    void setSession(Session* session) { session_ = session; }

    bool open(const std::string& host, int port) override;
    long write(const uint8_t* data, size_t length) override;
    void close() override;
    std::optional<std::array<uint8_t, 4>> lookupIPv4(const std::string& name) override;

  private:
    void readAll();

    Session* session_ = nullptr;
    QTcpSocket* socket_ = nullptr;  // owned; released with deleteLater()
    bool established_ = false;
};

}  // namespace kestrel
