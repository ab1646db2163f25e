// The SSL client: received records through the record layer to the handshake
// or the telnet layer, application data out, and the end of a session that
// fails its checks.
#include "ssl/ssl_client.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "net/traffic_log.h"
#include "platform/user_interface.h"

namespace kestrel {

SslClient::SslClient(const Settings& /*settings*/, TrafficLog& log, UserInterface& ui,
                     SslPeer& peer)
    : ui_(ui), peer_(peer), records_(log, *this), handshake_(records_, log) {}

void SslClient::startHandshake() {
    reset();
    handshake_.start();
}

void SslClient::reset() {
    ++generation_;
    handshake_.reset();
    inbox_.clear();
    held_.clear();
    busy_ = false;
    ended_ = false;
}

bool SslClient::established() const {
    return !ended_ && handshake_.serverFinishedVerified();
}

void SslClient::writeRecord(const uint8_t* record, size_t length) {
    peer_.sendRecord(record, length);
}

void SslClient::receiveRecord(const uint8_t* record, size_t length) {
    if (ended_) {
        return;
    }
    inbox_.emplace_back(record, record + length);
    if (busy_) {
        return;  // the loop below, further up the stack, takes it in turn
    }
    busy_ = true;
    const unsigned generation = generation_;
    while (!inbox_.empty() && !ended_ && generation == generation_) {
        std::vector<uint8_t> current = std::move(inbox_.front());
        inbox_.pop_front();
        process(current);
    }
    if (generation == generation_) {
        busy_ = false;
    }
}

void SslClient::process(std::vector<uint8_t>& record) {
    const unsigned generation = generation_;
    switch (records_.receive(record.data(), record.size())) {
        case RecordStatus::Ignored:
        case RecordStatus::ChangeCipherSpec:
        case RecordStatus::WarningAlert:
            return;

        case RecordStatus::FatalAlert: {
            char text[80];
            std::snprintf(text, sizeof text,
                          "Host sends SSL Security Alert type %d. Session MUST terminate",
                          records_.alertDescription());
            terminate(text);
            return;
        }

        case RecordStatus::BadMac:
            terminate(
                "IBM Mainframe sends a packet with wrong MAC (checksum). Session MUST terminate");
            return;

        case RecordStatus::TooLong:
            terminate("Host sends an SSL record that is too long. Session MUST terminate");
            return;

        case RecordStatus::Handshake: {
            const uint8_t* data = records_.plaintext();
            const size_t length = records_.plaintextLength();
            size_t offset = 0;
            while (const std::optional<HandshakeMessage> message =
                       nextHandshakeMessage(data, length, offset)) {
                const HandshakeResult result = handshake_.handleMessage(*message);
                if (generation != generation_ || ended_) {
                    return;  // the session went away while a record was sent
                }
                if (result == HandshakeResult::WrongFinished) {
                    terminate("Host sends a wrong SSL Finished message. Session MUST terminate");
                    return;
                }
                if (result == HandshakeResult::Stop) {
                    break;
                }
            }
            if (established()) {
                sendHeld();
            }
            return;
        }

        case RecordStatus::ApplicationData:
            // Data is for the telnet layer only once both sides are protected
            // and the server has proved it holds the keys; anything earlier
            // could have been put in by anybody on the way.
            if (established()) {
                peer_.plaintextReceived(records_.plaintext(), records_.plaintextLength());
            }
            return;
    }
}

void SslClient::send(const uint8_t* data, size_t length) {
    if (ended_) {
        return;
    }
    if (!established()) {
        const size_t room = kMaxHeldData - held_.size();
        held_.insert(held_.end(), data, data + std::min(length, room));
        return;
    }
    records_.send(ContentType::ApplicationData, data, length);
}

void SslClient::sendHeld() {
    if (held_.empty()) {
        return;
    }
    const std::vector<uint8_t> held = std::move(held_);
    held_.clear();
    records_.send(ContentType::ApplicationData, held.data(), held.size());
}

void SslClient::terminate(const std::string& text) {
    ended_ = true;
    inbox_.clear();
    held_.clear();
    const unsigned generation = generation_;
    ui_.showText(text, MessageIcon::Error);
    // The message box lets other events run; a session that was ended or
    // started anew meanwhile is not ended again.
    if (generation == generation_ && ended_) {
        peer_.endSession();
    }
}

}  // namespace kestrel
