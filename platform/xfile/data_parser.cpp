// Data objects of a .x file: each template instance packed into the GetData layout, its children
// in file order, its references kept by name or GUID for later resolution. Separators between
// values are skipped wherever they stand, as exporters leave them missing, doubled or trailing.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "platform/xfile/xfile_internal.h"

namespace zentu::xfile {

#define XF_TRY(expr)             \
  do {                           \
    HRESULT hr_ = (expr);        \
    if (FAILED(hr_)) return hr_; \
  } while (0)

const DataNode* Document::findById(const GUID& id) const {
  for (const DataNode& n : nodes)
    if (n.hasId && n.id == id) return &n;
  return nullptr;
}

const DataNode* Document::findByName(const std::string& name) const {
  auto it = byName.find(name);
  return it == byName.end() ? nullptr : it->second;
}

namespace {

// Room for `bytes` more, grown geometrically so that many short arrays stay linear.
void makeRoom(std::vector<uint8_t>& out, size_t bytes) {
  size_t need = out.size() + bytes;
  if (need > out.capacity()) out.reserve(std::max(need, out.capacity() * 2));
}

template <typename T>
void put(uint8_t* dst, T value) {
  std::memcpy(dst, &value, sizeof(T));
}

bool isName(const Token& t) {
  return t.kind == Tok::kName;
}

class Parser {
 public:
  Parser(TokenSource& tokens, Document* doc)
      : tokens_(tokens), doc_(doc), budget_(tokens.bytesLeft() * 16 + 4096) {}

  HRESULT objects(bool templatesOnly) {
    Token t;
    for (;;) {
      XF_TRY(tokens_.take(&t));
      switch (t.kind) {
        case Tok::kEnd:
          return S_OK;
        case Tok::kComma:
        case Tok::kSemicolon:
          continue;
        case Tok::kTemplate: {
          std::shared_ptr<const Template> tpl;
          XF_TRY(parseTemplate(tokens_, &tpl));
          doc_->templates.add(std::move(tpl));
          continue;
        }
        case Tok::kName: {
          if (templatesOnly) return DXFILEERR_PARSEERROR;
          DataNode* node = nullptr;
          XF_TRY(dataObject(t, 1, &node));
          doc_->topLevel.push_back(node);
          continue;
        }
        default:
          return DXFILEERR_PARSEERROR;
      }
    }
  }

 private:
  // `typeToken` names the template; the object's optional name, GUID and body follow.
  HRESULT dataObject(const Token& typeToken, int depth, DataNode** out) {
    if (depth > kMaxDepth) return DXFILEERR_PARSEERROR;
    const Template* type = doc_->templates.find(typeToken.text, typeToken.length);
    if (!type) return DXFILEERR_NOTEMPLATE;
    DataNode& node = doc_->nodes.emplace_back();
    node.type = type;
    Token t;
    XF_TRY(tokens_.take(&t));
    // A name may happen to be spelled like a keyword of the text encoding.
    if (isName(t) || (t.kind >= Tok::kTemplate && t.text)) {
      node.name.assign(t.text, t.length);
      XF_TRY(tokens_.take(&t));
    }
    if (t.kind == Tok::kGuid) {
      node.id = t.guid;
      node.hasId = true;
      XF_TRY(tokens_.take(&t));
    }
    if (t.kind != Tok::kOBrace) return DXFILEERR_PARSEERROR;
    XF_TRY(tokens_.peek(&t));
    if (t.kind == Tok::kGuid) {
      tokens_.take(&t);
      node.id = t.guid;
      node.hasId = true;
    }
    XF_TRY(body(*type, depth, node.data, &node.members));
    if (!node.name.empty()) doc_->byName.emplace(node.name, &node);
    XF_TRY(children(node, depth));
    *out = &node;
    return S_OK;
  }

