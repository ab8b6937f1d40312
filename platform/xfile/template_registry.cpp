// Template definitions: parsing one from text or binary tokens, and the registry that holds them by
// name. Member types that name other templates are looked up when data are read, so a file may
// define its templates in any order.
#include "platform/xfile/xfile_internal.h"

namespace zentu::xfile {

size_t primitiveSize(Primitive p) {
  switch (p) {
    case Primitive::kWord:
    case Primitive::kSword:
      return 2;
    case Primitive::kDword:
    case Primitive::kSdword:
    case Primitive::kFloat:
      return 4;
    case Primitive::kDouble:
      return 8;
    case Primitive::kChar:
    case Primitive::kUchar:
      return 1;
    case Primitive::kString:
      return sizeof(char*);
    case Primitive::kNone:
      return 0;
  }
  return 0;
}

void TemplateRegistry::add(std::shared_ptr<const Template> t) {
  std::string name = t->name;
  byName_[std::move(name)] = std::move(t);
}

const Template* TemplateRegistry::find(const std::string& name) const {
  auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second.get();
}

const Template* TemplateRegistry::find(const char* name, size_t length) const {
  return find(std::string(name, length));
}

namespace {

Primitive primitiveOf(Tok kind) {
  switch (kind) {
    case Tok::kWord:
      return Primitive::kWord;
    case Tok::kDword:
      return Primitive::kDword;
    case Tok::kFloatType:
      return Primitive::kFloat;
    case Tok::kDouble:
      return Primitive::kDouble;
    case Tok::kChar:
      return Primitive::kChar;
    case Tok::kUchar:
      return Primitive::kUchar;
    case Tok::kSword:
      return Primitive::kSword;
    case Tok::kSdword:
      return Primitive::kSdword;
    case Tok::kLpstr:
    case Tok::kUnicode:
    case Tok::kCstring:
      return Primitive::kString;
    default:
      return Primitive::kNone;
  }
}

bool isCountType(Primitive p) {
  return p == Primitive::kWord || p == Primitive::kDword || p == Primitive::kSword ||
         p == Primitive::kSdword || p == Primitive::kChar || p == Primitive::kUchar;
}

#define XF_TRY(expr)             \
  do {                           \
    HRESULT hr_ = (expr);        \
    if (FAILED(hr_)) return hr_; \
  } while (0)

HRESULT expect(TokenSource& tokens, Tok kind) {
  Token t;
  XF_TRY(tokens.take(&t));
  return t.kind == kind ? S_OK : DXFILEERR_PARSEERROR;
}

// Skips an optional semicolon after a member.
HRESULT optionalSemicolon(TokenSource& tokens) {
  Token t;
  XF_TRY(tokens.peek(&t));
  if (t.kind == Tok::kSemicolon) tokens.take(&t);
  return S_OK;
}

HRESULT parseType(TokenSource& tokens, Member* m) {
  Token t;
  XF_TRY(tokens.take(&t));
  if (t.kind == Tok::kName) {
    m->typeName.assign(t.text, t.length);
    return S_OK;
  }
  m->primitive = primitiveOf(t.kind);
  return m->primitive == Primitive::kNone ? DXFILEERR_PARSEERROR : S_OK;
}

HRESULT parseMember(TokenSource& tokens, Template* tpl, bool isArray) {
  Member m;
  XF_TRY(parseType(tokens, &m));
  Token t;
  XF_TRY(tokens.peek(&t));
  if (t.kind == Tok::kName) {
    tokens.take(&t);
    m.name.assign(t.text, t.length);
  } else if (isArray) {
    return DXFILEERR_PARSEERROR;
  }
  if (isArray) {
    for (;;) {
      XF_TRY(tokens.peek(&t));
      if (t.kind != Tok::kOBracket) break;
      tokens.take(&t);
      XF_TRY(tokens.take(&t));
      ArrayDim dim;
      if (t.kind == Tok::kInteger) {
        if (t.integer < 0 || t.integer > 0xFFFFFFFF) return DXFILEERR_BADARRAYSIZE;
        dim.literal = static_cast<uint32_t>(t.integer);
      } else if (t.kind == Tok::kName) {
        std::string countName(t.text, t.length);
        for (size_t i = 0; i < tpl->members.size(); ++i) {
          const Member& earlier = tpl->members[i];
          if (earlier.name == countName && earlier.dims.empty() && isCountType(earlier.primitive))
            dim.memberIndex = static_cast<int>(i);
        }
        if (dim.memberIndex < 0) return DXFILEERR_BADARRAYSIZE;
      } else {
        return DXFILEERR_PARSEERROR;
      }
      m.dims.push_back(dim);
      XF_TRY(expect(tokens, Tok::kCBracket));
    }
    if (m.dims.empty()) return DXFILEERR_PARSEERROR;
  }
  XF_TRY(optionalSemicolon(tokens));
  tpl->members.push_back(std::move(m));
  return S_OK;
}

// After '[': "...]" or a list of template names, each with an optional GUID.
HRESULT parseOptions(TokenSource& tokens, Template* tpl) {
  Token t;
  XF_TRY(tokens.take(&t));
  if (t.kind == Tok::kDot) {
    XF_TRY(expect(tokens, Tok::kDot));
    XF_TRY(expect(tokens, Tok::kDot));
    XF_TRY(expect(tokens, Tok::kCBracket));
    tpl->openness = Openness::kOpen;
    return S_OK;
  }
  tpl->openness = Openness::kRestricted;
  for (;;) {
    if (t.kind != Tok::kName) return DXFILEERR_PARSEERROR;
    Restriction r;
    r.name.assign(t.text, t.length);
    XF_TRY(tokens.take(&t));
    if (t.kind == Tok::kGuid) {
      r.id = t.guid;
      r.hasId = true;
      XF_TRY(tokens.take(&t));
    }
    tpl->restrictions.push_back(std::move(r));
    if (t.kind == Tok::kComma) XF_TRY(tokens.take(&t));
    if (t.kind == Tok::kCBracket) return S_OK;
  }
}

}  // namespace

HRESULT parseTemplate(TokenSource& tokens, std::shared_ptr<const Template>* out) {
  auto tpl = std::make_shared<Template>();
  Token t;
  XF_TRY(tokens.take(&t));
  if (t.kind != Tok::kName) return DXFILEERR_PARSEERROR;
  tpl->name.assign(t.text, t.length);
  XF_TRY(expect(tokens, Tok::kOBrace));
  XF_TRY(tokens.peek(&t));
  if (t.kind == Tok::kGuid) {
    tokens.take(&t);
    tpl->id = t.guid;
  }
  for (;;) {
    XF_TRY(tokens.take(&t));
    if (t.kind == Tok::kCBrace) break;
    if (t.kind == Tok::kOBracket) {
      XF_TRY(parseOptions(tokens, tpl.get()));
      XF_TRY(optionalSemicolon(tokens));
      XF_TRY(expect(tokens, Tok::kCBrace));
      break;
    }
    if (t.kind == Tok::kArray) {
      XF_TRY(parseMember(tokens, tpl.get(), true));
      continue;
    }
    if (t.kind != Tok::kName && primitiveOf(t.kind) == Primitive::kNone) return DXFILEERR_PARSEERROR;
    // A scalar member: its type, then an optional name.
    Member m;
    if (t.kind == Tok::kName) {
      m.typeName.assign(t.text, t.length);
    } else {
      m.primitive = primitiveOf(t.kind);
    }
    XF_TRY(tokens.peek(&t));
    if (t.kind == Tok::kName) {
      tokens.take(&t);
      m.name.assign(t.text, t.length);
    }
    XF_TRY(optionalSemicolon(tokens));
    tpl->members.push_back(std::move(m));
  }
  *out = std::move(tpl);
  return S_OK;
}

}  // namespace zentu::xfile
