// A fast deflate coder for pictures that are looked at, not archived: a byte
// repeated at least three more times becomes a match at distance 1 (a run),
// every other byte a literal, each call one block with Huffman codes of its
// own. About what zlib's run-length strategy gives, at a fraction of its
// time. The output is raw deflate (no zlib header or checksum); the PNG
// writer adds those (png_parallel_encoder.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace sensor::frontend {

class RunDeflater {
 public:
  // One block coding `size` bytes; runs may continue bytes of earlier
  // blocks of the same coder (the previous byte is remembered). `last` marks
  // the stream's final block.
  void Block(const unsigned char* data, std::size_t size, bool last);
  // Pads the output to a whole byte with an empty stored block (as a sync
  // flush does), so that a piece coded by another coder may follow. Not after
  // the last block.
  void Align();
  // Pads after the last block to a whole byte.
  void Finish();
  // Bytes outside the blocks (a stream's header), at a whole byte.
  void Append(const unsigned char* bytes, std::size_t size);
  // The coded bytes so far (whole bytes only).
  const unsigned char* Data() const { return buffer_.get(); }
  std::size_t Size() const { return size_; }

 private:
  void Put(std::uint64_t bits, int count);
  // Room for `more` bytes past Size(), not cleared.
  unsigned char* Room(std::size_t more);

  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::uint64_t pending_ = 0;  // bits not yet in the buffer, first bit lowest
  int pendingCount_ = 0;
  int previous_ = -1;  // the last byte coded, -1 before the first
  std::vector<std::uint16_t> tokens_;  // literals 0-255, runs 256 + length
};

}  // namespace sensor::frontend
