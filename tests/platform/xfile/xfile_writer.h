// A small .x writer for tests and for generating the built-in template data: it turns a text .x
// file into the binary encoding and compresses either encoding into MSZIP blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentu::test {

// A text .x file (16-byte header "xof 03xxtxt 00xx", then templates and data) in the binary
// encoding with 32- or 64-bit floats. Numbers with a point or an exponent become floats.
std::vector<uint8_t> textToBinary(const std::string& text, int floatBits);

// A text or binary .x file in its compressed form ("tzip" or "bzip"), in blocks of `blockSize`.
std::vector<uint8_t> compressX(const std::vector<uint8_t>& file, size_t blockSize = 32768);

inline std::vector<uint8_t> bytesOf(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace zentu::test
