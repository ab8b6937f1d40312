// Tokens of the .x binary encoding: little-endian WORD token codes, some followed by payloads.
// Integer and float lists are handed out one value at a time.
#include <cstring>

#include "platform/xfile/xfile_internal.h"

namespace zentu::xfile {

namespace {

enum BinaryToken : uint16_t {
  kBinName = 1,
  kBinString = 2,
  kBinInteger = 3,
  kBinGuid = 5,
  kBinIntegerList = 6,
  kBinFloatList = 7,
  kBinOBrace = 10,
  kBinCBrace = 11,
  kBinOParen = 12,
  kBinCParen = 13,
  kBinOBracket = 14,
  kBinCBracket = 15,
  kBinOAngle = 16,
  kBinCAngle = 17,
  kBinDot = 18,
  kBinComma = 19,
  kBinSemicolon = 20,
  kBinTemplate = 31,
  kBinWord = 40,
  kBinDword = 41,
  kBinFloat = 42,
  kBinDouble = 43,
  kBinChar = 44,
  kBinUchar = 45,
  kBinSword = 46,
  kBinSdword = 47,
  kBinVoid = 48,
  kBinLpstr = 49,
  kBinUnicode = 50,
  kBinCstring = 51,
  kBinArray = 52,
};

Tok simpleToken(uint16_t code) {
  switch (code) {
    case kBinOBrace:
      return Tok::kOBrace;
    case kBinCBrace:
      return Tok::kCBrace;
    case kBinOParen:
      return Tok::kOParen;
    case kBinCParen:
      return Tok::kCParen;
    case kBinOBracket:
      return Tok::kOBracket;
    case kBinCBracket:
      return Tok::kCBracket;
    case kBinOAngle:
      return Tok::kOAngle;
    case kBinCAngle:
      return Tok::kCAngle;
    case kBinDot:
      return Tok::kDot;
    case kBinComma:
      return Tok::kComma;
    case kBinSemicolon:
      return Tok::kSemicolon;
    case kBinTemplate:
      return Tok::kTemplate;
    case kBinWord:
      return Tok::kWord;
    case kBinDword:
      return Tok::kDword;
    case kBinFloat:
      return Tok::kFloatType;
    case kBinDouble:
      return Tok::kDouble;
    case kBinChar:
      return Tok::kChar;
    case kBinUchar:
      return Tok::kUchar;
    case kBinSword:
      return Tok::kSword;
    case kBinSdword:
      return Tok::kSdword;
    case kBinVoid:
      return Tok::kVoid;
    case kBinLpstr:
      return Tok::kLpstr;
    case kBinUnicode:
      return Tok::kUnicode;
    case kBinCstring:
      return Tok::kCstring;
    case kBinArray:
      return Tok::kArray;
    default:
      return Tok::kEnd;
  }
}

class BinaryTokens final : public TokenSource {
 public:
  BinaryTokens(const uint8_t* data, size_t size, int floatBits)
      : p_(data), end_(data + size), floatSize_(floatBits == 64 ? 8 : 4) {}

  size_t bytesLeft() const override { return static_cast<size_t>(end_ - p_); }
  size_t minBytesPerValue() const override { return 4; }

  HRESULT next(Token* t) override {
    for (;;) {
      HRESULT hr = step(t);
      // An empty list yields nothing; read on without recursing.
      if (hr != S_FALSE) return hr;
    }
  }

 protected:
  size_t rawValues(Primitive p, size_t count, uint8_t* out) override {
    if (listLeft_ == 0) return 0;
    bool fits = listIsFloat_ ? (p == Primitive::kFloat && floatSize_ == 4) ||
                                   (p == Primitive::kDouble && floatSize_ == 8)
                             : p == Primitive::kDword || p == Primitive::kSdword;
    if (!fits) return 0;
    size_t n = count < listLeft_ ? count : listLeft_;
    // The list's length was checked against the bytes left when it began.
    size_t bytes = n * (listIsFloat_ ? floatSize_ : 4);
    std::memcpy(out, p_, bytes);
    p_ += bytes;
    listLeft_ -= static_cast<uint32_t>(n);
    return n;
  }

