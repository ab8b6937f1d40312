// A generated .x model for the benchmarks: a 316 x 316 quad grid (200 000 triangles) with normals,
// texture coordinates and a material list of two materials, in one frame; as text or as binary
// tokens with 32-bit floats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentu::bench {

constexpr int kGridModelTriangles = 316 * 316 * 2;

std::string gridModelText();
std::vector<uint8_t> gridModelBinary();

}  // namespace zentu::bench
