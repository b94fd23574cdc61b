#include "frontend/products/png_parallel_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "analysis/common/parallel_rows.h"

namespace sensor::frontend {
namespace {

constexpr std::size_t kChunkData = std::size_t{1} << 20;  // IDAT data bytes at most per chunk
constexpr std::int64_t kRowsPerBlock = 32;                // rows filtered and deflated at a time,
constexpr std::size_t kBlockBytes = std::size_t{1} << 18;  // fewer when they hold more than this

void AppendBe32(std::string& out, std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                         static_cast<char>(value >> 8), static_cast<char>(value)};
  out.append(bytes, 4);
}

void AppendChunk(std::string& out, const char* type, const unsigned char* data, std::size_t size) {
  AppendBe32(out, static_cast<std::uint32_t>(size));
  out.append(type, 4);
  if (size > 0) out.append(reinterpret_cast<const char*>(data), size);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  if (size > 0) crc = crc32_z(crc, data, size);
  AppendBe32(out, static_cast<std::uint32_t>(crc));
}

// PNG's row filters 0 (none) and 2 (up). An RGB row whose pixels are
// mostly grey (red, green and blue equal: a Bayer picture's review) takes
// none: its few grey levels code shorter than their differences. Otherwise
// the one whose bytes, read as signed, sum to the least magnitude (the first
// row has no row above and takes none).
bool MostlyGrey(const unsigned char* row, std::size_t bytes) {
  std::size_t grey = 0;
  for (std::size_t i = 0; i + 3 <= bytes; i += 3) grey += (row[i] == row[i + 1]) & (row[i] == row[i + 2]);
  return grey * 3 * 4 >= bytes * 3;  // three quarters of the pixels
}

void FilterRow(const unsigned char* row, const unsigned char* above, std::size_t bytes, bool rgb, unsigned char* out) {
  bool none = above == nullptr || (rgb && MostlyGrey(row, bytes));
  if (!none) {
    std::uint64_t plainSum = 0;
    std::uint64_t upSum = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
      const auto plain = static_cast<std::int8_t>(row[i]);
      const auto difference = static_cast<std::int8_t>(static_cast<unsigned char>(row[i] - above[i]));
      plainSum += static_cast<std::uint64_t>(plain < 0 ? -plain : plain);
      upSum += static_cast<std::uint64_t>(difference < 0 ? -difference : difference);
    }
    none = plainSum <= upSum;
  }
  if (none) {
    out[0] = 0;
    std::memcpy(out + 1, row, bytes);
    return;
  }
  out[0] = 2;
  for (std::size_t i = 0; i < bytes; ++i) out[1 + i] = static_cast<unsigned char>(row[i] - above[i]);
}

// One piece: rows [first, end) filtered and deflated, as IDAT chunks, the
// first piece's led by the zlib header.
struct Piece {
  std::string Chunks;
  uLong Adler = 1;
  z_off_t Length = 0;  // filtered bytes
  bool Failed = false;  // zlib's deflate refused
};

// zlib's raw deflate (no header or checksum) at its run-length strategy: runs
// of a byte at distance 1, every other byte a literal.
class RunLengthDeflate {
 public:
  RunLengthDeflate() {
    const int status = deflateInit2(&stream_, 1, Z_DEFLATED, -15, 8, Z_RLE);
    if (status == Z_MEM_ERROR) throw std::bad_alloc();
    ready_ = status == Z_OK;
  }
  ~RunLengthDeflate() {
    if (ready_) deflateEnd(&stream_);
  }
  RunLengthDeflate(const RunLengthDeflate&) = delete;
  RunLengthDeflate& operator=(const RunLengthDeflate&) = delete;

