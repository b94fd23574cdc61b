#include "frontend/pictures/bitmap_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/frontend_interface.h"
#include "frontend/pictures/picture_loader.h"
#include "program_runner.h"
#include "test_image.h"

namespace sensor::frontend {
namespace {

using Bytes = std::vector<unsigned char>;

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

std::optional<Picture> LoadBitmapFile(const std::optional<std::string>& path,
                                      PixelMemory memory = PixelMemory::MappedFile) {
  PictureRequest request;
  request.Memory = memory;
  LoadProblem problem;
  std::optional<Picture> picture = ReadPicture(path, request, problem);
  EXPECT_EQ(problem, "");  // a bitmap, or no known kind: refused silently
  return picture;
}

class BitmapLoader : public ::testing::Test {
 protected:
  // The file read as `memory` says; every other way of reading it (mapped in
  // place, read into memory of its own, copied from its bytes) must agree.
  std::optional<Picture> Load(const Bytes& bytes, PixelMemory memory = PixelMemory::MappedFile) {
    const std::string path = folder.File("img.bmp");
    sensor::test::WriteFile(path, std::string(bytes.begin(), bytes.end()));
    std::optional<Picture> wanted = LoadBitmapFile(path, memory);
    const std::optional<Picture> others[] = {LoadBitmapFile(path, memory == PixelMemory::Own ? PixelMemory::MappedFile
                                                                                              : PixelMemory::Own),
                                             ReadBitmap(FileBytes(bytes.data(), bytes.size()))};
    for (const std::optional<Picture>& other : others) {
      EXPECT_EQ(other.has_value(), wanted.has_value());
      if (!other || !wanted) continue;
      EXPECT_EQ(other->Header, wanted->Header);
      EXPECT_TRUE(Bytes(other->Pixels.begin(), other->Pixels.end()) ==
                  Bytes(wanted->Pixels.begin(), wanted->Pixels.end()));
    }
    if (wanted && !wanted->Pixels.empty()) {
      EXPECT_EQ(wanted->Pixels.Mapped(), memory == PixelMemory::MappedFile);
    }
    return wanted;
  }

  sensor::test::TempFolder folder;
};

TEST_F(BitmapLoader, ReadsTheHeaderBlockAndExactlyThePixelDataOfA3By2Image) {
  sensor::test::TestImage image(3, 2, 24);
  image.SetBgr(2, 1, 7, 8, 9);
  Bytes file = image.FileBytes();
  file.insert(file.end(), {0xEE, 0xEE, 0xEE});  // bytes behind the pixel data are not read

  const std::optional<Picture> bitmap = Load(file);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Header.size(), 40u);
  EXPECT_EQ(bitmap->Pixels.size(), 24u);  // stride ceil(72 / 32) x 4 = 12, two rows
  EXPECT_EQ(Bytes(bitmap->Pixels.begin(), bitmap->Pixels.end()), image.PixelBuffer());
}

TEST_F(BitmapLoader, TakesTheAbsoluteHeightOfATopDownBitmap) {
  sensor::test::TestImage image(3, 2, 32, /*topDown=*/true);
  const std::optional<Picture> bitmap = Load(image.FileBytes());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Pixels.size(), 24u);
  EXPECT_EQ(static_cast<std::int32_t>(bitmap->Header[8] | bitmap->Header[9] << 8 |
                                      bitmap->Header[10] << 16 | bitmap->Header[11] << 24),
            -2);
}

TEST_F(BitmapLoader, ReadsEverythingBeforeThePixelOffsetIntoTheHeaderBlock) {
  sensor::test::TestImage image(4, 2, 8);
  Bytes file = image.FileBytes();
  file.insert(file.begin() + 54, 1024, 0x55);  // a 256-entry palette
  PutU32(file, 10, 1078);
  const std::optional<Picture> bitmap = Load(file);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Header.size(), 1064u);
  EXPECT_EQ(bitmap->Pixels.size(), 8u);
}

TEST_F(BitmapLoader, TrustsANonZeroImageSize) {
  sensor::test::TestImage image(3, 2, 24);
  image.SetHeaderSizeImage(100);
  Bytes file = image.FileBytes();
  EXPECT_FALSE(Load(file));  // shorter than the size the header claims
  file.resize(file.size() + 76, 0);
  const std::optional<Picture> bitmap = Load(file);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->Pixels.size(), 100u);
}

