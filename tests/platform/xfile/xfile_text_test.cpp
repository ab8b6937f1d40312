// The text encoding: the packed GetData layout, children in file order, references, names, ids,
// separators as exporters write them, and the error codes of malformed files.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "xfile_test_support.h"

namespace zentu::test {
namespace {

class XFileText : public XFileTest {
 protected:
  // The next top-level object of `e`.
  void next(IDirectXFileEnumObject* e, Ref<IDirectXFileData>& d) {
    ASSERT_EQ(e->GetNextDataObject(d.out()), S_OK);
  }

  // The next child of `parent` as a data object (or null when it is something else).
  void child(IDirectXFileData* parent, Ref<IDirectXFileData>& d,
             Ref<IDirectXFileDataReference>* ref = nullptr) {
    Ref<IDirectXFileObject> o;
    ASSERT_EQ(parent->GetNextObject(o.out()), S_OK);
    HRESULT hr = o->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(d.out()));
    if (FAILED(hr)) {
      EXPECT_EQ(hr, E_NOINTERFACE);
      ASSERT_NE(ref, nullptr);
      ASSERT_EQ(o->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(ref->out())), S_OK);
    }
  }
};

TEST_F(XFileText, MeshDataArePackedInTemplateOrder) {
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(kSceneText, e), S_OK);
  Ref<IDirectXFileData> red, root, matrix, mesh;
  next(e.get(), red);
  next(e.get(), root);
  child(root.get(), matrix);
  child(root.get(), mesh);

  const GUID* type = nullptr;
  ASSERT_EQ(mesh->GetType(&type), S_OK);
  EXPECT_EQ(*type, TID_D3DRMMesh);
  EXPECT_EQ(nameOf(mesh.get()), "Quad");

  DWORD size = 0;
  void* data = nullptr;
  ASSERT_EQ(mesh->GetData(nullptr, &size, &data), S_OK);
  // nVertices, 4 vectors, nFaces, a face of 3 and one of 4 indices.
  ASSERT_EQ(size, 4u + 4 * 12 + 4 + (4 + 12) + (4 + 16));
  EXPECT_EQ(at<DWORD>(data, 0), 4u);
  EXPECT_EQ(at<float>(data, 4 + 12 * 1), 1.0f);
  EXPECT_EQ(at<float>(data, 4 + 12 * 3 + 8), 0.5f);
  EXPECT_EQ(at<DWORD>(data, 52), 2u);
  EXPECT_EQ(at<DWORD>(data, 56), 3u);
  EXPECT_EQ(at<DWORD>(data, 72), 4u);
  EXPECT_EQ(at<DWORD>(data, 84), 3u);
  EXPECT_EQ(at<DWORD>(data, 88), 1u);

  // One member by name: the faces array with its elements inline.
  DWORD memberSize = 0;
  void* member = nullptr;
  ASSERT_EQ(mesh->GetData("faces", &memberSize, &member), S_OK);
  EXPECT_EQ(memberSize, 36u);
  EXPECT_EQ(static_cast<uint8_t*>(member) - static_cast<uint8_t*>(data), 56);
  EXPECT_EQ(mesh->GetData("noSuchMember", &memberSize, &member), DXFILEERR_NOTFOUND);

  ASSERT_EQ(matrix->GetData(nullptr, &size, &data), S_OK);
  ASSERT_EQ(size, 64u);
  EXPECT_EQ(at<float>(data, 4 * 13), 2.0f);
}

TEST_F(XFileText, StringsPointToTerminatedCopies) {
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(kSceneText, e), S_OK);
  Ref<IDirectXFileData> red, texture;
  next(e.get(), red);
  DWORD size = 0;
  void* data = nullptr;
  ASSERT_EQ(red->GetData(nullptr, &size, &data), S_OK);
  EXPECT_EQ(size, 16u + 4 + 12 + 12);
  EXPECT_EQ(at<float>(data, 16), 8.0f);
  child(red.get(), texture);
  ASSERT_EQ(texture->GetData(nullptr, &size, &data), S_OK);
  ASSERT_EQ(size, sizeof(char*));
  EXPECT_STREQ(at<const char*>(data, 0), "red.png");
}

