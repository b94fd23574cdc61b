// The packed raw layouts bit by bit, from bytes written out by hand as a MIPI
// CSI-2 receiver stores them, so that a packing and an unpacking that agree
// with each other but not with the sensor cannot pass.
#include "frontend/pictures/packed_raw_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace sensor::frontend {
namespace {

std::vector<std::uint16_t> Unpacked(RawFormat format, const std::vector<unsigned char>& row, int width) {
  std::vector<std::uint16_t> samples(static_cast<std::size_t>(width));
  UnpackRow(format, row.data(), width, samples.data());
  return samples;
}

TEST(PackedRawReader, UnpacksHandWrittenRowsWithPartialGroups) {
  // raw10: 0x3FF 0x001 0x2AA 0x155 | 0x0C3: high bytes, then the low bits of
  // the first sample in bits 0-1; a partial group of one sample ends the row.
  EXPECT_EQ(Unpacked(RawFormat::Raw10, {0xFF, 0x00, 0xAA, 0x55, 0b01'10'01'11, 0x30, 0b11}, 5),
            (std::vector<std::uint16_t>{0x3FF, 0x001, 0x2AA, 0x155, 0x0C3}));
  // raw12: 0xABC 0x123 | 0xFED: the first sample's low nibble in bits 0-3.
  EXPECT_EQ(Unpacked(RawFormat::Raw12, {0xAB, 0x12, 0x3C, 0xFE, 0x0D}, 3),
            (std::vector<std::uint16_t>{0xABC, 0x123, 0xFED}));
  EXPECT_EQ(Unpacked(RawFormat::Raw16, {0x34, 0x12, 0xFF, 0x0F}, 2), (std::vector<std::uint16_t>{0x1234, 0x0FFF}));
}

TEST(PackedRawReader, LayoutsScanWhollyWithTheirPackedRowAsTheLeastStride) {
  const std::optional<RawLayout> odd = ParseRawLayout("RAW10,5,3");
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->Stride, 7u);  // one group of five bytes and a partial group of two
  EXPECT_EQ(ParseRawLayout("raw12,3,2,5")->Stride, 5u);
  EXPECT_FALSE(ParseRawLayout("raw12,3,2,4"));
  EXPECT_FALSE(ParseRawLayout("raw16,3,2,"));
  EXPECT_FALSE(ParseRawLayout("raw16,3,2 "));
  EXPECT_FALSE(ParseRawLayout("raw16,3,0"));
}

}  // namespace
}  // namespace sensor::frontend
