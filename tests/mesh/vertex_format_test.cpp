// Vertex layouts, declarations both ways, and the buffer object.
#include "tests/mesh/mesh_fixture.h"

namespace zentu::test {
namespace {

TEST(VertexLayout, SizesAndOffsets) {
  struct Case {
    const char* name;
    DWORD fvf;
    UINT size, normal, diffuse, tex1;
  };
  const Case cases[] = {
      {"position", D3DFVF_XYZ, 12, 0, 0, 0},
      {"position normal tex1", D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32, 12, 0, 0},
      {"rhw diffuse", D3DFVF_XYZRHW | D3DFVF_DIFFUSE, 20, 0, 16, 0},
      {"three weights normal", D3DFVF_XYZB3 | D3DFVF_NORMAL, 36, 24, 0, 0},
      {"everything",
       D3DFVF_XYZB5 | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2 |
           D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE4(1),
       32 + 12 + 12 + 4 + 16, 32, 48, 60},
      {"no position, normal first", D3DFVF_NORMAL | D3DFVF_DIFFUSE, 16, 0, 12, 0},
      {"texture count clamped to 8", D3DFVF_XYZ | 0xF00, 12 + 8 * 8, 0, 0, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FvfLayout layout = fvfLayout(c.fvf);
    EXPECT_EQ(D3DXGetFVFVertexSize(c.fvf), c.size);
    EXPECT_EQ(layout.normalOffset, c.normal);
    EXPECT_EQ(layout.diffuseOffset, c.diffuse);
    EXPECT_EQ(layout.texOffset[1], c.tex1);
  }
}

TEST(Declarator, BothWays) {
  struct Case {
    const char* name;
    DWORD fvf;
    std::vector<DWORD> tokens;
  };
  const std::vector<Case> cases = {
      {"position normal tex1", 0x112, {0x20000000, 0x40020000, 0x40020003, 0x40010007, 0xFFFFFFFF}},
      {"rhw diffuse specular",
       D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR,
       {0x20000000, 0x40030000, 0x40040005, 0x40040006, 0xFFFFFFFF}},
      {"two weights psize",
       D3DFVF_XYZB2 | D3DFVF_PSIZE,
       {0x20000000, 0x40020000, 0x40010001, 0x40000004, 0xFFFFFFFF}},
      {"one slot of packed indices",
       D3DFVF_XYZB1 | D3DFVF_LASTBETA_UBYTE4,
       {0x20000000, 0x40020000, 0x40050002, 0xFFFFFFFF}},
      {"four weights and packed indices",
       D3DFVF_XYZB5 | D3DFVF_LASTBETA_UBYTE4,
       {0x20000000, 0x40020000, 0x40030001, 0x40050002, 0xFFFFFFFF}},
      {"texture sizes",
       D3DFVF_XYZ | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE3(1) | D3DFVF_TEXCOORDSIZE4(2),
       {0x20000000, 0x40020000, 0x40000007, 0x40020008, 0x40030009, 0xFFFFFFFF}},
      {"no position", D3DFVF_NORMAL, {0x20000000, 0x40020003, 0xFFFFFFFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DWORD tokens[MAX_FVF_DECL_SIZE] = {};
    ASSERT_EQ(D3DXDeclaratorFromFVF(c.fvf, tokens), D3D_OK);
    EXPECT_EQ(std::vector<DWORD>(tokens, tokens + c.tokens.size()), c.tokens);
    DWORD fvf = 0;
    ASSERT_EQ(D3DXFVFFromDeclarator(c.tokens.data(), &fvf), D3D_OK);
    EXPECT_EQ(fvf, c.fvf);
  }
}

TEST(Declarator, Refusals) {
  DWORD tokens[MAX_FVF_DECL_SIZE];
  DWORD fvf = 0;
  EXPECT_EQ(D3DXDeclaratorFromFVF(D3DFVF_XYZ | 1, tokens), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXDeclaratorFromFVF(D3DFVF_XYZ | 0x2000, tokens), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXDeclaratorFromFVF(D3DFVF_XYZ | 0x900, tokens), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXDeclaratorFromFVF(D3DFVF_XYZB5, tokens), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXDeclaratorFromFVF(D3DFVF_XYZ, nullptr), D3DERR_INVALIDCALL);
  const std::vector<std::vector<DWORD>> bad = {
      {0x20000001, 0x40020000, 0xFFFFFFFF},              // stream 1
      {0x20000000, 0x40020003, 0x40020000, 0xFFFFFFFF},  // position after normal
      {0x20000000, 0x40020000, 0x40010008, 0xFFFFFFFF},  // texture set 1 without set 0
      {0x20000000, 0x40040003, 0xFFFFFFFF},              // normal of the wrong type
      {0x20000000, 0x40020000},                          // no end (stops at the unknown token)
  };
  for (const auto& tokensIn : bad) {
    std::vector<DWORD> t = tokensIn;
    t.push_back(0x12345678);
    EXPECT_EQ(D3DXFVFFromDeclarator(t.data(), &fvf), D3DERR_INVALIDCALL);
  }
  EXPECT_EQ(D3DXFVFFromDeclarator(nullptr, &fvf), D3DERR_INVALIDCALL);
}

class Buffer : public MeshTest {};

TEST_F(Buffer, CreateQueryRelease) {
  ID3DXBuffer* buffer = nullptr;
  ASSERT_EQ(D3DXCreateBuffer(40, &buffer), D3D_OK);
  EXPECT_EQ(buffer->GetBufferSize(), 40u);
  std::memset(buffer->GetBufferPointer(), 0xAB, 40);
  void* same = nullptr;
  EXPECT_EQ(buffer->QueryInterface(IID_ID3DXBuffer, &same), S_OK);
  EXPECT_EQ(same, buffer);
  EXPECT_EQ(buffer->QueryInterface(IID_IUnknown, &same), S_OK);
  EXPECT_EQ(buffer->QueryInterface(IID_ID3DXMesh, &same), E_NOINTERFACE);
  EXPECT_EQ(same, nullptr);
  EXPECT_EQ(buffer->Release(), 2u);
  EXPECT_EQ(buffer->Release(), 1u);
  EXPECT_EQ(buffer->Release(), 0u);
  EXPECT_EQ(D3DXCreateBuffer(4, nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(D3DXCreateBuffer(0, &buffer), D3D_OK);
  EXPECT_EQ(buffer->GetBufferSize(), 0u);
  buffer->Release();
}

}  // namespace
}  // namespace zentu::test