TEST_F(XFileText, ChildrenInFileOrderAndReferencesBothWays) {
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(kSceneText, e), S_OK);
  EXPECT_EQ(
      dumpAll(e.get()),
      "3d82ab4d Red "
      "0000803f00000000000000000000803f000000410000803f0000803f0000803f000000000000000000000000\n"
      "  a42790e1  \"red.png\"\n"
      "3d82ab46 Root \n"
      "  f6f23f41  0000803f000000000000000000000000000000000000803f000000000000000000000000000000000000803f00"
      "0000000000803f0000004000004040"
      "0000803f\n"
      "  3d82ab44 Quad 04000000000000000000000000000000"
      "0000803f00000000000000000000803f0000803f00000000000000"
      "000000803f0000003f0200000003000000000000000100000002000000040000000000000002000000030000000100"
      "0000\n"
      "    f6f23f42  02000000020000000000000001000000\n"
      "      -> Red = Red\n"
      "      -> Blue = Blue\n"
      "  -> Quad = Quad\n"
      "3d82ab4d Blue 00000000000000000000803f0000803f0000804000000000000000000000000000000000000000000000"
      "0000\n");
}

TEST_F(XFileText, NamesIdsAndLookups) {
  const std::string text =
      "xof 0303txt 0032\n"
      "Vector A <01020304-0506-0708-090A-0B0C0D0E0F10> { 1.0; 2.0; 3.0; }\n"
      "Vector { <11111111-2222-3333-4444-555555555555> 4.0; 5.0; 6.0; }\n"
      "Frame F { { <11111111-2222-3333-4444-555555555555> } { A } { Missing } }\n";
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(text, e), S_OK);
  Ref<IDirectXFileData> a, b, f, target;
  next(e.get(), a);
  next(e.get(), b);
  next(e.get(), f);
  Ref<IDirectXFileData> none;
  EXPECT_EQ(e->GetNextDataObject(none.out()), DXFILEERR_NOMOREOBJECTS);

  GUID id;
  ASSERT_EQ(a->GetId(&id), S_OK);
  EXPECT_EQ(id.Data1, 0x01020304u);
  EXPECT_EQ(id.Data4[7], 0x10);
  EXPECT_EQ(nameOf(b.get()), "");
  ASSERT_EQ(f->GetId(&id), S_OK);
  EXPECT_EQ(id, GUID{});

  char small[1];
  DWORD length = sizeof small;
  EXPECT_EQ(a->GetName(small, &length), DXFILEERR_BADVALUE);

  // By id, by name, and a name that nothing carries.
  std::string refs;
  dumpData(f.get(), 0, refs);
  EXPECT_NE(refs.find("->  = \n"), std::string::npos) << refs;  // the unnamed target
  EXPECT_NE(refs.find("-> A = A\n"), std::string::npos) << refs;
  EXPECT_NE(refs.find("-> Missing unresolved\n"), std::string::npos) << refs;

  ASSERT_EQ(e->GetDataObjectByName("A", target.out()), S_OK);
  EXPECT_EQ(nameOf(target.get()), "A");
  ASSERT_EQ(
      e->GetDataObjectById(GUID{0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}},
                           target.out()),
      S_OK);
  EXPECT_EQ(e->GetDataObjectByName("Missing", target.out()), DXFILEERR_NOTFOUND);
}

TEST_F(XFileText, SeparatorsAsExportersWriteThem) {
  struct Case {
    const char* name;
    const char* faces;
  };
  const Case cases[] = {
      {"as specified", "2; 3; 0, 1, 2;, 3; 0, 2, 3;;"},
      {"missing between elements", "2; 3; 0, 1, 2; 3; 0, 2, 3;;"},
      {"doubled", "2;; 3;; 0,, 1,, 2;;, 3; 0, 2, 3;;"},
      {"trailing", "2; 3; 0, 1, 2;, 3; 0, 2, 3;;;,,"},
      {"none at all", "2 3 0 1 2 3 0 2 3"},
      {"commas for semicolons", "2, 3, 0, 1, 2,, 3, 0, 2, 3,,"},
  };
  std::string reference;
  for (const Case& c : cases) {
    std::string text =
        std::string("xof 0303txt 0032\nMesh { 4; 0.0; 0.0; 0.0;, 1.0; 0.0; 0.0;, 1.0; 1.0; 0.0;, ") +
        "0.0; 1.0; 0.0;; " + c.faces + " }\n";
    Ref<IDirectXFileEnumObject> e;
    ASSERT_EQ(open(text, e), S_OK) << c.name;
    std::string dump = dumpAll(e.get());
    if (reference.empty()) reference = dump;
    EXPECT_EQ(dump, reference) << c.name;
  }
}