TEST_F(BitmapLoader, RefusesAnyOtherSignatureThanBM) {
  Bytes file = sensor::test::TestImage(3, 2).FileBytes();
  file[1] = 'A';
  EXPECT_FALSE(Load(file));
}

TEST_F(BitmapLoader, RefusesAPixelOffsetThatLeavesNoRoomForTheInformationHeader) {
  Bytes file = sensor::test::TestImage(3, 2).FileBytes();
  for (const std::uint32_t offset : {0u, 13u, 14u, 53u}) {
    PutU32(file, 10, offset);
    EXPECT_FALSE(Load(file)) << offset;
  }
  PutU32(file, 10, 54);
  EXPECT_TRUE(Load(file));
}

TEST_F(BitmapLoader, RefusesAFileTruncatedInAnyOfItsPieces) {
  const Bytes file = sensor::test::TestImage(3, 2).FileBytes();
  for (const std::size_t length :
       {std::size_t{0}, std::size_t{13}, std::size_t{30}, std::size_t{53}, file.size() - 1}) {
    EXPECT_FALSE(Load(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length))))
        << length;
  }
}

TEST_F(BitmapLoader, RefusesSizesBeyond32BitsThatTheFileDoesNotHold) {
  sensor::test::TestImage image(3, 2, 32);
  image.SetHeaderWidth(0x7FFFFFFF);  // width x bit count wraps in 32 bits
  image.SetHeaderHeight(1);
  EXPECT_FALSE(Load(image.FileBytes()));

  image.SetHeaderBitCount(0xFFFF);
  image.SetHeaderHeight(INT32_MIN);  // the size does not fit in 64 bits
  EXPECT_FALSE(Load(image.FileBytes()));
}

TEST_F(BitmapLoader, ComputesSizesIn64Bits) {
  Bytes header(40, 0);
  PutU32(header, 4, 0x7FFFFFFF);
  PutU32(header, 8, 3);
  header[14] = 32;
  EXPECT_EQ(PixelDataSize(header), std::optional<std::uint64_t>(std::uint64_t{0x7FFFFFFF} * 4 * 3));
  PutU32(header, 4, static_cast<std::uint32_t>(-4));
  EXPECT_FALSE(PixelDataSize(header));
  EXPECT_FALSE(PixelDataSize(Bytes(39, 0)));
}

// A picture of 25 MB is read, and copied, in three parts on three threads
// (whole large pages each, the last one short): every byte lands in its place,
// and a file one byte short is still refused as a whole.
TEST_F(BitmapLoader, ReadsAndCopiesALargePictureInPartsByteForByte) {
  sensor::test::TestImage image(3000, 2100, 32);
  std::uint32_t state = 12345;
  for (unsigned char& byte : image.PixelBuffer()) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(state >> 23);
  }
  const Bytes file = image.FileBytes();
  sensor::SetAnalysisThreads(3);
  const std::optional<Picture> read = Load(file, PixelMemory::Own);
  const std::optional<Picture> copy = read ? CopyPicture(*read) : std::nullopt;
  const std::optional<Picture> cut = Load(Bytes(file.begin(), file.end() - 1), PixelMemory::Own);
  sensor::SetAnalysisThreads(0);
  ASSERT_TRUE(read && copy);
  // The pixel data, read with the file's headers, begins a large page.
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(read->Pixels.data()) % (std::uintptr_t{2} << 20), 0u);
  EXPECT_TRUE(Bytes(read->Pixels.begin(), read->Pixels.end()) == image.PixelBuffer());
  EXPECT_TRUE(Bytes(copy->Pixels.begin(), copy->Pixels.end()) == image.PixelBuffer());
  EXPECT_FALSE(cut);
}

TEST_F(BitmapLoader, RefusesAnAbsentOrMissingFile) {
  EXPECT_FALSE(LoadBitmapFile(std::nullopt));
  EXPECT_FALSE(LoadBitmapFile(folder.File("missing.bmp")));
  EXPECT_FALSE(LoadBitmapFile(folder.Path()));
}

// A named pipe would keep the open waiting for a writer; the alarm ends the
// test process should it wait at all.
TEST_F(BitmapLoader, RefusesANamedPipeOrADeviceAtOnce) {
  const std::string pipe = folder.File("pipe.bmp");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  alarm(10);
  EXPECT_FALSE(LoadBitmapFile(pipe));
  EXPECT_FALSE(LoadBitmapFile(std::string("/dev/zero")));
  EXPECT_FALSE(LoadBitmapFile(std::string("/dev/null")));
  alarm(0);
}

}  // namespace
}  // namespace sensor::frontend
