// Limits on outside data, and the truncation loops: every prefix of a small text and a small binary
// file, each in a fresh buffer, either fails with a reader error or reads as a valid file.
#include "xfile_test_support.h"
#include "xfile_writer.h"

namespace zentu::test {
namespace {

class XFileLimits : public XFileTest {
 protected:
  HRESULT openText(const std::string& body) {
    Ref<IDirectXFileEnumObject> e;
    return open("xof 0303txt 0032\n" + body, e);
  }
};

std::string nestedFrames(int depth) {
  std::string s;
  for (int i = 0; i < depth; ++i) s += "Frame {\n";
  for (int i = 0; i < depth; ++i) s += "}\n";
  return s;
}

TEST_F(XFileLimits, NestingDepth) {
  EXPECT_EQ(openText(nestedFrames(64)), S_OK);
  EXPECT_EQ(openText(nestedFrames(65)), DXFILEERR_PARSEERROR);
  EXPECT_EQ(openText(nestedFrames(100000)), DXFILEERR_PARSEERROR);
  // A template that contains itself never ends.
  EXPECT_EQ(openText("template Loop { <CCCCCCCC-0000-0000-0000-000000000001> DWORD a; Loop inner; }\n"
                     "Loop { 1; 2; 3; }"),
            DXFILEERR_PARSEERROR);
}

TEST_F(XFileLimits, NameAndStringLengths) {
  EXPECT_EQ(openText("Frame " + std::string(1024, 'n') + " { }"), S_OK);
  EXPECT_EQ(openText("Frame " + std::string(1025, 'n') + " { }"), DXFILEERR_PARSEERROR);
  EXPECT_EQ(openText("TextureFilename { \"" + std::string(64 * 1024, 's') + "\"; }"), S_OK);
  EXPECT_EQ(openText("TextureFilename { \"" + std::string(64 * 1024 + 1, 's') + "\"; }"),
            DXFILEERR_PARSEERROR);

  std::string longName = "xof 0303txt 0032\nFrame " + std::string(1025, 'n') + " { }";
  Ref<IDirectXFileEnumObject> e;
  EXPECT_EQ(open(textToBinary(longName, 32), e), DXFILEERR_PARSEERROR);
}

TEST_F(XFileLimits, ArrayCountsAreCheckedBeforeAllocating) {
  struct Case {
    const char* name;
    std::string body;
  };
  const Case cases[] = {
      {"vertices", "Mesh { 4294967295; 1.0; 2.0; 3.0;; 1; 3; 0, 0, 0;; }"},
      {"a count just above what is left", "FloatKeys { 100; 1.0, 2.0; }"},
      {"nested arrays", "MeshNormals { 1; 0.0; 0.0; 1.0;; 100000000; 3; 0, 0, 0;; }"},
      {"two dimensions overflowing",
       "template Grid { <CCCCCCCC-0000-0000-0000-000000000002> DWORD n; array DWORD g[n][n][n]; }\n"
       "Grid { 65536; 1; }"},
      {"empty elements many times",
       "template Empty { <CCCCCCCC-0000-0000-0000-000000000003> }\n"
       "template Many { <CCCCCCCC-0000-0000-0000-000000000004> array Empty e[4000000000]; }\n"
       "Many { }"},
  };
  for (const Case& c : cases) EXPECT_EQ(openText(c.body), DXFILEERR_BADARRAYSIZE) << c.name;

  std::vector<uint8_t> binary = textToBinary("xof 0303txt 0032\nMeshFace { 3; 0, 1, 2; }", 32);
  // Raise the count (the first value of the integer list) far past the file.
  size_t list = binary.size() - 2 - 4 * 4;
  binary[list] = 0xFF;
  binary[list + 1] = 0xFF;
  binary[list + 2] = 0xFF;
  Ref<IDirectXFileEnumObject> e;
  EXPECT_EQ(open(binary, e), DXFILEERR_BADARRAYSIZE);
}

// Small zero-value templates nested in literal arrays would loop for ever without a work bound.
TEST_F(XFileLimits, WorkIsBoundedByTheInput) {
  EXPECT_NE(openText("template E { <CCCCCCCC-0000-0000-0000-000000000005> }\n"
                     "template A { <CCCCCCCC-0000-0000-0000-000000000006> array E e[1000]; }\n"
                     "template B { <CCCCCCCC-0000-0000-0000-000000000007> array A a[1000]; }\n"
                     "template C { <CCCCCCCC-0000-0000-0000-000000000008> array B b[1000]; }\n"
                     "C { }"),
            S_OK);
}

class XFileTruncation : public XFileTest {
 protected:
  void everyPrefix(const std::vector<uint8_t>& whole) {
    Ref<IDirectXFileEnumObject> e;
    ASSERT_EQ(open(whole, e), S_OK);
    int valid = 0;
    for (size_t n = 0; n < whole.size(); ++n) {
      std::vector<uint8_t> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
      HRESULT hr = open(prefix, e);
      if (SUCCEEDED(hr)) {
        // A prefix that ends between top-level objects is a valid, shorter file.
        EXPECT_EQ(dumpAll(e.get()).find("<error>"), std::string::npos) << n;
        ++valid;
      } else {
        EXPECT_EQ(HRESULT_FACILITY(hr), 0x876) << n;
        EXPECT_FALSE(e) << n;
      }
      e.reset();
    }
    EXPECT_LT(valid, static_cast<int>(whole.size() / 4));
  }

  static int HRESULT_FACILITY(HRESULT hr) { return (static_cast<uint32_t>(hr) >> 16) & 0x1FFF; }
};

TEST_F(XFileTruncation, TextPrefixes) {
  everyPrefix(bytesOf(kSceneText));
}
TEST_F(XFileTruncation, BinaryPrefixes) {
  everyPrefix(textToBinary(kSceneText, 32));
}
TEST_F(XFileTruncation, CompressedPrefixes) {
  everyPrefix(compressX(textToBinary(kSceneText, 64), 128));
}

}  // namespace
}  // namespace zentu::test
