// EngineExtensions: the read replies and structured fields, installed into the
// engine's inbound path, with a hook for what runs after each record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

#include "engine/vt.h"

namespace kestrel {

class EngineExtensions : public InboundExtensions {
  public:
    // AFTER_RECORD runs once each record is done and rendered: the place for a
    // playing macro to go on and for type-ahead to replay. It may be empty.
    explicit EngineExtensions(std::function<void(vt&)> afterRecord = {})
        : afterRecord_(std::move(afterRecord)) {}

    void buildReadReply(vt& engine, uint8_t aid) override;
    void writeStructuredField(vt& engine, const uint8_t* data, size_t length) override;
    void recordProcessed(vt& engine) override;

  private:
    std::function<void(vt&)> afterRecord_;
};

}  // namespace kestrel
