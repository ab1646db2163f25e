// The record buffer keeps the first 20000 bytes of a record and drops the rest.
#include "net/record_buffer.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestrel {
namespace {

TEST(RecordBufferTest, DropsBytesBeyondItsCapacityAndStartsAgainWhenCleared) {
    auto buffer = std::make_unique<RecordBuffer>();
    for (size_t i = 0; i < RecordBuffer::kCapacity; ++i) {
        ASSERT_TRUE(buffer->append(uint8_t(i * 7)));
    }
    EXPECT_FALSE(buffer->append(0xAA));
    EXPECT_FALSE(buffer->append(0xBB));
    ASSERT_EQ(buffer->size(), 20000u);
    for (size_t i = 0; i < RecordBuffer::kCapacity; ++i) {
        ASSERT_EQ(buffer->data()[i], uint8_t(i * 7)) << i;
    }

    buffer->clear();
    EXPECT_TRUE(buffer->empty());
    EXPECT_TRUE(buffer->append(0x42));
    EXPECT_EQ(buffer->size(), 1u);
    EXPECT_EQ(buffer->data()[0], 0x42);
}

}  // namespace
}  // namespace kestrel
