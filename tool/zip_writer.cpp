// A ZIP writer for the packages learning platforms take (PKWARE APPNOTE
// 6.3): local headers, the data, a central directory and its end record.
//
// - Method 8 (raw deflate, zlib at level 9) when it is smaller, method 0
//   otherwise; CRC-32 from zlib.
// - Names are flagged UTF-8 (general purpose bit 11).
// - Every date is the DOS epoch, 1980-01-01 00:00, and no extra fields are
//   written: a package made twice from the same quiz is the same file.
// - No ZIP64: an archive past 4 GiB or 65,535 entries is refused whole.
#include "tool/zip_writer.h"

#include <zlib.h>

#include <limits>

namespace {

constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kCentralHeader = 0x02014b50;
constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint16_t kVersionNeeded = 20;  // 2.0: deflate
constexpr uint16_t kFlagUtf8 = 1 << 11;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kDosDate1980 = (0 << 9) | (1 << 5) | 1;  // years since 1980, month, day
constexpr uint64_t kMaxOffset = std::numeric_limits<uint32_t>::max();

struct Written {
  uint16_t method = kMethodStored;
  uint32_t crc = 0;
  uint32_t size = 0;
  uint32_t compressedSize = 0;
  uint32_t offset = 0;
};

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

bool Deflate(const std::vector<uint8_t>& in, std::vector<uint8_t>* out) {
  z_stream stream{};
  if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  out->resize(deflateBound(&stream, static_cast<uLong>(in.size())));
  stream.next_in = const_cast<Bytef*>(in.data());
  stream.avail_in = static_cast<uInt>(in.size());
  stream.next_out = out->data();
  stream.avail_out = static_cast<uInt>(out->size());
  const int result = deflate(&stream, Z_FINISH);
  out->resize(stream.total_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END;
}

// The fields local and central headers share, from "version needed" on.
void PutCommon(std::vector<uint8_t>& out, const ZipEntry& entry, const Written& written) {
  Put16(out, kVersionNeeded);
  Put16(out, kFlagUtf8);
  Put16(out, written.method);
  Put16(out, 0);  // time 00:00:00
  Put16(out, kDosDate1980);
  Put32(out, written.crc);
  Put32(out, written.compressedSize);
  Put32(out, written.size);
  Put16(out, static_cast<uint32_t>(entry.name.size()));
  Put16(out, 0);  // extra field length
}

ZipError WriteEntry(const ZipEntry& entry, std::vector<uint8_t>& out, Written* written) {
  if (entry.bytes.size() > kMaxOffset || entry.name.size() > 0xFFFF || out.size() > kMaxOffset) {
    return ZipError::TooLarge;
  }
  std::vector<uint8_t> deflated;
  if (!Deflate(entry.bytes, &deflated)) {
    return ZipError::DeflateFailed;
  }
  const bool stored = deflated.size() >= entry.bytes.size();
  const std::vector<uint8_t>& data = stored ? entry.bytes : deflated;
  written->method = stored ? kMethodStored : kMethodDeflate;
  written->offset = static_cast<uint32_t>(out.size());
  written->size = static_cast<uint32_t>(entry.bytes.size());
  written->compressedSize = static_cast<uint32_t>(data.size());
  written->crc = static_cast<uint32_t>(crc32(0, entry.bytes.data(), static_cast<uInt>(entry.bytes.size())));
  Put32(out, kLocalHeader);
  PutCommon(out, entry, *written);
  out.insert(out.end(), entry.name.begin(), entry.name.end());
  out.insert(out.end(), data.begin(), data.end());
  return ZipError::None;
}

void WriteCentral(const ZipEntry& entry, const Written& written, std::vector<uint8_t>& out) {
  Put32(out, kCentralHeader);
  Put16(out, kVersionNeeded);  // made by: MS-DOS attributes, version 2.0
  PutCommon(out, entry, written);
  Put16(out, 0);  // comment length
  Put16(out, 0);  // disk number
  Put16(out, 0);  // internal attributes
  Put32(out, 0);  // external attributes
  Put32(out, written.offset);
  out.insert(out.end(), entry.name.begin(), entry.name.end());
}

}  // namespace

ZipError WriteZip(const std::vector<ZipEntry>& entries, std::vector<uint8_t>* out) {
  out->clear();
  if (entries.size() > 0xFFFF) {
    return ZipError::TooLarge;
  }
  std::vector<Written> written(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (ZipError error = WriteEntry(entries[i], *out, &written[i]); error != ZipError::None) {
      out->clear();
      return error;
    }
  }
  const uint64_t directory = out->size();
  for (size_t i = 0; i < entries.size(); ++i) {
    WriteCentral(entries[i], written[i], *out);
  }
  const uint64_t directorySize = out->size() - directory;
  if (out->size() > kMaxOffset) {
    out->clear();
    return ZipError::TooLarge;
  }
  Put32(*out, kEndOfDirectory);
  Put16(*out, 0);  // this disk
  Put16(*out, 0);  // the directory's disk
  Put16(*out, static_cast<uint32_t>(entries.size()));
  Put16(*out, static_cast<uint32_t>(entries.size()));
  Put32(*out, static_cast<uint32_t>(directorySize));
  Put32(*out, static_cast<uint32_t>(directory));
  Put16(*out, 0);  // comment length
  return ZipError::None;
}

const char* ToString(ZipError error) {
  switch (error) {
    case ZipError::None:
      return "no error";
    case ZipError::TooLarge:
      return "the package is too large for a ZIP file (over 4 GB)";
    case ZipError::DeflateFailed:
      return "the package could not be compressed (out of memory)";
  }
  return "unknown error";
}
