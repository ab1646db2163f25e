// Buffer addresses on the wire, field searches, the modified tag and the cursor.
#include "engine_fixture.h"

namespace kestrel::test {
namespace {

TEST(Address, DecodesTwelveAndFourteenBitForms) {
    struct Case {
        uint8_t b1, b2;
        int address;
    } cases[] = {
        {0xC1, 0x50, 80}, {0x07, 0x80, 1920},  {0x40, 0x40, 0}, {0x5D, 0x7F, 1919},
        {0x00, 0x00, 0},  {0x3F, 0xFF, 16383}, {0x80, 0x01, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vt::decodeAddress(c.b1, c.b2), c.address) << std::hex << int(c.b1) << int(c.b2);
    }
}

TEST(Address, EncodesTwelveBitWithTheCodeTable) {
    struct Case {
        int address;
        uint8_t b1, b2;
    } cases[] = {
        {1919, 0x5D, 0x7F}, {0, 0x40, 0x40},  {33, 0x40, 0x61},
        {48, 0x40, 0xF0},   {80, 0xC1, 0x50}, {2559, 0xE7, 0x7F},
    };
    for (const Case& c : cases) {
        const auto bytes = vt::encodeAddress(c.address);
        EXPECT_EQ(bytes[0], c.b1) << c.address;
        EXPECT_EQ(bytes[1], c.b2) << c.address;
    }
}

TEST(Address, EveryEncodedAddressDecodesBack) {
    for (int address = 0; address < 4096; ++address) {
        const auto bytes = vt::encodeAddress(address);
        ASSERT_EQ(vt::decodeAddress(bytes[0], bytes[1]), address);
    }
}

class FieldTest : public EngineTest {};

TEST_F(FieldTest, UnformattedScreenHasNoFields) {
    for (int a : {0, 500, 1919}) {
        EXPECT_EQ(engine.fieldStart(a), -1);
        EXPECT_EQ(engine.fieldEnd(a), -1);
        EXPECT_EQ(engine.fieldEndInRow(a), -1);
        EXPECT_EQ(engine.isProtected(a), 0);
    }
    EXPECT_FALSE(engine.isFormatted());
}

TEST_F(FieldTest, SingleAttributeGovernsTheWholeBufferWithWrapAround) {
    engine.presentationSpace[100] = cell::attributeCell(0x20);
    EXPECT_EQ(engine.fieldStart(50), 101);
    EXPECT_EQ(engine.foundAttribute, 100);
    EXPECT_EQ(engine.fieldStart(100), 101);
    EXPECT_EQ(engine.fieldEnd(101), 99);
    EXPECT_EQ(engine.foundAttribute, 100);
    EXPECT_EQ(engine.isProtected(50), 1);
    EXPECT_EQ(engine.isProtected(1919), 1);
    EXPECT_EQ(engine.isProtected(1920), 0);  // beyond the cells in use
}

TEST_F(FieldTest, SearchesStopAtTheNextAttribute) {
    engine.presentationSpace[10] = cell::attributeCell(0x00);  // unprotected
    engine.presentationSpace[30] = cell::attributeCell(0x20);  // protected
    engine.presentationSpace[1919] = cell::attributeCell(0x00);
    EXPECT_EQ(engine.isProtected(20), 0);
    EXPECT_EQ(engine.isProtected(30), 1);
    EXPECT_EQ(engine.fieldEnd(11), 29);
    EXPECT_EQ(engine.fieldStart(0), 0);  // governed by 1919, wraps to 0
    EXPECT_EQ(engine.fieldEndInRow(11), 29);
    EXPECT_EQ(engine.fieldEndInRow(40), 79);  // the row ends before address 1919
    EXPECT_EQ(engine.nextUnprotectedField(0), 11);
    EXPECT_EQ(engine.nextUnprotectedField(11), 0);  // 1919 + 1 wraps to 0
    EXPECT_EQ(engine.nextUnprotectedField(1919), 0);
}

TEST_F(FieldTest, NextUnprotectedFieldDoesNotWrapBack) {
    engine.presentationSpace[10] = cell::attributeCell(0x00);
    EXPECT_EQ(engine.nextUnprotectedField(10), 11);
    EXPECT_EQ(engine.nextUnprotectedField(11), 0);  // none after 11
}

TEST_F(FieldTest, FirstNullInField) {
    engine.presentationSpace[10] = cell::attributeCell(0x00);
    engine.presentationSpace[11] = 0xC1;
    engine.presentationSpace[12] = 0xC2;
    engine.presentationSpace[14] = cell::attributeCell(0x20);
    EXPECT_EQ(engine.firstNullInField(11), 13);
    engine.presentationSpace[13] = 0xC3;
    EXPECT_EQ(engine.firstNullInField(11), 13);  // the address before the next attribute
    EXPECT_EQ(engine.foundAttribute, 14);
}

TEST_F(FieldTest, MarkModifiedSetsTypedMarkAndTheFieldMdt) {
    engine.presentationSpace[10] = cell::attributeCell(0x00);
    engine.presentationSpace[11] = 0xC1;
    engine.markModified(12);  // a null cell: nothing changes
    EXPECT_EQ(at(10), cell::attributeCell(0x00));
    EXPECT_EQ(at(12), 0u);
    engine.markModified(11);
    EXPECT_EQ(at(11), 0xC1 | cell::TypedMark);
    EXPECT_EQ(at(10), cell::attributeCell(0x01));
}

TEST_F(FieldTest, SetCursorChecksOnlyTheAddress) {
    engine.inputError = 1;
    engine.setCursor(81, 1);  // the column alone is not range-tested
    EXPECT_EQ(engine.cursorAddress, 80);
    EXPECT_EQ(engine.inputError, 0);
    engine.setCursor(1, 25);  // beyond a 24-row screen
    EXPECT_EQ(engine.cursorAddress, 80);
    engine.setCursor((3 << 8) | 5);
    EXPECT_EQ(engine.cursorAddress, 164);
    EXPECT_EQ(engine.cursorPosition(), (3 << 8) | 5);
}

TEST_F(FieldTest, InitialState) {
    EXPECT_EQ(engine.rows(), 24);
    EXPECT_EQ(engine.cells(), 1920);
    EXPECT_EQ(engine.keyboardUnlocked, 0);
    EXPECT_EQ(engine.lastAid, 0x60);
    EXPECT_EQ(engine.readMode, 0);
    EXPECT_EQ(engine.cursorPosition(), 0x101);
    CodePageTable fresh;
    EXPECT_EQ(fresh.toAscii(0xC1), 0x20);
    EXPECT_EQ(fresh.toEbcdic('A'), 0x40);
}

}  // namespace
}  // namespace kestrel::test
