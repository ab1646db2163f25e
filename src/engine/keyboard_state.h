// The keyboard's own state in the engine, beside the lock, input-error and
// insert flags: the type-ahead queue and whether the automatic login of this
// connection has run.
#pragma once

#include "engine/type_ahead.h"

namespace kestrel {

struct KeyboardState {
    TypeAheadQueue typeAhead;
    // Set once the user name and password have been typed for the current
    // connection; cleared at connect (resetAutoLogin).
    bool autoLoginDone = false;
};

}  // namespace kestrel
