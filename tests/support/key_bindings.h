// The bound entries of a KeyBindingTable by key name, so a test can compare a
// whole table at once ({"f1", 0xF1}, {"PLUS", -1}).
#pragma once

#include <map>
#include <string>

#include "mapping/key_binding_table.h"
#include "mapping/key_names.h"

namespace kestrel::test_support {

using Bindings = std::map<std::string, int>;

// Every entry that is not 0; an entry outside the named keys shows as "#<code>".
inline Bindings boundKeys(const KeyBindingTable& table) {
    Bindings bound;
    for (int code = 0; code < static_cast<int>(KeyBindingTable::kSize); ++code) {
        if (table.at(code) != kKeyNeverBound) {
            const std::string name =
                code < kPcKeyCount ? std::string(kPcKeys[code].name) : "#" + std::to_string(code);
            bound[name] = table.at(code);
        }
    }
    return bound;
}

}  // namespace kestrel::test_support
