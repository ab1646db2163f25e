// The table from PC keys to 3270 functions, with the listing of the lines that
// filled it.
//
// Each entry, indexed by PcKey code, holds a HostFunction code, 0 for a key that
// was never bound, or -1 for a key bound to no function. Nothing is bound until a
// keyboard mapping file is loaded (key_file.h).
#pragma once

#include <array>
#include <cstddef>

#include "mapping/key_mapping_listing.h"

namespace kestrel {

inline constexpr int kKeyNeverBound = 0;
inline constexpr int kKeyNoFunction = -1;

class KeyBindingTable {
  public:
    static constexpr std::size_t kSize = 256;

    // The entry of PC_KEY; 0 for a code outside the table.
    int at(int pcKey) const {
        return inRange(pcKey) ? entries_[static_cast<std::size_t>(pcKey)] : kKeyNeverBound;
    }
    // Sets the entry of PC_KEY; a code outside the table is ignored.
    void bind(int pcKey, int function) {
        if (inRange(pcKey)) {
            entries_[static_cast<std::size_t>(pcKey)] = function;
        }
    }

    KeyMappingListing& listing() { return listing_; }
    const KeyMappingListing& listing() const { return listing_; }

    // Every entry back to 0 and the listing emptied.
    void clear() {
        entries_.fill(kKeyNeverBound);
        listing_.clear();
    }

  private:
    static bool inRange(int pcKey) { return pcKey >= 0 && pcKey < static_cast<int>(kSize); }

    std::array<int, kSize> entries_{};
    KeyMappingListing listing_;
};

// The interface the rest of the terminal uses.
inline void clearKeyBindings(KeyBindingTable& table) {
    table.clear();
}
inline int lookupKey(const KeyBindingTable& table, int pcKey) {
    return table.at(pcKey);
}

}  // namespace kestrel
