#include "frontend/common/run_deflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>
#include <queue>
#include <utility>

namespace sensor::frontend {
namespace {

// The word-at-a-time scans read the first byte of a word as its lowest.
static_assert(std::endian::native == std::endian::little);

constexpr int kLiteralSymbols = 286;  // literals, end of block, 29 length codes
constexpr int kEndOfBlock = 256;
constexpr int kMaxRun = 258;

// Length codes 257 + i: lengths from kLengthBase[i], kLengthExtra[i] bits more.
constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                                       15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// The order in which the code length code's lengths are sent.
constexpr std::array<std::uint8_t, 19> kLengthOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                                       11, 4,  12, 3, 13, 2, 14, 1, 15};

struct LengthCodes {
  std::array<std::uint8_t, kMaxRun + 1> Index{};  // by run length
  LengthCodes() {
    for (int i = 0; i < 29; ++i) {
      for (int length = kLengthBase[i]; length < kLengthBase[i] + (1 << kLengthExtra[i]) && length <= kMaxRun;
           ++length) {
        Index[length] = static_cast<std::uint8_t>(i);
      }
    }
  }
};
const LengthCodes kLengthCodes;

// Huffman code lengths for `counts` (0 for symbols that do not occur), none
// longer than `limit`, at least two symbols coded. Counts are halved (and
// kept above 0) until the tree fits the limit.
std::vector<std::uint8_t> CodeLengths(std::vector<std::uint32_t> counts, int limit) {
  int used = 0;
  for (std::uint32_t c : counts) used += c > 0 ? 1 : 0;
  for (std::size_t s = 0; used < 2 && s < counts.size(); ++s) {
    if (counts[s] == 0) {
      counts[s] = 1;
      ++used;
    }
  }
  const std::size_t n = counts.size();
  std::vector<std::uint8_t> lengths(n, 0);
  for (;;) {
    using Node = std::pair<std::uint64_t, int>;  // weight, node
    std::priority_queue<Node, std::vector<Node>, std::greater<>> queue;
    std::vector<int> parent(2 * n, -1);
    for (std::size_t s = 0; s < n; ++s) {
      if (counts[s] > 0) queue.push({counts[s], static_cast<int>(s)});
    }
    int next = static_cast<int>(n);
    while (queue.size() > 1) {
      const Node a = queue.top();
      queue.pop();
      const Node b = queue.top();
      queue.pop();
      parent[static_cast<std::size_t>(a.second)] = next;
      parent[static_cast<std::size_t>(b.second)] = next;
      queue.push({a.first + b.first, next++});
    }
    int longest = 0;
    for (std::size_t s = 0; s < n; ++s) {
      if (counts[s] == 0) continue;
      int depth = 0;
      for (int at = parent[s]; at >= 0; at = parent[static_cast<std::size_t>(at)]) ++depth;
      lengths[s] = static_cast<std::uint8_t>(std::min(depth, 255));
      longest = std::max(longest, depth);
    }
    if (longest <= limit) return lengths;
    for (std::uint32_t& c : counts) {
      if (c > 0) c = std::max<std::uint32_t>(1, c / 2);
    }
  }
}

// The canonical codes of `lengths`, bit-reversed, since deflate sends a
// code's first bit first and the writer fills bytes from their lowest bit.
std::vector<std::uint16_t> Codes(const std::vector<std::uint8_t>& lengths) {
  std::array<std::uint16_t, 17> count{};
  for (std::uint8_t l : lengths) ++count[l];
  count[0] = 0;
  std::array<std::uint16_t, 17> next{};
  std::uint32_t code = 0;
  for (int bits = 1; bits <= 16; ++bits) {
    code = (code + count[static_cast<std::size_t>(bits - 1)]) << 1;
    next[static_cast<std::size_t>(bits)] = static_cast<std::uint16_t>(code);
  }
  std::vector<std::uint16_t> codes(lengths.size(), 0);
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    const int l = lengths[s];
    if (l == 0) continue;
    std::uint32_t c = next[static_cast<std::size_t>(l)]++;
    std::uint32_t reversed = 0;
    for (int b = 0; b < l; ++b, c >>= 1) reversed = (reversed << 1) | (c & 1);
    codes[s] = static_cast<std::uint16_t>(reversed);
  }
  return codes;
}

