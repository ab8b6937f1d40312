#include "bench/support/x_grid_model.h"

#include <cstdio>
#include <cstring>

namespace zentu::bench {

namespace {

constexpr int kGrid = 317;  // (kGrid - 1)^2 * 2 = kGridModelTriangles

// The same model written once as text and once as binary tokens.
class ModelWriter {
 public:
  virtual ~ModelWriter() = default;
  virtual void name(const char* s) = 0;
  virtual void open() = 0;
  virtual void close() = 0;
  virtual void ints(const std::vector<uint32_t>& v) = 0;
  // `perElement` floats make one array element (0: a plain member).
  virtual void floats(const std::vector<float>& v, int perElement) = 0;
};

class TextWriter final : public ModelWriter {
 public:
  std::string out = "xof 0303txt 0032\n";
  void name(const char* s) override { (out += s) += ' '; }
  void open() override { out += "{\n"; }
  void close() override { out += "}\n"; }
  void ints(const std::vector<uint32_t>& v) override {
    char b[16];
    for (size_t i = 0; i < v.size(); ++i)
      out.append(b, std::snprintf(b, sizeof b, i + 1 < v.size() ? "%u," : "%u;", v[i]));
    out += '\n';
  }
  void floats(const std::vector<float>& v, int perElement) override {
    char b[32];
    for (size_t i = 0; i < v.size(); ++i) {
      out.append(b, std::snprintf(b, sizeof b, "%.6f;", v[i]));
      if (perElement > 0 && (i + 1) % perElement == 0) out += i + 1 < v.size() ? "," : ";";
    }
    out += '\n';
  }
};

class BinaryWriter final : public ModelWriter {
 public:
  std::vector<uint8_t> out;
  BinaryWriter() { raw("xof 0303bin 0032", 16); }
  void name(const char* s) override {
    word(1);
    dword(static_cast<uint32_t>(std::strlen(s)));
    raw(s, std::strlen(s));
  }
  void open() override { word(10); }
  void close() override { word(11); }
  void ints(const std::vector<uint32_t>& v) override {
    word(6);
    dword(static_cast<uint32_t>(v.size()));
    raw(v.data(), v.size() * 4);
  }
  void floats(const std::vector<float>& v, int) override {
    word(7);
    dword(static_cast<uint32_t>(v.size()));
    raw(v.data(), v.size() * 4);
  }

 private:
  void raw(const void* p, size_t n) {
    auto* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  }
  void word(uint16_t v) { raw(&v, 2); }
  void dword(uint32_t v) { raw(&v, 4); }
};

// Text puts the face index lists of a mesh as "n;a,b,c;," so they are written face by face.
void faceList(ModelWriter& w, const std::vector<uint32_t>& faces, bool text) {
  if (!text) {
    w.ints(faces);
    return;
  }
  auto& t = static_cast<TextWriter&>(w);
  char b[48];
  for (size_t i = 0; i < faces.size(); i += 4)
    t.out.append(b, std::snprintf(b, sizeof b, "3;%u,%u,%u;%s", faces[i + 1], faces[i + 2], faces[i + 3],
                                  i + 4 < faces.size() ? "," : ";\n"));
}

void writeModel(ModelWriter& w, bool text) {
  const uint32_t vertices = kGrid * kGrid;
  std::vector<float> positions, normals, uvs;
  for (int y = 0; y < kGrid; ++y) {
    for (int x = 0; x < kGrid; ++x) {
      positions.insert(positions.end(), {x * 0.1f, y * 0.1f, (x * y % 7) * 0.01f});
      normals.insert(normals.end(), {0.0f, 0.0f, 1.0f});
      uvs.insert(uvs.end(), {x / float(kGrid), y / float(kGrid)});
    }
  }
  std::vector<uint32_t> faces;
  for (int y = 0; y + 1 < kGrid; ++y) {
    for (int x = 0; x + 1 < kGrid; ++x) {
      uint32_t a = y * kGrid + x, b = a + 1, c = a + kGrid, d = c + 1;
      faces.insert(faces.end(), {3, a, b, d, 3, a, d, c});
    }
  }
  std::vector<uint32_t> materials;
  for (int i = 0; i < kGridModelTriangles; ++i) materials.push_back(i & 1);

  w.name("Frame");
  w.name("Root");
  w.open();
  w.name("Mesh");
  w.name("Grid");
  w.open();
  w.ints({vertices});
  w.floats(positions, 3);
  w.ints({static_cast<uint32_t>(kGridModelTriangles)});
  faceList(w, faces, text);
  w.name("MeshNormals");
  w.open();
  w.ints({vertices});
  w.floats(normals, 3);
  w.ints({static_cast<uint32_t>(kGridModelTriangles)});
  faceList(w, faces, text);
  w.close();
  w.name("MeshTextureCoords");
  w.open();
  w.ints({vertices});
  w.floats(uvs, 2);
  w.close();
  w.name("MeshMaterialList");
  w.open();
  w.ints({2});
  w.ints({static_cast<uint32_t>(kGridModelTriangles)});
  w.ints(materials);
  for (int m = 0; m < 2; ++m) {
    w.name("Material");
    w.open();
    w.floats({1.0f, 0.5f, 0.25f, 1.0f}, 4);
    w.floats({8.0f}, 0);
    w.floats({1.0f, 1.0f, 1.0f}, 3);
    w.floats({0.0f, 0.0f, 0.0f}, 3);
    w.close();
  }
  w.close();
  w.close();
  w.close();
}

}  // namespace

std::string gridModelText() {
  TextWriter w;
  writeModel(w, true);
  return w.out;
}

std::vector<uint8_t> gridModelBinary() {
  BinaryWriter w;
  writeModel(w, false);
  return w.out;
}

}  // namespace zentu::bench
