#include "qtcore/qt_transport.h"

#include <QHostAddress>
#include <QHostInfo>
#include <vector>

#include "net/session.h"

namespace kestrel {

QtTransport::~QtTransport() {
    close();
}

bool QtTransport::open(const std::string& host, int port) {
    close();
    if (port < 0 || port > 0xFFFF) {
        return false;
    }
    socket_ = new QTcpSocket;
    established_ = false;
    QTcpSocket* socket = socket_;
    QObject::connect(socket, &QTcpSocket::connected, [this, socket] {
        if (socket == socket_) {
            established_ = true;
            session_->onConnected();
        }
    });
    QObject::connect(socket, &QTcpSocket::errorOccurred, [this, socket](auto) {
        // Errors after the connection was made end in disconnected().
        if (socket == socket_ && !established_) {
            session_->onConnectFailed();
        }
    });
    QObject::connect(socket, &QTcpSocket::disconnected, [this, socket] {
        if (socket == socket_ && established_) {
            session_->onClosed();
        }
    });
    QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
        if (socket == socket_) {
            readAll();
        }
    });
    socket->connectToHost(QString::fromStdString(host), quint16(port));
    return true;
}

void QtTransport::readAll() {
    // Each read of at most one receive buffer is one segment for the session.
    std::vector<char> buffer(Session::kReadSize);
    while (socket_ && socket_->bytesAvailable() > 0) {
        QTcpSocket* socket = socket_;
        const qint64 count = socket->read(buffer.data(), qint64(buffer.size()));
        if (count <= 0) {
            return;
        }
        session_->onData(reinterpret_cast<const uint8_t*>(buffer.data()), size_t(count));
    }
}

long QtTransport::write(const uint8_t* data, size_t length) {
    if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState) {
        return -1;
    }
    const qint64 written = socket_->write(reinterpret_cast<const char*>(data), qint64(length));
    socket_->flush();
    return long(written);
}

void QtTransport::close() {
    if (!socket_) {
        return;
    }
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    established_ = false;
    socket->disconnect();
    socket->abort();
    socket->deleteLater();
}

std::optional<std::array<uint8_t, 4>> QtTransport::lookupIPv4(const std::string& name) {
    const QHostInfo info = QHostInfo::fromName(QString::fromStdString(name));
    for (const QHostAddress& address : info.addresses()) {
        bool isIPv4 = false;
        const quint32 value = address.toIPv4Address(&isIPv4);
        if (isIPv4) {
            return std::array<uint8_t, 4>{uint8_t(value >> 24), uint8_t(value >> 16),
                                          uint8_t(value >> 8), uint8_t(value)};
        }
    }
    return std::nullopt;
}

}  // namespace kestrel