// Bits into a byte buffer sized ahead (with eight bytes to spare), first
// bit lowest. Adds collect at most 56 bits; a flush stores the eight pending
// bytes and moves on by the whole ones, so that no branch waits on the count.
struct BitWriter {
  unsigned char* At;
  std::uint64_t Pending;  // below 8 bits after a flush
  int Count;
  void Add(std::uint64_t bits, int count) {
    Pending |= bits << Count;
    Count += count;
  }
  void Flush() {
    std::memcpy(At, &Pending, 8);
    At += Count >> 3;
    Pending = (Count >> 3) == 8 ? 0 : Pending >> (Count & ~7);
    Count &= 7;
  }
  void Put(std::uint64_t bits, int count) {
    Add(bits, count);
    Flush();
  }
};

}  // namespace

void RunDeflater::Block(const unsigned char* data, std::size_t size, bool last) {
  // Tokens and their symbols' counts (literals counted in four tables, so
  // that a repeated byte does not wait for its own count).
  tokens_.resize(size);
  std::uint16_t* next = tokens_.data();
  std::vector<std::uint32_t> literalCounts(kLiteralSymbols, 0);
  std::array<std::array<std::uint32_t, 256>, 4> byteCounts{};
  int previous = previous_;
  std::size_t i = 0;
  while (i < size) {
    // Eight bytes against the eight before them: no byte equal to the one
    // before it three times in a row from any of the first six means six
    // literals.
    if (i > 0 && i + 8 <= size) {
      std::uint64_t here = 0;
      std::uint64_t before = 0;
      std::memcpy(&here, data + i, 8);
      std::memcpy(&before, data + i - 1, 8);
      const std::uint64_t differ = here ^ before;
      constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
      const std::uint64_t nonzero = (((differ & kLow7) + kLow7) | differ) & ~kLow7;
      const std::uint64_t same = ~nonzero & ~kLow7;  // the high bit of each byte equal to the one before
      if ((same & (same >> 8) & (same >> 16) & 0x0000808080808080ULL) == 0) {
        for (int k = 0; k < 6; ++k) {
          const unsigned char b = data[i + static_cast<std::size_t>(k)];
          next[k] = b;
          ++byteCounts[static_cast<std::size_t>(k & 3)][b];
        }
        next += 6;
        i += 6;
        previous = data[i - 1];
        continue;
      }
    }
    const unsigned char b = data[i];
    if (b == previous) {
      // The run's end, eight bytes a step while they last.
      std::size_t end = i + 1;
      const std::size_t limit = std::min(size, i + kMaxRun);
      const std::uint64_t pattern = 0x0101010101010101ULL * b;
      for (;;) {
        if (end + 8 > limit) {
          while (end < limit && data[end] == b) ++end;
          break;
        }
        std::uint64_t word = 0;
        std::memcpy(&word, data + end, 8);
        if (word != pattern) {
          end += static_cast<std::size_t>(__builtin_ctzll(word ^ pattern) >> 3);
          break;
        }
        end += 8;
      }
      if (end - i >= 3) {
        const std::size_t length = end - i;
        *next++ = static_cast<std::uint16_t>(256 + length);
        ++literalCounts[257 + kLengthCodes.Index[length]];
        i = end;
        continue;
      }
    }
    *next++ = b;
    ++byteCounts[0][b];
    previous = b;
    ++i;
  }
  tokens_.resize(static_cast<std::size_t>(next - tokens_.data()));
  for (std::size_t b = 0; b < 256; ++b) {
    literalCounts[b] = byteCounts[0][b] + byteCounts[1][b] + byteCounts[2][b] + byteCounts[3][b];
  }
  previous_ = previous;
  literalCounts[kEndOfBlock] = 1;

  const std::vector<std::uint8_t> literalLengths = CodeLengths(literalCounts, 15);
  const std::vector<std::uint16_t> literalCodes = Codes(literalLengths);
  int literals = kLiteralSymbols;
  while (literals > 257 && literalLengths[static_cast<std::size_t>(literals - 1)] == 0) --literals;
  // The code lengths of both alphabets, coded with the code length code
  // (symbols 0-15, one a length). The one distance code, distance 1, has one
  // bit (a single code of length one is how deflate codes one distance); it
  // is sent even in a block without runs.
  std::vector<std::uint8_t> sequence(literalLengths.begin(), literalLengths.begin() + literals);
  sequence.push_back(1);
  std::vector<std::uint32_t> lengthCounts(19, 0);
  for (std::uint8_t l : sequence) ++lengthCounts[l];
  const std::vector<std::uint8_t> lengthLengths = CodeLengths(lengthCounts, 7);
  const std::vector<std::uint16_t> lengthCodes = Codes(lengthLengths);
  int sent = 19;
  while (sent > 4 && lengthLengths[kLengthOrder[static_cast<std::size_t>(sent - 1)]] == 0) --sent;

  // At most 15 bits a byte, a header of at most 2,100 bits, 8 bytes spare.
  unsigned char* const start = Room(2 * size + 1024);
  BitWriter writer{start, pending_, pendingCount_};
  writer.Put(last ? 1 : 0, 1);
  writer.Put(2, 2);  // dynamic Huffman codes
  writer.Put(static_cast<std::uint64_t>(literals - 257), 5);
  writer.Put(0, 5);  // one distance code
  writer.Put(static_cast<std::uint64_t>(sent - 4), 4);
  for (int k = 0; k < sent; ++k) writer.Put(lengthLengths[kLengthOrder[static_cast<std::size_t>(k)]], 3);
  for (std::uint8_t l : sequence) writer.Put(lengthCodes[l], lengthLengths[l]);

  // Up to three literals (15 bits each at most) between flushes.
  std::array<std::uint32_t, kLiteralSymbols> literal{};  // code, and its length from bit 16
  for (std::size_t k = 0; k < literal.size(); ++k) literal[k] = literalCodes[k] | (std::uint32_t{literalLengths[k]} << 16);
  const std::uint16_t* const end = tokens_.data() + tokens_.size();
  for (const std::uint16_t* t = tokens_.data(); t < end;) {
    if (*t < 256) {
      for (int k = 0; k < 3 && t < end && *t < 256; ++k, ++t) writer.Add(literal[*t] & 0xffff, static_cast<int>(literal[*t] >> 16));
      writer.Flush();
      continue;
    }
    const int length = *t++ - 256;
    const int index = kLengthCodes.Index[static_cast<std::size_t>(length)];
    const int symbol = 257 + index;
    const int codeBits = literalLengths[static_cast<std::size_t>(symbol)];
    const int extraBits = kLengthExtra[static_cast<std::size_t>(index)];
    // The length code, its extra bits, then distance code 0 (the bit 0).
    writer.Put(literalCodes[static_cast<std::size_t>(symbol)] |
                   (static_cast<std::uint64_t>(length - kLengthBase[static_cast<std::size_t>(index)]) << codeBits),
               codeBits + extraBits + 1);
  }
  writer.Put(literalCodes[kEndOfBlock], literalLengths[kEndOfBlock]);
  size_ += static_cast<std::size_t>(writer.At - start);
  pending_ = writer.Pending;
  pendingCount_ = writer.Count;
}

