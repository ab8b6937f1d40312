/* The .x model-file reader: the reader object, the enumerator of a file's top-level objects, data
 * objects, data references and binary objects, with their interface ids, load options, error codes and
 * the ids of the standard templates. */
#ifndef ZENTU_DXFILE_H
#define ZENTU_DXFILE_H

#include "zentu/wintypes.h"

typedef DWORD DXFILEFORMAT;
#define DXFILEFORMAT_BINARY 0
#define DXFILEFORMAT_TEXT 1
#define DXFILEFORMAT_COMPRESSED 2

typedef DWORD DXFILELOADOPTIONS;
#define DXFILELOAD_FROMFILE 0x00L
#define DXFILELOAD_FROMRESOURCE 0x01L
#define DXFILELOAD_FROMMEMORY 0x02L
#define DXFILELOAD_FROMSTREAM 0x04L
#define DXFILELOAD_FROMURL 0x08L

typedef struct _DXFILELOADRESOURCE {
  HMODULE hModule;
  LPCSTR lpName;
  LPCSTR lpType;
} DXFILELOADRESOURCE, *LPDXFILELOADRESOURCE;

typedef struct _DXFILELOADMEMORY {
  LPVOID lpMemory;
  DWORD dSize;
} DXFILELOADMEMORY, *LPDXFILELOADMEMORY;

#define _DXFILEERROR(code) MAKE_HRESULT(1, 0x876, code)

#define DXFILE_OK 0
#define DXFILEERR_BADOBJECT _DXFILEERROR(850)
#define DXFILEERR_BADVALUE _DXFILEERROR(851)
#define DXFILEERR_BADTYPE _DXFILEERROR(852)
#define DXFILEERR_BADSTREAMHANDLE _DXFILEERROR(853)
#define DXFILEERR_BADALLOC _DXFILEERROR(854)
#define DXFILEERR_NOTFOUND _DXFILEERROR(855)
#define DXFILEERR_NOTDONEYET _DXFILEERROR(856)
#define DXFILEERR_FILENOTFOUND _DXFILEERROR(857)
#define DXFILEERR_RESOURCENOTFOUND _DXFILEERROR(858)
#define DXFILEERR_URLNOTFOUND _DXFILEERROR(859)
#define DXFILEERR_BADRESOURCE _DXFILEERROR(860)
#define DXFILEERR_BADFILETYPE _DXFILEERROR(861)
#define DXFILEERR_BADFILEVERSION _DXFILEERROR(862)
#define DXFILEERR_BADFILEFLOATSIZE _DXFILEERROR(863)
#define DXFILEERR_BADFILECOMPRESSIONTYPE _DXFILEERROR(864)
#define DXFILEERR_BADFILE _DXFILEERROR(865)
#define DXFILEERR_PARSEERROR _DXFILEERROR(866)
#define DXFILEERR_NOTEMPLATE _DXFILEERROR(867)
#define DXFILEERR_BADARRAYSIZE _DXFILEERROR(868)
#define DXFILEERR_BADDATAREFERENCE _DXFILEERROR(869)
#define DXFILEERR_INTERNALERROR _DXFILEERROR(870)
#define DXFILEERR_NOMOREOBJECTS _DXFILEERROR(871)
#define DXFILEERR_BADINTRINSICS _DXFILEERROR(872)
#define DXFILEERR_NOMORESTREAMHANDLES _DXFILEERROR(873)
#define DXFILEERR_NOMOREDATA _DXFILEERROR(874)
#define DXFILEERR_BADCACHEFILE _DXFILEERROR(875)
#define DXFILEERR_NOINTERNET _DXFILEERROR(876)

#ifdef __cplusplus