  HRESULT children(DataNode& node, int depth) {
    Token t;
    for (;;) {
      XF_TRY(tokens_.take(&t));
      switch (t.kind) {
        case Tok::kCBrace:
          return S_OK;
        case Tok::kComma:
        case Tok::kSemicolon:
          continue;
        case Tok::kOBrace: {
          Child c;
          c.kind = Child::Kind::kReference;
          XF_TRY(tokens_.take(&t));
          if (isName(t)) {
            c.refName.assign(t.text, t.length);
            c.refHasName = true;
            XF_TRY(tokens_.take(&t));
          }
          if (t.kind == Tok::kGuid) {
            c.refId = t.guid;
            c.refHasId = true;
            XF_TRY(tokens_.take(&t));
          }
          if (t.kind != Tok::kCBrace || (!c.refHasName && !c.refHasId)) return DXFILEERR_PARSEERROR;
          node.children.push_back(std::move(c));
          continue;
        }
        case Tok::kName: {
          DataNode* child = nullptr;
          XF_TRY(dataObject(t, depth + 1, &child));
          if (!allows(*node.type, *child->type)) return DXFILEERR_BADOBJECT;
          Child c;
          c.data = child;
          node.children.push_back(std::move(c));
          continue;
        }
        case Tok::kEnd:
          return DXFILEERR_PARSEERROR;
        default:
          return DXFILEERR_PARSEERROR;
      }
    }
  }

  static bool allows(const Template& parent, const Template& child) {
    if (parent.openness == Openness::kOpen) return true;
    if (parent.openness == Openness::kClosed) return false;
    for (const Restriction& r : parent.restrictions)
      if (r.name == child.name || (r.hasId && r.id == child.id)) return true;
    return false;
  }

  // Every template body and value costs one unit; a file may spend a fixed multiple of its size,
  // which legal files never reach and nested empty templates in long fixed arrays do.
  bool spend() {
    if (budget_ == 0) return false;
    --budget_;
    return true;
  }

  // The members of `type`, appended to `out`. `spans` (top level only) receives each member's place.
  HRESULT body(const Template& type, int depth, std::vector<uint8_t>& out, std::vector<MemberSpan>* spans) {
    if (depth > kMaxDepth || !spend()) return DXFILEERR_PARSEERROR;
    constexpr size_t kInline = 16;
    int64_t inlineValues[kInline];
    std::vector<int64_t> moreValues;
    int64_t* values = inlineValues;
    if (type.members.size() > kInline) {
      moreValues.resize(type.members.size());
      values = moreValues.data();
    }
    if (spans) spans->reserve(type.members.size());
    for (size_t i = 0; i < type.members.size(); ++i) {
      const Member& m = type.members[i];
      size_t start = out.size();
      values[i] = -1;
      const Template* sub = nullptr;
      if (m.primitive == Primitive::kNone) {
        sub = doc_->templates.find(m.typeName);
        if (!sub) return DXFILEERR_NOTEMPLATE;
      }
      if (m.dims.empty()) {
        if (sub) {
          XF_TRY(body(*sub, depth + 1, out, nullptr));
        } else {
          XF_TRY(value(m.primitive, out, &values[i]));
        }
      } else {
        uint64_t count = 1;
        for (const ArrayDim& d : m.dims) {
          int64_t n = d.memberIndex < 0 ? d.literal : values[d.memberIndex];
          if (n < 0 || n > 0xFFFFFFFF) return DXFILEERR_BADARRAYSIZE;
          count *= static_cast<uint64_t>(n);
          if (count > 0xFFFFFFFF) return DXFILEERR_BADARRAYSIZE;
        }
        XF_TRY(checkCount(count, sub, depth));
        XF_TRY(array(m.primitive, sub, count, depth, out));
      }
      if (spans) {
        if (out.size() > 0xFFFFFFFF) return DXFILEERR_BADVALUE;
        spans->push_back({static_cast<uint32_t>(start), static_cast<uint32_t>(out.size() - start)});
      }
    }
    return S_OK;
  }

