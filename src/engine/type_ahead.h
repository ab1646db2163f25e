// The type-ahead queue: keystrokes made while the keyboard is locked, kept in
// the order they were made and replayed once the host restores the keyboard.
//
// A ring of 2000 slots with a read and a write position. One slot always stays
// free so that a full ring can be told from an empty one: at most 1999
// keystrokes wait, and a further one is refused rather than wrapping over the
// oldest (which would make the whole queue read as empty and lose it).
#pragma once

#include <array>
#include <optional>

namespace kestrel {

struct TypeAheadEntry {
    // What the keystroke was, and so which entry replays it.
    enum Kind : int {
        kCharacter = 0,     // a typed character: code is its character code
        kKey = 1,           // a key event: code is the key code
        kHostFunction = 2,  // a host function pressed by name: code is the function
    };

    int code = 0;
    bool ctrl = false;
    bool shift = false;
    int flags = 0;  // the key message's flags (0x100: extended key)
    int kind = kCharacter;
};

class TypeAheadQueue {
  public:
    static constexpr int kSlots = 2000;
    static constexpr int kCapacity = kSlots - 1;

    bool empty() const { return read_ == write_; }
    bool full() const { return size() == kCapacity; }
    int size() const { return write_ >= read_ ? write_ - read_ : write_ + kSlots - read_; }

    // Appends ENTRY; false, leaving the queue as it was, when it is full.
    bool push(const TypeAheadEntry& entry);
    // The oldest entry, taken out; nothing when the queue is empty.
    std::optional<TypeAheadEntry> pop();
    // Forgets every waiting keystroke and any refusal.
    void clear();

    // Set when a keystroke was refused because the queue was full; the replay
    // reports it once the queue has drained.
    bool overflowed = false;

  private:
    std::array<TypeAheadEntry, kSlots> ring_{};
    int read_ = 0;
    int write_ = 0;
};

}  // namespace kestrel