void RunDeflater::Put(std::uint64_t bits, int count) {
  pending_ |= bits << pendingCount_;
  pendingCount_ += count;
  while (pendingCount_ >= 8) {
    *Room(1) = static_cast<unsigned char>(pending_ & 0xff);
    ++size_;
    pending_ >>= 8;
    pendingCount_ -= 8;
  }
}

unsigned char* RunDeflater::Room(std::size_t more) {
  if (capacity_ - size_ < more) {
    const std::size_t capacity = std::max(2 * capacity_, size_ + more);
    std::unique_ptr<unsigned char[]> grown(new unsigned char[capacity]);
    if (size_ > 0) std::memcpy(grown.get(), buffer_.get(), size_);
    buffer_ = std::move(grown);
    capacity_ = capacity;
  }
  return buffer_.get() + size_;
}

void RunDeflater::Append(const unsigned char* bytes, std::size_t size) {
  std::memcpy(Room(size), bytes, size);
  size_ += size;
}

void RunDeflater::Align() {
  Put(0, 3);  // a stored block, not the last
  Put(0, (8 - pendingCount_ % 8) % 8);
  Put(0x0000, 16);
  Put(0xffff, 16);
}

void RunDeflater::Finish() {
  Put(0, (8 - pendingCount_ % 8) % 8);
}

}  // namespace sensor::frontend