  // `count` elements of a primitive or of `sub`, its count already checked against the input.
  HRESULT array(Primitive p, const Template* sub, uint64_t count, int depth, std::vector<uint8_t>& out) {
    uint64_t perElement = 1;
    uint64_t cost = count;
    if (sub) {
      // An element template of like scalar members packs as that many values one after another.
      if (depth + 1 <= kMaxDepth && countedList(*sub, &p)) {
        // As body() would read each element: its count, then that many values.
        for (uint64_t k = 0; k < count; ++k) {
          if (!spend()) return DXFILEERR_PARSEERROR;
          int64_t n = 0;
          XF_TRY(value(Primitive::kDword, out, &n));
          XF_TRY(checkCount(static_cast<uint64_t>(n), nullptr, depth + 1));
          XF_TRY(array(p, nullptr, static_cast<uint64_t>(n), depth + 1, out));
        }
        return S_OK;
      }
      if (depth + 1 > kMaxDepth || !flatMembers(*sub, &p, &perElement)) {
        for (uint64_t k = 0; k < count; ++k) XF_TRY(body(*sub, depth + 1, out, nullptr));
        return S_OK;
      }
      cost = count * (perElement + 1);
    }
    uint64_t values = count * perElement;
    if (cost > budget_) {
      // Spend value by value so that the budget runs out where it would.
      int64_t ignored;
      for (uint64_t k = 0; k < count; ++k) {
        if (sub && !spend()) return DXFILEERR_PARSEERROR;
        for (uint64_t j = 0; j < perElement; ++j) XF_TRY(value(p, out, &ignored));
      }
      return S_OK;
    }
    budget_ -= static_cast<size_t>(cost);
    size_t width = primitiveSize(p);
    size_t at = out.size();
    makeRoom(out, static_cast<size_t>(values) * width);
    out.resize(at + static_cast<size_t>(values) * width);
    uint8_t* dst = out.data() + at;
    for (uint64_t k = 0; k < values;) {
      size_t raw = tokens_.takeRaw(p, static_cast<size_t>(values - k), dst);
      if (raw > 0) {
        k += raw;
        dst += raw * width;
        continue;
      }
      int64_t ignored;
      XF_TRY(valueAt(p, dst, &ignored));
      dst += width;
      ++k;
    }
    return S_OK;
  }

  // True for a DWORD count followed by an array of primitives of that length (MeshFace and kin).
  static bool countedList(const Template& type, Primitive* p) {
    if (type.members.size() != 2) return false;
    const Member& n = type.members[0];
    const Member& list = type.members[1];
    if (n.primitive != Primitive::kDword || !n.dims.empty()) return false;
    if (list.primitive == Primitive::kNone || list.dims.size() != 1 || list.dims[0].memberIndex != 0)
      return false;
    *p = list.primitive;
    return true;
  }

  // True when every member of `type` is a scalar of one primitive kind (Vector, Coords2d, ...).
  static bool flatMembers(const Template& type, Primitive* p, uint64_t* count) {
    if (type.members.empty()) return false;
    Primitive first = type.members[0].primitive;
    if (first == Primitive::kNone) return false;
    for (const Member& m : type.members)
      if (m.primitive != first || !m.dims.empty()) return false;
    *p = first;
    *count = type.members.size();
    return true;
  }

  // An array may hold no more elements than the bytes left can carry.
  HRESULT checkCount(uint64_t count, const Template* element, int depth) {
    uint64_t perElement = element ? minValues(*element, depth + 1) : 1;
    uint64_t left = tokens_.bytesLeft();
    if (perElement == 0) return count <= left ? S_OK : DXFILEERR_BADARRAYSIZE;
    uint64_t bytes = perElement * tokens_.minBytesPerValue();
    return count <= left / bytes ? S_OK : DXFILEERR_BADARRAYSIZE;
  }

  // The fewest primitive values an instance of `type` holds (arrays sized by members count 0).
  uint64_t minValues(const Template& type, int depth) {
    auto cached = minValues_.find(&type);
    if (cached != minValues_.end()) return cached->second;
    constexpr uint64_t kCap = uint64_t{1} << 32;
    uint64_t total = 0;
    if (depth <= kMaxDepth) {
      for (const Member& m : type.members) {
        uint64_t each = 1;
        if (m.primitive == Primitive::kNone) {
          const Template* sub = doc_->templates.find(m.typeName);
          each = sub ? minValues(*sub, depth + 1) : 0;
        }
        uint64_t count = 1;
        for (const ArrayDim& d : m.dims) count = d.memberIndex < 0 ? std::min(count * d.literal, kCap) : 0;
        total = std::min(total + std::min(each * count, kCap), kCap);
      }
    }
    minValues_.emplace(&type, total);
    return total;
  }

  HRESULT nextValue(Token* t) {
    for (;;) {
      XF_TRY(tokens_.take(t));
      if (t->kind != Tok::kComma && t->kind != Tok::kSemicolon) return S_OK;
    }
  }

  HRESULT integer(int64_t low, int64_t high, int64_t* out) {
    Token t;
    XF_TRY(nextValue(&t));
    if (t.kind != Tok::kInteger) return DXFILEERR_PARSEERROR;
    if (t.integer < low || t.integer > high) return DXFILEERR_BADVALUE;
    *out = t.integer;
    return S_OK;
  }

