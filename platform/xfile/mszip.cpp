// MSZIP-compressed .x bodies: a DWORD with the size of the whole uncompressed file (header
// included), then blocks of [WORD uncompressed size][WORD compressed size]["CK"][raw deflate].
// Each block is its own deflate stream primed with the previous 32 KiB of output.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "platform/xfile/xfile_internal.h"

namespace zentu::xfile {

namespace {

constexpr size_t kWindow = 32 * 1024;
constexpr size_t kMaxBlock = 0xFFFF;

uint16_t readWord(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

class Inflater {
 public:
  Inflater() { ok_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&z_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Inflates one block into `out` (which must have room for `expected` bytes), primed with `dict`.
  bool block(const uint8_t* in, size_t inSize, const uint8_t* dict, size_t dictSize, uint8_t* out,
             size_t expected) {
    if (!ok_ || inflateReset(&z_) != Z_OK) return false;
    if (dictSize > 0 && inflateSetDictionary(&z_, dict, static_cast<uInt>(dictSize)) != Z_OK) return false;
    z_.next_in = const_cast<Bytef*>(in);
    z_.avail_in = static_cast<uInt>(inSize);
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(expected);
    int rc = inflate(&z_, Z_FINISH);
    return rc == Z_STREAM_END && z_.avail_out == 0;
  }

 private:
  z_stream z_{};
  bool ok_ = false;
};

}  // namespace

HRESULT inflateMsZip(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
  if (size < 4) return DXFILEERR_BADFILE;
  size_t pos = 4;  // the declared total is only a hint; each block states its own size
  Inflater inflater;
  std::vector<uint8_t>& result = *out;
  result.clear();
  while (pos < size) {
    if (size - pos < 6) return DXFILEERR_BADFILE;
    size_t plain = readWord(data + pos);
    size_t packed = readWord(data + pos + 2);
    pos += 4;
    if (packed < 2 || packed > size - pos) return DXFILEERR_BADFILE;
    if (data[pos] != 'C' || data[pos + 1] != 'K') return DXFILEERR_BADFILE;
    if (plain == 0 || plain > kMaxBlock || result.size() + plain > kMaxInflatedSize) return DXFILEERR_BADFILE;
    size_t start = result.size();
    size_t dictSize = std::min(start, kWindow);
    result.resize(start + plain);
    if (!inflater.block(data + pos + 2, packed - 2, result.data() + start - dictSize, dictSize,
                        result.data() + start, plain))
      return DXFILEERR_BADFILE;
    pos += packed;
  }
  return S_OK;
}

}  // namespace zentu::xfile