/* Interface ids. */
inline constexpr GUID IID_IDirectXFile = {
    0x3D82AB40, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
inline constexpr GUID IID_IDirectXFileEnumObject = {
    0x3D82AB41, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
inline constexpr GUID IID_IDirectXFileSaveObject = {
    0x3D82AB42, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
inline constexpr GUID IID_IDirectXFileObject = {
    0x3D82AB43, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
inline constexpr GUID IID_IDirectXFileData = {
    0x3D82AB44, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
inline constexpr GUID IID_IDirectXFileDataReference = {
    0x3D82AB45, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
inline constexpr GUID IID_IDirectXFileBinary = {
    0x3D82AB46, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};

struct IDirectXFile;
struct IDirectXFileEnumObject;
struct IDirectXFileSaveObject;
struct IDirectXFileObject;
struct IDirectXFileData;
struct IDirectXFileDataReference;
struct IDirectXFileBinary;
typedef IDirectXFile* LPDIRECTXFILE;
typedef IDirectXFileEnumObject* LPDIRECTXFILEENUMOBJECT;
typedef IDirectXFileSaveObject* LPDIRECTXFILESAVEOBJECT;
typedef IDirectXFileObject* LPDIRECTXFILEOBJECT;
typedef IDirectXFileData* LPDIRECTXFILEDATA;
typedef IDirectXFileDataReference* LPDIRECTXFILEDATAREFERENCE;
typedef IDirectXFileBinary* LPDIRECTXFILEBINARY;

/* The reader: keeps the registered templates and opens files and memory blocks. */
struct IDirectXFile : IUnknown {
  /* pvSource is a file name (DXFILELOAD_FROMFILE) or a DXFILELOADMEMORY* (DXFILELOAD_FROMMEMORY).
   * *ppEnumObj receives a new reference. The whole source is parsed here, so malformed input fails
   * here; a memory block is copied and need not outlive the call. */
  virtual HRESULT CreateEnumObject(LPVOID pvSource, DXFILELOADOPTIONS dwLoadOptions,
                                   LPDIRECTXFILEENUMOBJECT* ppEnumObj) = 0;
  /* Writing files is not offered: returns E_NOTIMPL and sets *ppSaveObj to null. */
  virtual HRESULT CreateSaveObject(LPCSTR szFileName, DXFILEFORMAT dwFileFormat,
                                   LPDIRECTXFILESAVEOBJECT* ppSaveObj) = 0;
  /* pvData is a whole .x file (text, binary or compressed) holding template definitions; it is
   * only read during the call. Later enumerators see these templates. */
  virtual HRESULT RegisterTemplates(LPVOID pvData, DWORD cbSize) = 0;
};

/* The top-level data objects of one file, in file order. */
struct IDirectXFileEnumObject : IUnknown {
  /* *ppDataObj receives a new reference; DXFILEERR_NOMOREOBJECTS after the last one. */
  virtual HRESULT GetNextDataObject(LPDIRECTXFILEDATA* ppDataObj) = 0;
  /* The first data object of the file (at any depth) with this id or name; a new reference. */
  virtual HRESULT GetDataObjectById(REFGUID rguid, LPDIRECTXFILEDATA* ppDataObj) = 0;
  virtual HRESULT GetDataObjectByName(LPCSTR szName, LPDIRECTXFILEDATA* ppDataObj) = 0;
};

struct IDirectXFileSaveObject : IUnknown {
  virtual HRESULT SaveTemplates(DWORD cTemplates, const GUID** ppguidTemplates) = 0;
  virtual HRESULT CreateDataObject(REFGUID rguidTemplate, LPCSTR szName, const GUID* pguid, DWORD cbSize,
                                   LPVOID pvData, LPDIRECTXFILEDATA* ppDataObj) = 0;
  virtual HRESULT SaveData(LPDIRECTXFILEDATA pDataObj) = 0;
};

/* What every object of a file has: an optional name and an optional id. */
struct IDirectXFileObject : IUnknown {
  /* With a null buffer, *pdwBufLen receives the size the name needs (length plus the terminating
   * zero); otherwise the name is copied when it fits (DXFILEERR_BADVALUE when not). An unnamed
   * object has the empty name. */
  virtual HRESULT GetName(LPSTR pstrNameBuf, LPDWORD pdwBufLen) = 0;
  /* The object's id, or all zeros when it has none. */
  virtual HRESULT GetId(LPGUID pGuid) = 0;
};

/* A data object: an instance of a template with its members and its children. */
struct IDirectXFileData : IDirectXFileObject {
  /* With szMember null, the whole object; otherwise that top-level member. *ppvData points into the
   * object (valid while the object is referenced), packed in template order without padding:
   * WORD 2 bytes, DWORD and FLOAT 4, DOUBLE 8, CHAR and UCHAR 1, STRING a char pointer to a
   * zero-terminated string; arrays inline after their counts; nested templates inline. */
  virtual HRESULT GetData(LPCSTR szMember, DWORD* pcbSize, void** ppvData) = 0;
  /* *ppguid points to the template id; valid while the object is referenced. */
  virtual HRESULT GetType(const GUID** ppguid) = 0;
  /* The children in file order (data objects, references, binary objects); each call hands out a
   * new reference; DXFILEERR_NOMOREOBJECTS after the last one. */
  virtual HRESULT GetNextObject(LPDIRECTXFILEOBJECT* ppChildObj) = 0;
  /* Building objects for saving is not offered: these return E_NOTIMPL. */
  virtual HRESULT AddDataObject(LPDIRECTXFILEDATA pDataObj) = 0;
  virtual HRESULT AddDataReference(LPCSTR szRef, const GUID* pguidRef) = 0;
  virtual HRESULT AddBinaryObject(LPCSTR szName, const GUID* pguid, LPCSTR szMimeType, LPVOID pvData,
                                  DWORD cbSize) = 0;
};

/* A reference to another data object of the same file, by name or id. */
struct IDirectXFileDataReference : IDirectXFileObject {
  /* *ppDataObj receives a new reference to the target, which may come before or after the
   * reference in the file; DXFILEERR_BADDATAREFERENCE when the file has no such object. */
  virtual HRESULT Resolve(LPDIRECTXFILEDATA* ppDataObj) = 0;
};

/* A block of raw bytes carried by a file. */
struct IDirectXFileBinary : IDirectXFileObject {
  virtual HRESULT GetSize(DWORD* pcbSize) = 0;
  /* *pszMimeType points into the object; valid while the object is referenced. */
  virtual HRESULT GetMimeType(LPCSTR* pszMimeType) = 0;
  /* Copies up to cbSize bytes from the current position and advances it. */
  virtual HRESULT Read(LPVOID pvData, DWORD cbSize, LPDWORD pcbRead) = 0;
};

/* Creates a reader with no templates registered; *lplpDirectXFile receives a new reference. */
HRESULT DirectXFileCreate(LPDIRECTXFILE* lplpDirectXFile);

/* Ids of the standard templates. */
#define ZENTU_TID(name, d1, d2, d3, b0, b1, b2, b3, b4, b5, b6, b7) \
  inline constexpr GUID name = {d1, d2, d3, {b0, b1, b2, b3, b4, b5, b6, b7}};
ZENTU_TID(TID_D3DRMInfo, 0x2B957100, 0x9E9A, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMHeader, 0x3D82AB43, 0x62DA, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMMesh, 0x3D82AB44, 0x62DA, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMFrame, 0x3D82AB46, 0x62DA, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMMaterial, 0x3D82AB4D, 0x62DA, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMAnimation, 0x3D82AB4F, 0x62DA, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMAnimationSet, 0x3D82AB50, 0x62DA, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMVector, 0x3D82AB5E, 0x62DA, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMMeshFace, 0x3D82AB5F, 0x62DA, 0x11CF, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMMeshTextureCoords, 0xF6F23F40, 0x7686, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94,
          0xA3)
ZENTU_TID(TID_D3DRMFrameTransformMatrix, 0xF6F23F41, 0x7686, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94,
          0xA3)
ZENTU_TID(TID_D3DRMMeshMaterialList, 0xF6F23F42, 0x7686, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94,
          0xA3)
ZENTU_TID(TID_D3DRMMeshNormals, 0xF6F23F43, 0x7686, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMCoords2d, 0xF6F23F44, 0x7686, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMMatrix4x4, 0xF6F23F45, 0x7686, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMAnimationKey, 0x10DD46A8, 0x775B, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMFloatKeys, 0x10DD46A9, 0x775B, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMColorRGBA, 0x35FF44E0, 0x6C7C, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMColorRGB, 0xD3E16E81, 0x7835, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMGuid, 0xA42790E0, 0x7810, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMTextureFilename, 0xA42790E1, 0x7810, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94,
          0xA3)
ZENTU_TID(TID_D3DRMIndexedColor, 0x1630B820, 0x7842, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMMeshVertexColors, 0x1630B821, 0x7842, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94,
          0xA3)
ZENTU_TID(TID_D3DRMMaterialWrap, 0x4885AE60, 0x78E8, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMBoolean2d, 0x4885AE63, 0x78E8, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMTimedFloatKeys, 0xF406B180, 0x7B3B, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3)
ZENTU_TID(TID_D3DRMAnimationOptions, 0xE2BF56C0, 0x840F, 0x11CF, 0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94,
          0xA3)
ZENTU_TID(TID_D3DRMBoolean, 0x537DA6A0, 0xCA37, 0x11D0, 0x94, 0x1C, 0x00, 0x80, 0xC8, 0x0C, 0xFA, 0x7B)
ZENTU_TID(TID_D3DRMMeshFaceWraps, 0xED1EC5C0, 0xC0A8, 0x11D0, 0x94, 0x1C, 0x00, 0x80, 0xC8, 0x0C, 0xFA, 0x7B)
ZENTU_TID(TID_D3DRMProgressiveMesh, 0x8A63C360, 0x997D, 0x11D0, 0x94, 0x1C, 0x00, 0x80, 0xC8, 0x0C, 0xFA,
          0x7B)
ZENTU_TID(TID_D3DRMInlineData, 0x3A23EEA0, 0x94B1, 0x11D0, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMUrl, 0x3A23EEA1, 0x94B1, 0x11D0, 0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33)
ZENTU_TID(TID_D3DRMExternalVisual, 0x98116AA0, 0xBDBA, 0x11D1, 0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71)
ZENTU_TID(TID_D3DRMStringProperty, 0x7F0F21E0, 0xBFE1, 0x11D1, 0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71)
ZENTU_TID(TID_D3DRMPropertyBag, 0x7F0F21E1, 0xBFE1, 0x11D1, 0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71)
ZENTU_TID(TID_D3DRMRightHanded, 0x7F5D5EA0, 0xD53A, 0x11D1, 0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71)

/* Ids of the skinning, duplication, vertex-format and progressive-mesh templates. */
ZENTU_TID(DXFILEOBJ_XSkinMeshHeader, 0x3CF169CE, 0xFF7C, 0x44AB, 0x93, 0xC0, 0xF7, 0x8F, 0x62, 0xD1, 0x72,
          0xE2)
ZENTU_TID(DXFILEOBJ_VertexDuplicationIndices, 0xB8D65549, 0xD7C9, 0x4995, 0x89, 0xCF, 0x53, 0xA9, 0xA8, 0xB0,
          0x31, 0xE3)
ZENTU_TID(DXFILEOBJ_FaceAdjacency, 0xA64C844A, 0xE282, 0x4756, 0x8B, 0x80, 0x25, 0x0C, 0xDE, 0x04, 0x39, 0x8C)
ZENTU_TID(DXFILEOBJ_SkinWeights, 0x6F0D123B, 0xBAD2, 0x4167, 0xA0, 0xD0, 0x80, 0x22, 0x4F, 0x25, 0xFA, 0xBB)
ZENTU_TID(DXFILEOBJ_Patch, 0xA3EB5D44, 0xFC22, 0x429D, 0x9A, 0xFB, 0x32, 0x21, 0xCB, 0x97, 0x19, 0xA6)
ZENTU_TID(DXFILEOBJ_PatchMesh, 0xD02C95CC, 0xEDBA, 0x4305, 0x9B, 0x5D, 0x18, 0x20, 0xD7, 0x70, 0x4B, 0xBF)
ZENTU_TID(DXFILEOBJ_FVFData, 0xB6E70A0E, 0x8EF9, 0x4E83, 0x94, 0xAD, 0xEC, 0xC8, 0xB0, 0xC0, 0x48, 0x97)
ZENTU_TID(DXFILEOBJ_PMAttributeRange, 0x917E0427, 0xC61E, 0x4A14, 0x9C, 0x64, 0xAF, 0xE6, 0x5F, 0x9E, 0x98,
          0x44)
ZENTU_TID(DXFILEOBJ_PMVSplitRecord, 0x574CCC14, 0xF0B3, 0x4333, 0x82, 0x2D, 0x93, 0xE8, 0xA8, 0xA0, 0x8E,
          0x4C)
ZENTU_TID(DXFILEOBJ_PMInfo, 0xB6C3E656, 0xEC8B, 0x4B92, 0x9B, 0x62, 0x68, 0x16, 0x59, 0x52, 0x29, 0x47)
#undef ZENTU_TID

#endif /* __cplusplus */

#endif /* ZENTU_DXFILE_H */
