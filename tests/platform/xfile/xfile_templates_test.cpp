// The mesh loader's template sets: the built-in standard set matches its text form and the length
// of the standard encoding; all three register in order and describe the data the loader reads.
#include <cstring>

#include "standard_templates_text.h"
#include "xfile_test_support.h"
#include "xfile_writer.h"

namespace zentu::test {
namespace {

class XFileTemplates : public XFileTest {};

TEST_F(XFileTemplates, StandardSetIsTheGeneratedBinaryEncoding) {
  std::vector<uint8_t> generated = textToBinary(kStandardTemplatesText, 64);
  const XTemplateSet& builtIn = kXTemplateSets[0];
  ASSERT_EQ(builtIn.size, 3278u);
  ASSERT_EQ(generated.size(), builtIn.size) << "regenerate with zentu_xfile_template_dump";
  EXPECT_EQ(std::memcmp(generated.data(), builtIn.data, builtIn.size), 0)
      << "regenerate with zentu_xfile_template_dump";
  EXPECT_EQ(std::memcmp(builtIn.data, "xof 0302bin 0064", 16), 0);
  for (int i = 1; i < kXTemplateSetCount; ++i) {
    EXPECT_EQ(std::memcmp(kXTemplateSets[i].data, "xof 0303txt 0032", 16), 0) << i;
    EXPECT_NE(static_cast<const char*>(kXTemplateSets[i].data)[kXTemplateSets[i].size - 1], '\0') << i;
  }
}

TEST_F(XFileTemplates, SetsRegisterOnlyInOrder) {
  // The skinning set uses Matrix4x4 and Vector from the standard set.
  Ref<IDirectXFile> fresh;
  ASSERT_EQ(DirectXFileCreate(fresh.out()), S_OK);
  const XTemplateSet& skin = kXTemplateSets[1];
  ASSERT_EQ(fresh->RegisterTemplates(const_cast<void*>(skin.data), skin.size), S_OK);
  Ref<IDirectXFileEnumObject> e;
  std::string file = "xof 0303txt 0032\nPatch { 3; 0, 1, 2; }\n";
  DXFILELOADMEMORY memory{file.data(), static_cast<DWORD>(file.size())};
  EXPECT_EQ(fresh->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, e.out()), S_OK);
  file = "xof 0303txt 0032\nPatchMesh { 0; 0; }\n";
  memory = {file.data(), static_cast<DWORD>(file.size())};
  EXPECT_EQ(fresh->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, e.out()), DXFILEERR_NOTEMPLATE);

  // Data objects are not templates; a failing set leaves the registry unchanged.
  std::string notTemplates = "xof 0303txt 0032\nFrame { }";
  EXPECT_EQ(reader_->RegisterTemplates(notTemplates.data(), static_cast<DWORD>(notTemplates.size())),
            DXFILEERR_PARSEERROR);
  EXPECT_EQ(reader_->RegisterTemplates(nullptr, 0), DXFILEERR_BADVALUE);
}

TEST_F(XFileTemplates, EveryTemplateTheLoaderTestsHasItsId) {
  struct Case {
    const char* object;
    GUID id;
    DWORD size;
  };
  const Case cases[] = {
      {"Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3; 0, 1, 2;; }", TID_D3DRMMesh,
       4 + 36 + 4 + 16},
      {"Frame { }", TID_D3DRMFrame, 0},
      {"FrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }",
       TID_D3DRMFrameTransformMatrix, 64},
      {"MeshTextureCoords { 1; 0.5; 0.25;; }", TID_D3DRMMeshTextureCoords, 12},
      {"MeshMaterialList { 1; 1; 0;; }", TID_D3DRMMeshMaterialList, 12},
      {"MeshNormals { 1; 0.0; 0.0; 1.0;; 1; 3; 0, 0, 0;; }", TID_D3DRMMeshNormals, 4 + 12 + 4 + 16},
      {"MeshVertexColors { 1; 0; 0.5; 0.25; 1.0; 0.0;; }", TID_D3DRMMeshVertexColors, 4 + 20},
      {"TextureFilename { \"t.png\"; }", TID_D3DRMTextureFilename, sizeof(char*)},
      {"Material { 1.0; 1.0; 1.0; 1.0;; 0.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;; }", TID_D3DRMMaterial, 44},
      {"VertexDuplicationIndices { 2; 1; 0, 0; }", DXFILEOBJ_VertexDuplicationIndices, 16},
      {"FaceAdjacency { 3; 4294967295, 1, -1; }", DXFILEOBJ_FaceAdjacency, 16},
      {"FVFData { 258; 2; 1, 2; }", DXFILEOBJ_FVFData, 16},
      {"XSkinMeshHeader { 1; 2; 3; }", DXFILEOBJ_XSkinMeshHeader, 6},
      {"SkinWeights { \"bone\"; 1; 0; 1.0; 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; "
       "}",
       DXFILEOBJ_SkinWeights, sizeof(char*) + 4 + 4 + 4 + 64},
      {"PMInfo { 1; 0; 1; 2; 0; 1; 2; 3; 4; 5; 1; 7; 8; 9; 1; 6; }", DXFILEOBJ_PMInfo,
       4 + 24 + 12 + 4 + 12 + 4 + 4},
      {"Header { 1; 0; 1; }", TID_D3DRMHeader, 8},
      {"Guid { 1; 2; 3; 1, 2, 3, 4, 5, 6, 7, 8; }", TID_D3DRMGuid, 16},
  };
  for (const Case& c : cases) {
    Ref<IDirectXFileEnumObject> e;
    ASSERT_EQ(open(std::string("xof 0303txt 0032\n") + c.object, e), S_OK) << c.object;
    Ref<IDirectXFileData> d;
    ASSERT_EQ(e->GetNextDataObject(d.out()), S_OK) << c.object;
    const GUID* type = nullptr;
    ASSERT_EQ(d->GetType(&type), S_OK);
    EXPECT_EQ(*type, c.id) << c.object;
    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(d->GetData(nullptr, &size, &data), S_OK);
    EXPECT_EQ(size, c.size) << c.object;
  }
}

TEST_F(XFileTemplates, InterfaceIdsAndQueries) {
  EXPECT_EQ(IID_IDirectXFileData, TID_D3DRMMesh);
  Ref<IDirectXFileEnumObject> e;
  ASSERT_EQ(open(kSceneText, e), S_OK);
  Ref<IDirectXFileData> d;
  ASSERT_EQ(e->GetNextDataObject(d.out()), S_OK);
  Ref<IDirectXFileObject> asObject;
  Ref<IDirectXFileDataReference> asReference;
  EXPECT_EQ(d->QueryInterface(IID_IDirectXFileObject, reinterpret_cast<void**>(asObject.out())), S_OK);
  EXPECT_EQ(d->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(asReference.out())),
            E_NOINTERFACE);
  Ref<IDirectXFile> again;
  EXPECT_EQ(reader_->QueryInterface(IID_IDirectXFile, reinterpret_cast<void**>(again.out())), S_OK);
  EXPECT_EQ(d->AddDataReference("x", nullptr), E_NOTIMPL);
}

}  // namespace
}  // namespace zentu::test
