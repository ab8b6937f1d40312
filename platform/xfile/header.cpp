// The 16-byte header of a .x file: magic, version, encoding and float size.
#include <cstring>

#include "platform/xfile/xfile_internal.h"

namespace zentu::xfile {

static bool isDigit(uint8_t c) {
  return c >= '0' && c <= '9';
}

HRESULT parseHeader(const uint8_t* data, size_t size, FormatHeader* header) {
  if (size < kHeaderSize) return DXFILEERR_BADFILE;
  if (std::memcmp(data, "xof ", 4) != 0) return DXFILEERR_BADFILETYPE;
  for (int i = 4; i < 8; ++i)
    if (!isDigit(data[i])) return DXFILEERR_BADFILEVERSION;
  // Every release of the format so far is major version 3.
  if (data[4] != '0' || data[5] != '3') return DXFILEERR_BADFILEVERSION;

  FormatHeader h;
  const char* kind = reinterpret_cast<const char*>(data + 8);
  if (std::memcmp(kind, "txt ", 4) == 0) {
    h.encoding = Encoding::kText;
  } else if (std::memcmp(kind, "bin ", 4) == 0) {
    h.encoding = Encoding::kBinary;
  } else if (std::memcmp(kind, "tzip", 4) == 0) {
    h.encoding = Encoding::kText;
    h.compressed = true;
  } else if (std::memcmp(kind, "bzip", 4) == 0) {
    h.encoding = Encoding::kBinary;
    h.compressed = true;
  } else {
    return DXFILEERR_BADFILETYPE;
  }

  const char* bits = reinterpret_cast<const char*>(data + 12);
  if (std::memcmp(bits, "0032", 4) == 0) {
    h.floatBits = 32;
  } else if (std::memcmp(bits, "0064", 4) == 0) {
    h.floatBits = 64;
  } else {
    return DXFILEERR_BADFILEFLOATSIZE;
  }
  *header = h;
  return S_OK;
}

}  // namespace zentu::xfile