 private:
  HRESULT step(Token* t) {
    t->kind = Tok::kEnd;
    t->text = nullptr;
    t->length = 0;
    t->integer = 0;
    t->real = 0.0;
    t->realIsText = false;
    if (listLeft_ > 0) return listValue(t);
    if (p_ >= end_) {
      t->kind = Tok::kEnd;
      return S_OK;
    }
    uint16_t code;
    if (!word(&code)) return DXFILEERR_PARSEERROR;
    switch (code) {
      case kBinName:
        return counted(t, Tok::kName, kMaxNameLength);
      case kBinString: {
        HRESULT hr = counted(t, Tok::kString, kMaxStringLength);
        if (FAILED(hr)) return hr;
        // The terminator is written either as a token code or as a DWORD holding one.
        if (end_ - p_ >= 4 && (p_[0] == kBinSemicolon || p_[0] == kBinComma) && p_[1] == 0 && p_[2] == 0 &&
            p_[3] == 0)
          p_ += 4;
        return S_OK;
      }
      case kBinInteger: {
        uint32_t v = 0;
        if (!dword(&v)) return DXFILEERR_PARSEERROR;
        t->kind = Tok::kInteger;
        t->integer = v;
        return S_OK;
      }
      case kBinGuid: {
        if (end_ - p_ < 16) return DXFILEERR_PARSEERROR;
        uint32_t d1 = 0;
        dword(&d1);
        uint16_t d2 = 0, d3 = 0;
        word(&d2);
        word(&d3);
        t->guid.Data1 = d1;
        t->guid.Data2 = d2;
        t->guid.Data3 = d3;
        std::memcpy(t->guid.Data4, p_, 8);
        p_ += 8;
        t->kind = Tok::kGuid;
        return S_OK;
      }
      case kBinIntegerList:
      case kBinFloatList: {
        uint32_t count;
        if (!dword(&count)) return DXFILEERR_PARSEERROR;
        size_t elementSize = code == kBinIntegerList ? 4 : floatSize_;
        if (count > bytesLeft() / elementSize) return DXFILEERR_PARSEERROR;
        listLeft_ = count;
        listIsFloat_ = code == kBinFloatList;
        return count > 0 ? listValue(t) : S_FALSE;
      }
      default: {
        Tok kind = simpleToken(code);
        if (kind == Tok::kEnd) return DXFILEERR_PARSEERROR;
        t->kind = kind;
        return S_OK;
      }
    }
  }

  bool word(uint16_t* v) {
    if (end_ - p_ < 2) return false;
    *v = static_cast<uint16_t>(p_[0] | (p_[1] << 8));
    p_ += 2;
    return true;
  }

  bool dword(uint32_t* v) {
    if (end_ - p_ < 4) return false;
    std::memcpy(v, p_, 4);  // the format and every target of this library are little-endian
    p_ += 4;
    return true;
  }

  HRESULT counted(Token* t, Tok kind, size_t limit) {
    uint32_t count;
    if (!dword(&count)) return DXFILEERR_PARSEERROR;
    if (count > limit || count > bytesLeft()) return DXFILEERR_PARSEERROR;
    t->kind = kind;
    t->text = reinterpret_cast<const char*>(p_);
    t->length = count;
    p_ += count;
    return S_OK;
  }

  HRESULT listValue(Token* t) {
    --listLeft_;
    if (!listIsFloat_) {
      uint32_t v = 0;
      dword(&v);
      t->kind = Tok::kInteger;
      t->integer = v;
    } else if (floatSize_ == 4) {
      float f;
      std::memcpy(&f, p_, 4);
      p_ += 4;
      t->kind = Tok::kFloat;
      t->real = f;
    } else {
      double d;
      std::memcpy(&d, p_, 8);
      p_ += 8;
      t->kind = Tok::kFloat;
      t->real = d;
    }
    return S_OK;
  }

  const uint8_t* p_;
  const uint8_t* end_;
  size_t floatSize_;
  uint32_t listLeft_ = 0;
  bool listIsFloat_ = false;
};

}  // namespace

std::unique_ptr<TokenSource> makeBinaryTokens(const uint8_t* data, size_t size, int floatBits) {
  return std::make_unique<BinaryTokens>(data, size, floatBits);
}

}  // namespace zentu::xfile
