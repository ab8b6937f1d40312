// The reader's interface objects: the reader with its registered templates, the enumerator of a
// parsed file, data objects and references. A parsed document is shared by every object handed out
// from it and lives until the last of them is released.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/xfile/xfile_internal.h"

namespace zentu::xfile {

namespace {

std::atomic<long> gLiveObjects{0};

template <typename Interface>
class Counted : public Interface {
 public:
  Counted() { countObject(1); }
  virtual ~Counted() { countObject(-1); }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  ULONG refs_ = 1;
};

using DocumentPtr = std::shared_ptr<const Document>;

HRESULT copyName(const std::string& name, LPSTR buffer, LPDWORD length) {
  if (!length) return DXFILEERR_BADVALUE;
  DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (buffer) {
    if (*length < needed) return DXFILEERR_BADVALUE;
    std::memcpy(buffer, name.c_str(), needed);
  }
  *length = needed;
  return S_OK;
}

class DataObject final : public Counted<IDirectXFileData> {
 public:
  DataObject(DocumentPtr doc, const DataNode* node) : doc_(std::move(doc)), node_(node) {}

  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectXFileObject || riid == IID_IDirectXFileData) {
      AddRef();
      *out = static_cast<IDirectXFileData*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT GetName(LPSTR buffer, LPDWORD length) override { return copyName(node_->name, buffer, length); }

  HRESULT GetId(LPGUID id) override {
    if (!id) return DXFILEERR_BADVALUE;
    *id = node_->hasId ? node_->id : GUID{};
    return S_OK;
  }

  HRESULT GetData(LPCSTR member, DWORD* size, void** data) override {
    if (!size || !data) return DXFILEERR_BADVALUE;
    auto* base = const_cast<uint8_t*>(node_->data.data());
    if (!member) {
      *size = static_cast<DWORD>(node_->data.size());
      *data = base;
      return S_OK;
    }
    const std::vector<Member>& members = node_->type->members;
    for (size_t i = 0; i < members.size() && i < node_->members.size(); ++i) {
      if (members[i].name == member) {
        *size = node_->members[i].size;
        *data = base + node_->members[i].offset;
        return S_OK;
      }
    }
    return DXFILEERR_NOTFOUND;
  }

  HRESULT GetType(const GUID** type) override {
    if (!type) return DXFILEERR_BADVALUE;
    *type = &node_->type->id;
    return S_OK;
  }

  HRESULT GetNextObject(LPDIRECTXFILEOBJECT* child) override;

  HRESULT AddDataObject(LPDIRECTXFILEDATA) override { return E_NOTIMPL; }
  HRESULT AddDataReference(LPCSTR, const GUID*) override { return E_NOTIMPL; }
  HRESULT AddBinaryObject(LPCSTR, const GUID*, LPCSTR, LPVOID, DWORD) override { return E_NOTIMPL; }

 private:
  DocumentPtr doc_;
  const DataNode* node_;
  size_t nextChild_ = 0;
};

class ReferenceObject final : public Counted<IDirectXFileDataReference> {
 public:
  ReferenceObject(DocumentPtr doc, const Child* child) : doc_(std::move(doc)), child_(child) {}

  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectXFileObject || riid == IID_IDirectXFileDataReference) {
      AddRef();
      *out = static_cast<IDirectXFileDataReference*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT GetName(LPSTR buffer, LPDWORD length) override { return copyName(child_->refName, buffer, length); }

  HRESULT GetId(LPGUID id) override {
    if (!id) return DXFILEERR_BADVALUE;
    *id = child_->refHasId ? child_->refId : GUID{};
    return S_OK;
  }

  HRESULT Resolve(LPDIRECTXFILEDATA* out) override {
    if (!out) return DXFILEERR_BADVALUE;
    *out = nullptr;
    const DataNode* target = nullptr;
    if (child_->refHasName) target = doc_->findByName(child_->refName);
    if (!target && child_->refHasId) target = doc_->findById(child_->refId);
    if (!target) return DXFILEERR_BADDATAREFERENCE;
    try {
      *out = new DataObject(doc_, target);
    } catch (const std::bad_alloc&) {
      return DXFILEERR_BADALLOC;
    }
    return S_OK;
  }

 private:
  DocumentPtr doc_;
  const Child* child_;
};

HRESULT DataObject::GetNextObject(LPDIRECTXFILEOBJECT* out) {
  if (!out) return DXFILEERR_BADVALUE;
  *out = nullptr;
  if (nextChild_ >= node_->children.size()) return DXFILEERR_NOMOREOBJECTS;
  const Child& child = node_->children[nextChild_];
  try {
    if (child.kind == Child::Kind::kData) {
      *out = new DataObject(doc_, child.data);
    } else {
      *out = new ReferenceObject(doc_, &child);
    }
  } catch (const std::bad_alloc&) {
    return DXFILEERR_BADALLOC;
  }
  ++nextChild_;
  return S_OK;
}

class EnumObject final : public Counted<IDirectXFileEnumObject> {
 public:
  explicit EnumObject(DocumentPtr doc) : doc_(std::move(doc)) {}

  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectXFileEnumObject) {
      AddRef();
      *out = static_cast<IDirectXFileEnumObject*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT GetNextDataObject(LPDIRECTXFILEDATA* out) override {
    if (!out) return DXFILEERR_BADVALUE;
    *out = nullptr;
    if (next_ >= doc_->topLevel.size()) return DXFILEERR_NOMOREOBJECTS;
    HRESULT hr = hand(doc_->topLevel[next_], out);
    if (SUCCEEDED(hr)) ++next_;
    return hr;
  }

  HRESULT GetDataObjectById(REFGUID id, LPDIRECTXFILEDATA* out) override {
    if (!out) return DXFILEERR_BADVALUE;
    *out = nullptr;
    const DataNode* node = doc_->findById(id);
    return node ? hand(node, out) : DXFILEERR_NOTFOUND;
  }

  HRESULT GetDataObjectByName(LPCSTR name, LPDIRECTXFILEDATA* out) override {
    if (!out || !name) return DXFILEERR_BADVALUE;
    *out = nullptr;
    const DataNode* node = doc_->findByName(name);
    return node ? hand(node, out) : DXFILEERR_NOTFOUND;
  }

 private:
  HRESULT hand(const DataNode* node, LPDIRECTXFILEDATA* out) {
    try {
      *out = new DataObject(doc_, node);
    } catch (const std::bad_alloc&) {
      return DXFILEERR_BADALLOC;
    }
    return S_OK;
  }

  DocumentPtr doc_;
  size_t next_ = 0;
};

// One allocation of the size the file says it has, then read on until the end, for files that grow
// or report no size (pipes).
HRESULT readFile(const char* name, std::vector<uint8_t>* bytes) {
  int fd = ::open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return DXFILEERR_FILENOTFOUND;
  struct stat st {};
  size_t expected = 0;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    expected = static_cast<size_t>(st.st_size);
  HRESULT hr = S_OK;
  size_t used = 0;
  bytes->resize(expected + 1);
  for (;;) {
    if (used == bytes->size()) bytes->resize(bytes->size() * 2);
    ssize_t got = ::read(fd, bytes->data() + used, bytes->size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      hr = DXFILEERR_BADFILE;
      break;
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  ::close(fd);
  bytes->resize(used);
  return hr;
}

class FileObject final : public Counted<IDirectXFile> {
 public:
  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectXFile) {
      AddRef();
      *out = static_cast<IDirectXFile*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT CreateEnumObject(LPVOID source, DXFILELOADOPTIONS options, LPDIRECTXFILEENUMOBJECT* out) override {
    if (!out) return DXFILEERR_BADVALUE;
    *out = nullptr;
    if (!source) return DXFILEERR_BADVALUE;
    try {
      std::vector<uint8_t> fileBytes;
      const uint8_t* data = nullptr;
      size_t size = 0;
      switch (options & 0x0F) {
        case DXFILELOAD_FROMFILE: {
          HRESULT hr = readFile(static_cast<const char*>(source), &fileBytes);
          if (FAILED(hr)) return hr;
          data = fileBytes.data();
          size = fileBytes.size();
          break;
        }
        case DXFILELOAD_FROMMEMORY: {
          const auto* memory = static_cast<const DXFILELOADMEMORY*>(source);
          if (!memory->lpMemory && memory->dSize > 0) return DXFILEERR_BADVALUE;
          data = static_cast<const uint8_t*>(memory->lpMemory);
          size = memory->dSize;
          break;
        }
        case DXFILELOAD_FROMRESOURCE:
          return DXFILEERR_RESOURCENOTFOUND;
        case DXFILELOAD_FROMURL:
          return DXFILEERR_URLNOTFOUND;
        case DXFILELOAD_FROMSTREAM:
          return DXFILEERR_BADSTREAMHANDLE;
        default:
          return DXFILEERR_BADVALUE;
      }
      auto doc = std::make_shared<Document>();
      doc->templates = templates_;
      HRESULT hr = parseFile(data, size, doc.get(), false);
      if (FAILED(hr)) return hr;
      *out = new EnumObject(std::move(doc));
      return S_OK;
    } catch (const std::bad_alloc&) {
      return DXFILEERR_BADALLOC;
    }
  }

  HRESULT CreateSaveObject(LPCSTR, DXFILEFORMAT, LPDIRECTXFILESAVEOBJECT* out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

  HRESULT RegisterTemplates(LPVOID data, DWORD size) override {
    if (!data) return DXFILEERR_BADVALUE;
    try {
      // Parse into a scratch document first so a failing set leaves the registry as it was.
      Document doc;
      doc.templates = templates_;
      HRESULT hr = parseFile(static_cast<const uint8_t*>(data), size, &doc, true);
      if (FAILED(hr)) return hr;
      templates_ = std::move(doc.templates);
      return S_OK;
    } catch (const std::bad_alloc&) {
      return DXFILEERR_BADALLOC;
    }
  }

 private:
  TemplateRegistry templates_;
};

}  // namespace

long liveObjects() {
  return gLiveObjects.load();
}
void countObject(int delta) {
  gLiveObjects += delta;
}

}  // namespace zentu::xfile

HRESULT DirectXFileCreate(LPDIRECTXFILE* out) {
  if (!out) return DXFILEERR_BADVALUE;
  *out = nullptr;
  try {
    *out = new zentu::xfile::FileObject();
  } catch (const std::bad_alloc&) {
    return DXFILEERR_BADALLOC;
  }
  return S_OK;
}
