// Prints the standard template set in the binary encoding as a C++ byte array, the form in which
// d3dx/mesh/x_templates.cpp carries it. With `--corpus DIR`, writes the fuzz seeds instead: a
// small scene as text, binary with 32- and 64-bit floats, and compressed.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "scene_fixture.h"
#include "standard_templates_text.h"
#include "xfile_writer.h"

namespace {

void write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zentu::test;
  if (argc == 3 && std::strcmp(argv[1], "--corpus") == 0) {
    std::string dir = argv[2];
    std::vector<uint8_t> text = bytesOf(kSceneText);
    write(dir + "/scene_text.x", text);
    write(dir + "/scene_bin32.x", textToBinary(kSceneText, 32));
    write(dir + "/scene_bin64.x", textToBinary(kSceneText, 64));
    write(dir + "/scene_tzip.x", compressX(text, 256));
    write(dir + "/scene_bzip.x", compressX(textToBinary(kSceneText, 32), 256));
    write(dir + "/standard_templates.x", textToBinary(kStandardTemplatesText, 64));
    return 0;
  }
  std::vector<uint8_t> bytes = textToBinary(kStandardTemplatesText, 64);
  std::printf("// %zu bytes\n", bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    std::printf("0x%02X,%s", bytes[i], (i % 16 == 15 || i + 1 == bytes.size()) ? "\n" : " ");
  return 0;
}