  template <typename T>
  HRESULT real(T* out) {
    Token t;
    XF_TRY(nextValue(&t));
    if (t.kind == Tok::kInteger) {
      *out = static_cast<T>(t.integer);
    } else if (t.kind != Tok::kFloat) {
      return DXFILEERR_PARSEERROR;
    } else if (t.realIsText) {
      if (shortDecimal(t.text, t.length, out)) return S_OK;
      auto r = std::from_chars(t.text, t.text + t.length, *out);
      if (r.ec == std::errc::result_out_of_range) {
        *out = t.text[0] == '-' ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
      } else if (r.ec != std::errc() || r.ptr != t.text + t.length) {
        return DXFILEERR_PARSEERROR;
      }
    } else {
      *out = static_cast<T>(t.real);
    }
    return S_OK;
  }

  HRESULT value(Primitive p, std::vector<uint8_t>& out, int64_t* scalar) {
    if (!spend()) return DXFILEERR_PARSEERROR;
    uint8_t bytes[8];
    if ((p == Primitive::kDword || p == Primitive::kFloat) && tokens_.takeRaw(p, 1, bytes) == 1) {
      uint32_t u;
      std::memcpy(&u, bytes, 4);
      *scalar = p == Primitive::kDword ? u : 0;
      out.insert(out.end(), bytes, bytes + 4);
      return S_OK;
    }
    XF_TRY(valueAt(p, bytes, scalar));
    out.insert(out.end(), bytes, bytes + primitiveSize(p));
    return S_OK;
  }

  // One value of `p` written to `dst`, which has room for it.
  HRESULT valueAt(Primitive p, uint8_t* dst, int64_t* scalar) {
    int64_t v = 0;
    switch (p) {
      case Primitive::kWord:
      case Primitive::kSword:
        XF_TRY(integer(-0x8000, 0xFFFF, &v));
        put(dst, static_cast<uint16_t>(v));
        break;
      case Primitive::kDword:
      case Primitive::kSdword:
        // Negative values are kept as their 32-bit pattern (exporters write -1 for "none").
        XF_TRY(integer(-0x80000000LL, 0xFFFFFFFFLL, &v));
        put(dst, static_cast<uint32_t>(v));
        if (p == Primitive::kDword) v = static_cast<uint32_t>(v);
        break;
      case Primitive::kChar:
      case Primitive::kUchar:
        XF_TRY(integer(-0x80, 0xFF, &v));
        put(dst, static_cast<uint8_t>(v));
        break;
      case Primitive::kFloat: {
        float f;
        XF_TRY(real(&f));
        put(dst, f);
        break;
      }
      case Primitive::kDouble: {
        double d;
        XF_TRY(real(&d));
        put(dst, d);
        break;
      }
      case Primitive::kString: {
        Token t;
        XF_TRY(nextValue(&t));
        if (t.kind != Tok::kString) return DXFILEERR_PARSEERROR;
        const char* text = doc_->strings.emplace_back(t.text, t.length).c_str();
        put(dst, text);
        break;
      }
      case Primitive::kNone:
        return DXFILEERR_BADTYPE;
    }
    *scalar = v;
    return S_OK;
  }

  TokenSource& tokens_;
  Document* doc_;
  size_t budget_;
  std::unordered_map<const Template*, uint64_t> minValues_;
};

}  // namespace

HRESULT parseObjects(TokenSource& tokens, Document* doc, bool templatesOnly) {
  Parser parser(tokens, doc);
  return parser.objects(templatesOnly);
}

HRESULT parseFile(const uint8_t* data, size_t size, Document* doc, bool templatesOnly) {
  FormatHeader header;
  XF_TRY(parseHeader(data, size, &header));
  const uint8_t* body = data + kHeaderSize;
  size_t bodySize = size - kHeaderSize;
  std::vector<uint8_t> inflated;
  if (header.compressed) {
    XF_TRY(inflateMsZip(body, bodySize, &inflated));
    body = inflated.data();
    bodySize = inflated.size();
  }
  std::unique_ptr<TokenSource> tokens = header.encoding == Encoding::kText
                                            ? makeTextTokens(body, bodySize)
                                            : makeBinaryTokens(body, bodySize, header.floatBits);
  return parseObjects(*tokens, doc, templatesOnly);
}

}  // namespace zentu::xfile
