// EngineExtensions: forwards the engine's inbound hooks.
#include "engine/engine_extensions.h"

#include "engine/read_reply.h"
#include "engine/structured_fields.h"

namespace kestrel {

void EngineExtensions::buildReadReply(vt& engine, uint8_t aid) {
    kestrel::buildReadReply(engine, aid);
}

void EngineExtensions::writeStructuredField(vt& engine, const uint8_t* data, size_t length) {
    processStructuredFields(engine, data, length);
}

void EngineExtensions::recordProcessed(vt& engine) {
    if (afterRecord_) {
        afterRecord_(engine);
    }
}

}  // namespace kestrel
