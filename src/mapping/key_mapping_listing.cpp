// The key-binding listing; see key_mapping_listing.h.
#include "mapping/key_mapping_listing.h"

#include "mapping/key_names.h"

namespace kestrel {
namespace {

constexpr std::size_t kKeyColumn = 20;

}  // namespace

std::string KeyMappingListing::format(std::string_view keyWord, std::string_view functionWord) {
    std::string line = " ";
    line += keyDisplayName(keyWord).substr(0, kKeyColumn);
    line.resize(1 + kKeyColumn, ' ');
    line += ' ';
    line += functionWord;
    return line;
}

void KeyMappingListing::add(std::string_view keyWord, std::string_view functionWord) {
    slots_[count_ % kCapacity] = format(keyWord, functionWord);
    ++count_;
}

void KeyMappingListing::clear() {
    for (std::string& slot : slots_) {
        slot.clear();
    }
    count_ = 0;
}

std::vector<std::string> KeyMappingListing::lines() const {
    return std::vector<std::string>(slots_.begin(), slots_.begin() + size());
}

}  // namespace kestrel