// Values in arrays are read on a shorter path; every form must come out as a lone value does.
TEST_F(XFileText, ArrayValuesMatchLoneValues) {
  const char* const floats[] = {"0.1",       "-0.000001", "16777216",     "16777217",    "0.33333334",
                                "1234567.8", "9999999",   "0.1234567891", "-0",          "7.",
                                ".25",       "3.4e38",    "1e-45",        "0.0000000001"};
  const char* const dwords[] = {"0", "4294967295", "-1", "-2147483648", "007"};
  std::string text =
      "xof 0303txt 0032\n"
      "template Floats { <11111111-2222-3333-4444-555555555555> DWORD n; array FLOAT v[n]; }\n"
      "template Dwords { <11111111-2222-3333-4444-555555555556> DWORD n; array DWORD v[n]; }\n";
  text += "Floats { " + std::to_string(std::size(floats)) + ";";
  for (const char* f : floats) text += std::string(" ") + f + ",";
  text += "; }\nDwords { " + std::to_string(std::size(dwords)) + ";";
  for (const char* d : dwords) text += std::string(" ") + d + ",";
  text += "; }\n";
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(text, e), S_OK);
  Ref<IDirectXFileData> a, b;
  next(e.get(), a);
  next(e.get(), b);
  DWORD size = 0;
  void* data = nullptr;
  ASSERT_EQ(a->GetData(nullptr, &size, &data), S_OK);
  ASSERT_EQ(size, 4 + 4 * std::size(floats));
  for (size_t i = 0; i < std::size(floats); ++i) {
    float expected = 0;
    std::from_chars(floats[i], floats[i] + std::strlen(floats[i]), expected);
    float got = at<float>(data, 4 + 4 * i);
    EXPECT_EQ(std::memcmp(&got, &expected, 4), 0) << floats[i] << " read as " << got;
  }
  ASSERT_EQ(b->GetData(nullptr, &size, &data), S_OK);
  const DWORD expected[] = {0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 7};
  for (size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(at<DWORD>(data, 4 + 4 * i), expected[i]) << dwords[i];
}

TEST_F(XFileText, TemplatesOfTheFileWithEveryMemberKind) {
  const std::string text =
      "xof 0303txt 0032\n"
      "template Pair { <AAAAAAAA-0000-0000-0000-000000000001> WORD w; UCHAR c; }\n"
      "template Mixed { <AAAAAAAA-0000-0000-0000-000000000002>\n"
      "  DOUBLE d; SDWORD s; Pair p; DWORD n; array Pair pairs[n]; array FLOAT grid[2][n]; STRING label;\n"
      "  [Pair <AAAAAAAA-0000-0000-0000-000000000001>]\n"
      "}\n"
      "Mixed m { 0.25; -2; 7; 8; 2; 1; 2; 3; 4; 1.0, 2.0, 3.0, 4.0; \"hi\"; Pair { 9; 10; } }\n";
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(text, e), S_OK);
  Ref<IDirectXFileData> m, pair;
  next(e.get(), m);
  DWORD size = 0;
  void* data = nullptr;
  ASSERT_EQ(m->GetData(nullptr, &size, &data), S_OK);
  ASSERT_EQ(size, 8u + 4 + 3 + 4 + 2 * 3 + 4 * 4 + sizeof(char*));
  EXPECT_EQ(at<double>(data, 0), 0.25);
  EXPECT_EQ(at<int32_t>(data, 8), -2);
  EXPECT_EQ(at<uint16_t>(data, 12), 7);
  EXPECT_EQ(at<uint8_t>(data, 14), 8);
  EXPECT_EQ(at<DWORD>(data, 15), 2u);
  EXPECT_EQ(at<uint16_t>(data, 22), 3);
  EXPECT_EQ(at<float>(data, 25 + 12), 4.0f);
  EXPECT_STREQ(at<const char*>(data, 41), "hi");
  child(m.get(), pair);
  ASSERT_EQ(pair->GetData(nullptr, &size, &data), S_OK);
  EXPECT_EQ(size, 3u);
}

TEST_F(XFileText, SpecialFloatsAndNumberForms) {
  const std::string text =
      "xof 0303txt 0032\n"
      "ColorRGBA { 1.#QNAN0; -1.#INF00; .5; 1e-2; }\n"
      "ColorRGB { +2; -0.0; 3.; }\n";
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(text, e), S_OK);
  Ref<IDirectXFileData> a, b;
  next(e.get(), a);
  next(e.get(), b);
  DWORD size = 0;
  void* data = nullptr;
  ASSERT_EQ(a->GetData(nullptr, &size, &data), S_OK);
  EXPECT_TRUE(std::isnan(at<float>(data, 0)));
  EXPECT_EQ(at<float>(data, 4), -INFINITY);
  EXPECT_EQ(at<float>(data, 8), 0.5f);
  EXPECT_EQ(at<float>(data, 12), 0.01f);
  ASSERT_EQ(b->GetData(nullptr, &size, &data), S_OK);
  EXPECT_EQ(at<float>(data, 0), 2.0f);
  EXPECT_EQ(at<float>(data, 8), 3.0f);
}

