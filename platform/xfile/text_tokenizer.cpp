// Tokens of the .x text encoding: names and keywords, numbers, strings, GUIDs (with or without
// angle brackets) and punctuation, with `#` and `//` comments skipped.
#include <cstring>
#include <limits>
#include <type_traits>

#include "platform/xfile/xfile_internal.h"

namespace zentu::xfile {

HRESULT TokenSource::peek(Token* token) {
  if (!hasPeeked_) {
    HRESULT hr = next(&peeked_);
    if (FAILED(hr)) return hr;
    hasPeeked_ = true;
  }
  *token = peeked_;
  return S_OK;
}

HRESULT TokenSource::take(Token* token) {
  if (hasPeeked_) {
    hasPeeked_ = false;
    *token = peeked_;
    return S_OK;
  }
  return next(token);
}

namespace {

bool isNameStart(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool isNameChar(uint8_t c) {
  return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool isDigit(uint8_t c) {
  return c >= '0' && c <= '9';
}

int hexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct Keyword {
  const char* text;
  Tok kind;
};

constexpr Keyword kKeywords[] = {
    {"template", Tok::kTemplate}, {"array", Tok::kArray},     {"WORD", Tok::kWord},
    {"DWORD", Tok::kDword},       {"FLOAT", Tok::kFloatType}, {"DOUBLE", Tok::kDouble},
    {"CHAR", Tok::kChar},         {"UCHAR", Tok::kUchar},     {"BYTE", Tok::kUchar},
    {"SWORD", Tok::kSword},       {"SDWORD", Tok::kSdword},   {"VOID", Tok::kVoid},
    {"STRING", Tok::kLpstr},      {"LPSTR", Tok::kLpstr},     {"UNICODE", Tok::kUnicode},
    {"CSTRING", Tok::kCstring},
};

bool equalsNoCase(const char* a, size_t length, const char* keyword) {
  for (size_t i = 0; i < length; ++i) {
    char k = keyword[i];
    if (k == 0) return false;
    char c = a[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (k >= 'a' && k <= 'z') k = static_cast<char>(k - 32);
    if (c != k) return false;
  }
  return keyword[length] == 0;
}

Tok classifyName(const char* text, size_t length) {
  if (length > 8) return Tok::kName;
  for (const Keyword& k : kKeywords)
    if (equalsNoCase(text, length, k.text)) return k.kind;
  return Tok::kName;
}

class TextTokens final : public TokenSource {
 public:
  TextTokens(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  size_t bytesLeft() const override { return static_cast<size_t>(end_ - p_); }
  size_t minBytesPerValue() const override { return 1; }

  HRESULT next(Token* t) override {
    skipSpaceAndComments();
    t->kind = Tok::kEnd;
    t->text = nullptr;
    t->length = 0;
    t->integer = 0;
    t->real = 0.0;
    t->realIsText = false;
    if (p_ >= end_) {
      t->kind = Tok::kEnd;
      return S_OK;
    }
    uint8_t c = *p_;
    if (readGuid(p_, &t->guid)) {
      t->kind = Tok::kGuid;
      p_ += 36;
      return S_OK;
    }
    switch (c) {
      case '{':
        return punct(t, Tok::kOBrace);
      case '}':
        return punct(t, Tok::kCBrace);
      case '(':
        return punct(t, Tok::kOParen);
      case ')':
        return punct(t, Tok::kCParen);
      case '[':
        return punct(t, Tok::kOBracket);
      case ']':
        return punct(t, Tok::kCBracket);
      case '>':
        return punct(t, Tok::kCAngle);
      case ',':
        return punct(t, Tok::kComma);
      case ';':
        return punct(t, Tok::kSemicolon);
      case '<':
        return angle(t);
      case '"':
        return string(t);
      default:
        break;
    }
    if (isDigit(c) || c == '-' || c == '+' || (c == '.' && p_ + 1 < end_ && isDigit(p_[1]))) return number(t);
    if (c == '.') return punct(t, Tok::kDot);
    if (isNameStart(c)) {
      const uint8_t* start = p_;
      while (p_ < end_ && isNameChar(*p_)) ++p_;
      size_t length = static_cast<size_t>(p_ - start);
      if (length > kMaxNameLength) return DXFILEERR_PARSEERROR;
      t->text = reinterpret_cast<const char*>(start);
      t->length = length;
      t->kind = classifyName(t->text, length);
      return S_OK;
    }
    return DXFILEERR_PARSEERROR;
  }

 protected:
  // Plain decimals between separators, the bulk of any mesh; anything else is left to next().
  size_t rawValues(Primitive p, size_t count, uint8_t* out) override {
    switch (p) {
      case Primitive::kFloat:
        return decimals<float>(count, out);
      case Primitive::kDouble:
        return decimals<double>(count, out);
      case Primitive::kDword:
      case Primitive::kSdword:
        return decimals<uint32_t>(count, out);
      default:
        return 0;
    }
  }

 private:
  // Reads values of T while each is a plain decimal that converts exactly (see shortDecimal).
  template <typename T>
  size_t decimals(size_t count, uint8_t* out) {
    constexpr bool isInteger = std::is_integral_v<T>;
    constexpr uint64_t kMaxMantissa = sizeof(T) == 8 ? uint64_t{1} << 53 : uint64_t{1} << 24;
    constexpr int kMaxScale = sizeof(T) == 8 ? 22 : 10;
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    size_t done = 0;
    while (done < count) {
      skipSpaceAndComments();
      while (p_ < end_ && (*p_ == ',' || *p_ == ';')) {
        ++p_;
        skipSpaceAndComments();
      }
      const uint8_t* q = p_;
      bool negative = q < end_ && *q == '-';
      if (negative) ++q;
      uint64_t mantissa = 0;
      int digits = 0, scale = 0;
      bool dot = false;
      for (; q < end_; ++q) {
        unsigned d = static_cast<unsigned>(*q) - '0';
        if (d < 10) {
          mantissa = mantissa * 10 + d;
          ++digits;
          scale += dot;
        } else if (*q == '.' && !dot) {
          dot = true;
        } else {
          break;
        }
      }
      // Only what cannot start a GUID, an exponent or a longer token may follow.
      if (digits == 0 || digits > 19 || (q<end_&& * q> ' ' && *q != ',' && *q != ';' && *q != '}')) break;
      if constexpr (isInteger) {
        if (dot || digits > 10) break;
        int64_t v = negative ? -static_cast<int64_t>(mantissa) : static_cast<int64_t>(mantissa);
        if (v < -0x80000000LL || v > 0xFFFFFFFFLL) break;
        uint32_t u = static_cast<uint32_t>(v);
        std::memcpy(out, &u, 4);
      } else {
        if (mantissa > kMaxMantissa || scale > kMaxScale) break;
        T v = static_cast<T>(mantissa) / static_cast<T>(kPow10[scale]);
        if (negative) v = -v;
        std::memcpy(out, &v, sizeof(T));
      }
      out += sizeof(T);
      p_ = q;
      ++done;
    }
    return done;
  }

  void skipSpaceAndComments() {
    while (p_ < end_) {
      uint8_t c = *p_;
      if (c <= ' ') {
        ++p_;
      } else if (c == '#' || (c == '/' && p_ + 1 < end_ && p_[1] == '/')) {
        while (p_ < end_ && *p_ != '\n') ++p_;
      } else {
        break;
      }
    }
  }

  HRESULT punct(Token* t, Tok kind) {
    ++p_;
    t->kind = kind;
    return S_OK;
  }

  // 8-4-4-4-12 hexadecimal digits.
  bool readGuid(const uint8_t* p, GUID* g) const {
    // The dash after the first group rules out numbers and names cheaply.
    if (end_ - p < 36 || p[8] != '-') return false;
    for (int i = 0; i < 36; ++i) {
      bool dash = i == 8 || i == 13 || i == 18 || i == 23;
      if (dash ? p[i] != '-' : hexValue(p[i]) < 0) return false;
    }
    auto hex = [p](int from, int count) {
      uint32_t v = 0;
      for (int i = 0; i < count; ++i) v = v << 4 | static_cast<uint32_t>(hexValue(p[from + i]));
      return v;
    };
    // A GUID is never glued to a following name character.
    if (end_ - p > 36 && (isNameStart(p[36]) || isDigit(p[36]))) return false;
    g->Data1 = hex(0, 8);
    g->Data2 = static_cast<WORD>(hex(9, 4));
    g->Data3 = static_cast<WORD>(hex(14, 4));
    g->Data4[0] = static_cast<BYTE>(hex(19, 2));
    g->Data4[1] = static_cast<BYTE>(hex(21, 2));
    for (int i = 0; i < 6; ++i) g->Data4[2 + i] = static_cast<BYTE>(hex(24 + 2 * i, 2));
    return true;
  }

  HRESULT angle(Token* t) {
    const uint8_t* p = p_ + 1;
    while (p < end_ && (*p == ' ' || *p == '\t')) ++p;
    if (readGuid(p, &t->guid)) {
      p += 36;
      while (p < end_ && (*p == ' ' || *p == '\t')) ++p;
      if (p < end_ && *p == '>') {
        p_ = p + 1;
        t->kind = Tok::kGuid;
        return S_OK;
      }
    }
    return punct(t, Tok::kOAngle);
  }

  HRESULT string(Token* t) {
    const uint8_t* start = ++p_;
    const void* close = std::memchr(start, '"', static_cast<size_t>(end_ - start));
    if (!close) return DXFILEERR_PARSEERROR;
    size_t length = static_cast<size_t>(static_cast<const uint8_t*>(close) - start);
    if (length > kMaxStringLength) return DXFILEERR_PARSEERROR;
    t->kind = Tok::kString;
    t->text = reinterpret_cast<const char*>(start);
    t->length = length;
    p_ = start + length + 1;
    return S_OK;
  }

  HRESULT number(Token* t) {
    const uint8_t* start = p_;
    const uint8_t* p = p_;
    bool negative = false;
    if (*p == '-' || *p == '+') {
      negative = *p == '-';
      ++p;
    }
    const uint8_t* digits = p;
    uint64_t value = 0;
    bool overflow = false;
    while (p < end_ && isDigit(*p)) {
      if (value > (std::numeric_limits<uint64_t>::max() - 9) / 10) overflow = true;
      value = value * 10 + static_cast<uint64_t>(*p - '0');
      ++p;
    }
    bool isFloat = false;
    if (p < end_ && *p == '.') {
      isFloat = true;
      ++p;
      // Exporters built with some C libraries write "1.#QNAN0", "-1.#IND00" or "1.#INF00".
      if (p < end_ && *p == '#') {
        ++p;
        bool inf = end_ - p >= 3 && (p[0] == 'I' || p[0] == 'i') && (p[1] == 'N' || p[1] == 'n') &&
                   (p[2] == 'F' || p[2] == 'f');
        while (p < end_ && (isNameChar(*p) && *p != '.' && *p != '-')) ++p;
        p_ = p;
        t->kind = Tok::kFloat;
        t->real = inf ? (negative ? -std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::infinity())
                      : std::numeric_limits<double>::quiet_NaN();
        return S_OK;
      }
      while (p < end_ && isDigit(*p)) ++p;
    }
    if (p == digits || (p == digits + 1 && *digits == '.')) return DXFILEERR_PARSEERROR;
    if (p < end_ && (*p == 'e' || *p == 'E')) {
      const uint8_t* q = p + 1;
      if (q < end_ && (*q == '-' || *q == '+')) ++q;
      if (q < end_ && isDigit(*q)) {
        isFloat = true;
        while (q < end_ && isDigit(*q)) ++q;
        p = q;
      }
    }
    if (p < end_ && isNameStart(*p)) return DXFILEERR_PARSEERROR;
    p_ = p;
    if (isFloat || overflow) {
      t->kind = Tok::kFloat;
      // from_chars takes no leading '+'.
      if (*start == '+') ++start;
      t->text = reinterpret_cast<const char*>(start);
      t->length = static_cast<size_t>(p - start);
      t->realIsText = true;
      return S_OK;
    }
    if (value > uint64_t{1} << 62) return DXFILEERR_PARSEERROR;
    t->kind = Tok::kInteger;
    t->integer = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    return S_OK;
  }

  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace

std::unique_ptr<TokenSource> makeTextTokens(const uint8_t* data, size_t size) {
  return std::make_unique<TextTokens>(data, size);
}

}  // namespace zentu::xfile
