// What the files of the .x reader share: the format header, tokens and their sources, templates and
// their registry, and the parsed document that the interface objects hand out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "zentu/dxfile.h"

namespace zentu::xfile {

// Limits on outside data.
inline constexpr int kMaxDepth = 64;
inline constexpr size_t kMaxNameLength = 1024;
inline constexpr size_t kMaxStringLength = 64 * 1024;
inline constexpr size_t kMaxInflatedSize = size_t{1} << 30;

// ---- Format header ----

enum class Encoding { kText, kBinary };

struct FormatHeader {
  Encoding encoding = Encoding::kText;
  bool compressed = false;
  int floatBits = 32;
};

inline constexpr size_t kHeaderSize = 16;

// Reads the 16-byte header ("xof 0303txt 0032" and its kin).
HRESULT parseHeader(const uint8_t* data, size_t size, FormatHeader* header);

// Inflates the MSZIP blocks that follow a compressed header; `data` starts right after the header.
HRESULT inflateMsZip(const uint8_t* data, size_t size, std::vector<uint8_t>* out);

// ---- Tokens ----

enum class Tok : uint8_t {
  kEnd,
  kName,
  kString,
  kInteger,
  kFloat,
  kGuid,
  kOBrace,
  kCBrace,
  kOParen,
  kCParen,
  kOBracket,
  kCBracket,
  kOAngle,
  kCAngle,
  kDot,
  kComma,
  kSemicolon,
  kTemplate,
  kArray,
  kWord,
  kDword,
  kFloatType,
  kDouble,
  kChar,
  kUchar,
  kSword,
  kSdword,
  kVoid,
  kLpstr,
  kUnicode,
  kCstring,
};

enum class Primitive : uint8_t {
  kNone,
  kWord,
  kDword,
  kFloat,
  kDouble,
  kChar,
  kUchar,
  kSword,
  kSdword,
  kString
};

// A decimal of few digits and no exponent, converted exactly as from_chars would: mantissa and
// power of ten are both exact in T, so one division rounds correctly. False: take the slow path.
template <typename T>
inline bool shortDecimal(const char* text, size_t length, T* out) {
  constexpr bool isFloat = sizeof(T) == 4;
  constexpr uint64_t kMaxMantissa = isFloat ? uint64_t{1} << 24 : uint64_t{1} << 53;
  constexpr int kMaxScale = isFloat ? 10 : 22;
  constexpr size_t kMaxDigits = 19;
  static constexpr T kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = text;
  const char* end = text + length;
  bool negative = p < end && *p == '-';
  if (negative) ++p;
  uint64_t mantissa = 0;
  size_t digits = 0;
  int scale = 0;
  bool dot = false;
  for (; p < end; ++p) {
    char c = *p;
    if (c >= '0' && c <= '9') {
      if (++digits > kMaxDigits) return false;
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      if (dot) ++scale;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      return false;
    }
  }
  if (digits == 0 || mantissa > kMaxMantissa || scale > kMaxScale) return false;
  T v = static_cast<T>(mantissa) / kPow10[scale];
  *out = negative ? -v : v;
  return true;
}

struct Token {
  Tok kind = Tok::kEnd;
  // kName, kString: the bytes (not terminated). kFloat from text: the number's text.
  const char* text = nullptr;
  size_t length = 0;
  // kInteger: the value as written, sign included.
  int64_t integer = 0;
  // kFloat from binary data (text floats are converted from `text` at the precision asked for).
  double real = 0.0;
  bool realIsText = false;
  GUID guid{};
};

// A stream of tokens from text or binary data. Binary integer and float lists come out one value
// at a time. `bytesLeft` bounds what any array can still hold.
class TokenSource {
 public:
  virtual ~TokenSource() = default;
  // S_OK with a token (kEnd at the end), or a reader error for malformed input.
  virtual HRESULT next(Token* token) = 0;
  virtual size_t bytesLeft() const = 0;
  // The fewest input bytes one primitive value takes.
  virtual size_t minBytesPerValue() const = 0;

  HRESULT peek(Token* token);
  HRESULT take(Token* token);

  // Copies up to `count` values of `p` straight from a binary list that holds them in the GetData
  // layout already (32-bit integers for DWORD, floats of the same width); returns how many.
  size_t takeRaw(Primitive p, size_t count, uint8_t* out) {
    return hasPeeked_ ? 0 : rawValues(p, count, out);
  }

 protected:
  virtual size_t rawValues(Primitive, size_t, uint8_t*) { return 0; }

 private:
  Token peeked_;
  bool hasPeeked_ = false;
};

std::unique_ptr<TokenSource> makeTextTokens(const uint8_t* data, size_t size);
std::unique_ptr<TokenSource> makeBinaryTokens(const uint8_t* data, size_t size, int floatBits);

// ---- Templates ----

// Bytes a primitive takes in GetData.
size_t primitiveSize(Primitive p);

struct ArrayDim {
  uint32_t literal = 0;
  int memberIndex = -1;  // index of an earlier member holding the count, or -1 for a literal
};

struct Member {
  Primitive primitive = Primitive::kNone;  // kNone: a template named `typeName`
  std::string typeName;
  std::string name;
  std::vector<ArrayDim> dims;  // empty: not an array
};

struct Restriction {
  std::string name;
  GUID id{};
  bool hasId = false;
};

enum class Openness { kClosed, kOpen, kRestricted };

struct Template {
  std::string name;
  GUID id{};
  std::vector<Member> members;
  Openness openness = Openness::kClosed;
  std::vector<Restriction> restrictions;
};

// Templates by name. Copies share the (immutable) templates.
class TemplateRegistry {
 public:
  void add(std::shared_ptr<const Template> t);
  const Template* find(const std::string& name) const;
  const Template* find(const char* name, size_t length) const;
  size_t size() const { return byName_.size(); }

 private:
  std::unordered_map<std::string, std::shared_ptr<const Template>> byName_;
};

// Parses one template definition after its `template` keyword.
HRESULT parseTemplate(TokenSource& tokens, std::shared_ptr<const Template>* out);

// ---- Parsed documents ----

struct DataNode;

struct MemberSpan {
  uint32_t offset = 0;
  uint32_t size = 0;
};

struct Child {
  enum class Kind : uint8_t { kData, kReference };
  Kind kind = Kind::kData;
  DataNode* data = nullptr;  // kData
  std::string refName;       // kReference
  GUID refId{};
  bool refHasName = false;
  bool refHasId = false;
};

struct DataNode {
  const Template* type = nullptr;
  std::string name;
  GUID id{};
  bool hasId = false;
  std::vector<uint8_t> data;
  std::vector<MemberSpan> members;
  std::vector<Child> children;
};

// One parsed file: its templates, its objects, the strings its data point to.
struct Document {
  TemplateRegistry templates;
  std::deque<DataNode> nodes;
  std::deque<std::string> strings;
  std::vector<DataNode*> topLevel;
  std::unordered_map<std::string, DataNode*> byName;

  const DataNode* findById(const GUID& id) const;
  const DataNode* findByName(const std::string& name) const;
};

// Parses a whole .x file (header included) into `doc`, whose registry holds the templates known
// beforehand. With `templatesOnly`, data objects are refused.
HRESULT parseFile(const uint8_t* data, size_t size, Document* doc, bool templatesOnly);

// Parses the data objects and templates of a token stream into `doc`.
HRESULT parseObjects(TokenSource& tokens, Document* doc, bool templatesOnly);

// ---- Interface objects ----

// Live interface objects of the reader, for leak checks in tests.
long liveObjects();
void countObject(int delta);

}  // namespace zentu::xfile