TEST_F(XFileText, MalformedFilesGiveReaderErrors) {
  struct Case {
    const char* name;
    const char* text;
    HRESULT expected;
  };
  const Case cases[] = {
      {"empty", "", DXFILEERR_BADFILE},
      {"short header", "xof 0303txt", DXFILEERR_BADFILE},
      {"magic", "xox 0303txt 0032", DXFILEERR_BADFILETYPE},
      {"version", "xof 0203txt 0032", DXFILEERR_BADFILEVERSION},
      {"encoding", "xof 0303asc 0032", DXFILEERR_BADFILETYPE},
      {"float size", "xof 0303txt 0016", DXFILEERR_BADFILEFLOATSIZE},
      {"unknown template", "xof 0303txt 0032\nTeapot { 1; }", DXFILEERR_NOTEMPLATE},
      {"missing brace", "xof 0303txt 0032\nVector { 1.0; 2.0; 3.0;", DXFILEERR_PARSEERROR},
      {"too few values", "xof 0303txt 0032\nVector { 1.0; 2.0; }", DXFILEERR_PARSEERROR},
      {"extra values", "xof 0303txt 0032\nVector { 1.0; 2.0; 3.0; 4.0; }", DXFILEERR_PARSEERROR},
      {"float for a count", "xof 0303txt 0032\nMeshFace { 1.5; 0; }", DXFILEERR_PARSEERROR},
      {"count too large", "xof 0303txt 0032\nMeshFace { 4000000000; 0; }", DXFILEERR_BADARRAYSIZE},
      {"count out of range", "xof 0303txt 0032\nMeshFace { 9999999999; 0; }", DXFILEERR_BADVALUE},
      {"unterminated string", "xof 0303txt 0032\nTextureFilename { \"a.png; }", DXFILEERR_PARSEERROR},
      {"number for a string", "xof 0303txt 0032\nTextureFilename { 1; }", DXFILEERR_PARSEERROR},
      {"stray character", "xof 0303txt 0032\nVector { 1.0; 2.0; 3.0; } @", DXFILEERR_PARSEERROR},
      {"child of a closed template", "xof 0303txt 0032\nVector { 1.0; 2.0; 3.0; Vector { 1.0; 2.0; 3.0; } }",
       DXFILEERR_BADOBJECT},
      {"child outside the restriction",
       "xof 0303txt 0032\nMeshMaterialList { 0; 0; Vector { 1.0; 2.0; 3.0; } }", DXFILEERR_BADOBJECT},
      {"reference at top level", "xof 0303txt 0032\n{ A }", DXFILEERR_PARSEERROR},
      {"empty reference", "xof 0303txt 0032\nFrame { { } }", DXFILEERR_PARSEERROR},
      {"count of no member",
       "xof 0303txt 0032\ntemplate T { <AAAAAAAA-0000-0000-0000-000000000003> array DWORD a[n]; }",
       DXFILEERR_BADARRAYSIZE},
      {"template without braces", "xof 0303txt 0032\ntemplate T DWORD a;", DXFILEERR_PARSEERROR},
  };
  for (const Case& c : cases) {
    Ref<IDirectXFileEnumObject> e;
    EXPECT_EQ(open(std::string(c.text), e), c.expected) << c.name;
    EXPECT_FALSE(e) << c.name;
  }
}

TEST_F(XFileText, OpensFilesByName) {
  std::string path = ::testing::TempDir() + "xfile_text_test.x";
  {
    std::ofstream out(path, std::ios::binary);
    out << kSceneText;
  }
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(reader_->CreateEnumObject(const_cast<char*>(path.c_str()), DXFILELOAD_FROMFILE, e.out()), S_OK);
  EXPECT_NE(dumpAll(e.get()).find("Quad"), std::string::npos);
  std::remove(path.c_str());
  EXPECT_EQ(reader_->CreateEnumObject(const_cast<char*>(path.c_str()), DXFILELOAD_FROMFILE, e.out()),
            DXFILEERR_FILENOTFOUND);
  EXPECT_EQ(reader_->CreateEnumObject(const_cast<char*>(path.c_str()), DXFILELOAD_FROMURL, e.out()),
            DXFILEERR_URLNOTFOUND);
  Ref<IDirectXFileSaveObject> save;
  EXPECT_EQ(reader_->CreateSaveObject("out.x", DXFILEFORMAT_TEXT, save.out()), E_NOTIMPL);
}

}  // namespace
}  // namespace zentu::test
