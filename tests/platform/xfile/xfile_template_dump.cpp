// Prints the standard template set in the binary encoding as a C++ byte array, the form in which
// d3dx/mesh/x_templates.cpp carries it.
#include <cstdio>

#include "standard_templates_text.h"
#include "xfile_writer.h"

int main() {
  std::vector<uint8_t> bytes = zentu::test::textToBinary(zentu::test::kStandardTemplatesText, 64);
  std::printf("// %zu bytes\n", bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    std::printf("0x%02X,%s", bytes[i], (i % 16 == 15 || i + 1 == bytes.size()) ? "\n" : " ");
  return 0;
}
