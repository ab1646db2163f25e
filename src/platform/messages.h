// The string table: every message the user can see, by number, exactly as written.
#pragma once

namespace kestrel {

// The text of message NUMBER, or nullptr when the table has no such number.
const char* messageText(int number);

}  // namespace kestrel
