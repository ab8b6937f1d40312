// The same content as text, binary with 32- and 64-bit floats, and compressed: identical objects.
#include <cstring>

#include "xfile_test_support.h"
#include "xfile_writer.h"

namespace zentu::test {
namespace {

class XFileEncodings : public XFileTest {};

// The scene plus members that only some encodings write differently: a template defined in the
// file, a string array, GUID references.
std::string richText() {
  return std::string(kSceneText) +
         "template Tagged { <BBBBBBBB-0000-0000-0000-000000000001> DWORD n; array STRING tags[n]; DOUBLE w; "
         "}\n"
         "Tagged T <BBBBBBBB-0000-0000-0000-0000000000AA> { 2; \"one\", \"two\"; 0.125; }\n"
         "Frame G { { <BBBBBBBB-0000-0000-0000-0000000000AA> } Url { 1; \"x\"; } }\n";
}

TEST_F(XFileEncodings, EveryEncodingGivesIdenticalObjects) {
  std::string text = richText();
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(text, e), S_OK);
  const std::string reference = dumpAll(e.get());
  ASSERT_EQ(reference.find("<error>"), std::string::npos) << reference;
  ASSERT_NE(reference.find("-> Blue = Blue"), std::string::npos);

  std::vector<uint8_t> binary32 = textToBinary(text, 32);
  std::vector<uint8_t> binary64 = textToBinary(text, 64);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"binary 32", binary32},
      {"binary 64", binary64},
      {"compressed text", compressX(bytesOf(text))},
      {"compressed binary 32", compressX(binary32)},
      {"compressed binary 64", compressX(binary64)},
      {"compressed in small blocks", compressX(binary64, 64)},
  };
  EXPECT_EQ(std::memcmp(binary64.data(), "xof 0303bin 0064", 16), 0);
  EXPECT_GT(binary64.size(), binary32.size());
  for (const Case& c : cases) {
    ASSERT_EQ(open(c.bytes, e), S_OK) << c.name;
    EXPECT_EQ(dumpAll(e.get()), reference) << c.name;
  }
}

TEST_F(XFileEncodings, SixtyFourBitFloatsAreConverted) {
  std::string text = "xof 0303txt 0032\nColorRGB { 0.1; 1e30; -2.5; }\n";
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(textToBinary(text, 64), e), S_OK);
  Ref<IDirectXFileData> d;
  ASSERT_EQ(e->GetNextDataObject(d.out()), S_OK);
  DWORD size = 0;
  void* data = nullptr;
  ASSERT_EQ(d->GetData(nullptr, &size, &data), S_OK);
  ASSERT_EQ(size, 12u);
  EXPECT_EQ(at<float>(data, 0), 0.1f);
  EXPECT_EQ(at<float>(data, 4), 1e30f);
  EXPECT_EQ(at<float>(data, 8), -2.5f);
}

TEST_F(XFileEncodings, BrokenBinaryAndCompressedFilesGiveReaderErrors) {
  std::vector<uint8_t> binary = textToBinary(kSceneText, 32);
  std::vector<uint8_t> packed = compressX(binary);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    HRESULT expected;
  };
  std::vector<Case> cases;
  {
    std::vector<uint8_t> b = binary;
    b[16] = 0x63;  // an unknown token code
    cases.push_back({"unknown token", b, DXFILEERR_PARSEERROR});
  }
  {
    std::vector<uint8_t> b = binary;
    std::memcpy(b.data() + 12, "0016", 4);
    cases.push_back({"float size", b, DXFILEERR_BADFILEFLOATSIZE});
  }
  {
    std::vector<uint8_t> b = packed;
    b[24] = 'X';  // the first block's "CK"
    cases.push_back({"block marker", b, DXFILEERR_BADFILE});
  }
  {
    std::vector<uint8_t> b = packed;
    b[26] ^= 0xFF;  // deflate data
    b[27] ^= 0xFF;
    cases.push_back({"deflate data", b, DXFILEERR_BADFILE});
  }
  {
    std::vector<uint8_t> b = packed;
    b[20] = static_cast<uint8_t>(b[20] + 1);  // the block's stated plain size
    cases.push_back({"block size", b, DXFILEERR_BADFILE});
  }
  {
    // A name token whose length runs past the end.
    std::vector<uint8_t> b(binary.begin(), binary.begin() + 16);
    const uint8_t name[] = {1, 0, 0xFF, 0xFF, 0, 0, 'M'};
    b.insert(b.end(), name, name + sizeof name);
    cases.push_back({"name past the end", b, DXFILEERR_PARSEERROR});
  }
  {
    // An integer list claiming more values than the file holds.
    std::string head = "xof 0303bin 0032";
    std::vector<uint8_t> b(head.begin(), head.end());
    const uint8_t tokens[] = {1,   0,  8, 0, 0, 0,    'M',  'e',  's',  'h', 'F', 'a', 'c',
                              'e', 10, 0, 6, 0, 0xFF, 0xFF, 0xFF, 0x0F, 1,   0,   0,   0};
    b.insert(b.end(), tokens, tokens + sizeof tokens);
    cases.push_back({"list past the end", b, DXFILEERR_PARSEERROR});
  }
  for (const Case& c : cases) {
    Ref<IDirectXFileEnumObject> e;
    EXPECT_EQ(open(c.bytes, e), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace zentu::test