  // Codes `size` bytes and then flushes as `flush` says (Z_NO_FLUSH,
  // Z_SYNC_FLUSH: up to a whole byte, Z_FINISH: the stream's last block),
  // appending to `out`; false when zlib refuses.
  bool Code(const unsigned char* data, std::size_t size, int flush, std::string& out) {
    if (!ready_) return false;
    for (;;) {
      const std::size_t input = std::min<std::size_t>(size, UINT_MAX);
      const int step = input < size ? Z_NO_FLUSH : flush;
      stream_.next_in = const_cast<Bytef*>(data);
      stream_.avail_in = static_cast<uInt>(input);
      for (;;) {
        const std::size_t used = out.size();
        out.resize(used + std::max<std::size_t>(input / 4, std::size_t{1} << 16));
        stream_.next_out = reinterpret_cast<Bytef*>(out.data() + used);
        stream_.avail_out = static_cast<uInt>(out.size() - used);
        const int status = deflate(&stream_, step);
        out.resize(out.size() - stream_.avail_out);
        if (status == Z_STREAM_ERROR) return false;
        // Output room left: all input taken and the flush done.
        if (stream_.avail_out > 0) {
          if (step == Z_FINISH && status != Z_STREAM_END) return false;
          break;
        }
      }
      data += input;
      size -= input;
      if (size == 0) return true;
    }
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

void DeflatePiece(const PngPicture& picture, std::int64_t first, std::int64_t end, bool last, Piece& piece) {
  const std::size_t rowBytes = picture.RowBytes();
  RunLengthDeflate deflater;
  std::string coded;
  if (first == 0) coded.assign("\x78\x01", 2);  // zlib header: deflate, 32 KiB window, fastest
  const std::int64_t blockRows =
      std::max<std::int64_t>(1, std::min<std::int64_t>(kRowsPerBlock, static_cast<std::int64_t>(kBlockBytes / (rowBytes + 1))));
  std::vector<unsigned char> filtered(static_cast<std::size_t>(blockRows) * (rowBytes + 1));
  for (std::int64_t y = first; y < end; y += blockRows) {
    const std::int64_t rows = std::min(blockRows, end - y);
    for (std::int64_t r = 0; r < rows; ++r) {
      const std::size_t at = static_cast<std::size_t>(y + r) * rowBytes;
      FilterRow(picture.Rows.data() + at, y + r > 0 ? picture.Rows.data() + at - rowBytes : nullptr, rowBytes,
                picture.Colour && picture.BitDepth == 8, filtered.data() + static_cast<std::size_t>(r) * (rowBytes + 1));
    }
    const std::size_t size = static_cast<std::size_t>(rows) * (rowBytes + 1);
    piece.Adler = adler32_z(piece.Adler, filtered.data(), size);
    piece.Length += static_cast<z_off_t>(size);
    // The piece ends on a whole byte and refers to nothing before it (a
    // stream of its own), so the next piece's blocks may follow it.
    const int flush = y + rows < end ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
    if (!deflater.Code(filtered.data(), size, flush, coded)) {
      piece.Failed = true;
      return;
    }
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(coded.data());
  const std::size_t size = coded.size();
  piece.Chunks.reserve(size + (size / kChunkData + 1) * 12);
  for (std::size_t at = 0; at < size; at += kChunkData) {
    AppendChunk(piece.Chunks, "IDAT", bytes + at, std::min(kChunkData, size - at));
  }
}

}  // namespace

std::optional<std::string> EncodePngInPieces(const PngPicture& picture, std::string& problem) {
  try {
    const std::int64_t height = picture.Height;
    const int parts = PartsFor(height, static_cast<std::int64_t>(picture.RowBytes()));
    std::vector<Piece> pieces(static_cast<std::size_t>(parts));
    const std::vector<std::exception_ptr> failures = RunParts(parts, [&](int part) {
      DeflatePiece(picture, PartStart(0, height, part, parts), PartStart(0, height, part + 1, parts),
                   part + 1 == parts, pieces[static_cast<std::size_t>(part)]);
    });
    for (const std::exception_ptr& failure : failures) {
      if (failure) std::rethrow_exception(failure);
    }
    for (const Piece& piece : pieces) {
      if (piece.Failed) {
        problem = "zlib's deflate failed";
        return std::nullopt;
      }
    }
    std::string out("\x89PNG\r\n\x1a\n", 8);
    unsigned char header[13] = {};
    for (int i = 0; i < 4; ++i) {
      header[i] = static_cast<unsigned char>(picture.Width >> (24 - 8 * i));
      header[4 + i] = static_cast<unsigned char>(picture.Height >> (24 - 8 * i));
    }
    header[8] = static_cast<unsigned char>(picture.BitDepth);
    header[9] = picture.Colour ? 2 : 0;  // RGB or grey; deflate, filters of method 0, no interlace
    AppendChunk(out, "IHDR", header, sizeof header);
    uLong adler = 1;
    std::size_t total = out.size() + 40;
    for (const Piece& piece : pieces) total += piece.Chunks.size();
    out.reserve(total);
    for (const Piece& piece : pieces) {
      out += piece.Chunks;
      adler = adler32_combine(adler, piece.Adler, piece.Length);
    }
    const unsigned char trailer[4] = {static_cast<unsigned char>(adler >> 24), static_cast<unsigned char>(adler >> 16),
                                      static_cast<unsigned char>(adler >> 8), static_cast<unsigned char>(adler)};
    AppendChunk(out, "IDAT", trailer, sizeof trailer);
    AppendChunk(out, "IEND", nullptr, 0);
    return out;
  } catch (const std::bad_alloc&) {
    problem = "out of memory";
    return std::nullopt;
  }
}

}  // namespace sensor::frontend
