// The writer keeps its own small lexer so that fixtures do not depend on the reader under test.
#include "xfile_writer.h"

#include <zlib.h>

#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace zentu::test {

namespace {

enum Code : uint16_t {
  kName = 1,
  kString = 2,
  kInteger = 3,
  kGuid = 5,
  kIntegerList = 6,
  kFloatList = 7,
  kOBrace = 10,
  kCBrace = 11,
  kOBracket = 14,
  kCBracket = 15,
  kDot = 18,
  kComma = 19,
  kSemicolon = 20,
  kTemplate = 31,
};

struct Keyword {
  const char* text;
  uint16_t code;
};
constexpr Keyword kKeywords[] = {{"template", 31}, {"array", 52},  {"WORD", 40},    {"DWORD", 41},
                                 {"FLOAT", 42},    {"DOUBLE", 43}, {"CHAR", 44},    {"UCHAR", 45},
                                 {"BYTE", 45},     {"SWORD", 46},  {"SDWORD", 47},  {"VOID", 48},
                                 {"STRING", 49},   {"LPSTR", 49},  {"UNICODE", 50}, {"CSTRING", 51}};

class Out {
 public:
  std::vector<uint8_t> bytes;
  void word(uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  }
  void dword(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void raw(const void* p, size_t n) {
    auto* b = static_cast<const uint8_t*>(p);
    bytes.insert(bytes.end(), b, b + n);
  }
  void counted(uint16_t code, const std::string& s) {
    word(code);
    dword(static_cast<uint32_t>(s.size()));
    raw(s.data(), s.size());
  }
};

uint32_t hex(const std::string& s, size_t from, size_t count) {
  return static_cast<uint32_t>(std::strtoul(s.substr(from, count).c_str(), nullptr, 16));
}

void guid(Out& out, const std::string& g) {
  if (g.size() != 36) throw std::runtime_error("bad GUID " + g);
  out.word(kGuid);
  out.dword(hex(g, 0, 8));
  out.word(static_cast<uint16_t>(hex(g, 9, 4)));
  out.word(static_cast<uint16_t>(hex(g, 14, 4)));
  out.bytes.push_back(static_cast<uint8_t>(hex(g, 19, 2)));
  out.bytes.push_back(static_cast<uint8_t>(hex(g, 21, 2)));
  for (int i = 0; i < 6; ++i) out.bytes.push_back(static_cast<uint8_t>(hex(g, 24 + 2 * i, 2)));
}

class Converter {
 public:
  Converter(const std::string& text, int floatBits) : s_(text), floatBits_(floatBits) {}

  std::vector<uint8_t> run() {
    if (s_.size() < 16 || s_.compare(0, 4, "xof ") != 0) throw std::runtime_error("not a .x text");
    std::string header = s_.substr(0, 16);
    header.replace(8, 4, "bin ");
    header.replace(12, 4, floatBits_ == 64 ? "0064" : "0032");
    out_.raw(header.data(), 16);
    p_ = 16;
    while (token()) {
    }
    flush();
    return out_.bytes;
  }

 private:
  void skip() {
    while (p_ < s_.size()) {
      char c = s_[p_];
      if (std::isspace(static_cast<unsigned char>(c))) {
        ++p_;
      } else if (c == '#' || (c == '/' && p_ + 1 < s_.size() && s_[p_ + 1] == '/')) {
        while (p_ < s_.size() && s_[p_] != '\n') ++p_;
      } else {
        break;
      }
    }
  }

  // Numbers of the data part gather into lists; anything else ends the list.
  void flush() {
    if (ints_.empty() && floats_.empty()) return;
    if (!ints_.empty()) {
      out_.word(kIntegerList);
      out_.dword(static_cast<uint32_t>(ints_.size()));
      for (uint32_t v : ints_) out_.dword(v);
      ints_.clear();
    } else {
      out_.word(kFloatList);
      out_.dword(static_cast<uint32_t>(floats_.size()));
      for (double d : floats_) {
        if (floatBits_ == 64) {
          out_.raw(&d, 8);
        } else {
          float f = static_cast<float>(d);
          out_.raw(&f, 4);
        }
      }
      floats_.clear();
    }
  }

  void punct(uint16_t code) {
    flush();
    out_.word(code);
  }

  bool token() {
    skip();
    if (p_ >= s_.size()) return false;
    char c = s_[p_];
    bool inTemplate = templateDepth_ > 0;
    switch (c) {
      case '{':
        ++p_;
        punct(kOBrace);
        if (inTemplate || pendingTemplate_) ++templateDepth_;
        pendingTemplate_ = false;
        return true;
      case '}':
        ++p_;
        punct(kCBrace);
        if (templateDepth_ > 0) --templateDepth_;
        return true;
      case '[':
        ++p_;
        punct(kOBracket);
        return true;
      case ']':
        ++p_;
        punct(kCBracket);
        return true;
      case '.':
        ++p_;
        punct(kDot);
        return true;
      case ',':
      case ';':
        ++p_;
        // Separators carry no meaning in binary data; templates keep theirs.
        if (inTemplate) punct(c == ',' ? kComma : kSemicolon);
        return true;
      case '<': {
        size_t close = s_.find('>', p_);
        std::string g = s_.substr(p_ + 1, close - p_ - 1);
        while (!g.empty() && g.front() == ' ') g.erase(0, 1);
        while (!g.empty() && g.back() == ' ') g.pop_back();
        flush();
        guid(out_, g);
        p_ = close + 1;
        return true;
      }
      case '"': {
        size_t close = s_.find('"', p_ + 1);
        flush();
        out_.counted(kString, s_.substr(p_ + 1, close - p_ - 1));
        p_ = close + 1;
        skip();
        uint32_t terminator = kSemicolon;
        if (p_ < s_.size() && (s_[p_] == ',' || s_[p_] == ';')) {
          terminator = s_[p_] == ',' ? kComma : kSemicolon;
          ++p_;
        }
        out_.dword(terminator);
        return true;
      }
      default:
        break;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+') {
      size_t start = p_;
      ++p_;
      bool isFloat = false;
      while (p_ < s_.size() &&
             (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '.' ||
              ((s_[p_] == '-' || s_[p_] == '+') && (s_[p_ - 1] == 'e' || s_[p_ - 1] == 'E')))) {
        if (s_[p_] == '.' || s_[p_] == 'e' || s_[p_] == 'E') isFloat = true;
        ++p_;
      }
      std::string number = s_.substr(start, p_ - start);
      if (inTemplate) {
        punct(kInteger);
        out_.dword(static_cast<uint32_t>(std::strtoul(number.c_str(), nullptr, 10)));
      } else if (isFloat) {
        if (!ints_.empty()) flush();
        floats_.push_back(std::strtod(number.c_str(), nullptr));
      } else {
        if (!floats_.empty()) flush();
        ints_.push_back(static_cast<uint32_t>(std::strtoll(number.c_str(), nullptr, 10)));
      }
      return true;
    }
    size_t start = p_;
    while (p_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_' ||
                              s_[p_] == '-' || s_[p_] == '.'))
      ++p_;
    if (p_ == start) throw std::runtime_error("unexpected character in fixture");
    std::string name = s_.substr(start, p_ - start);
    flush();
    if (templateDepth_ == 0 && name == "template") {
      pendingTemplate_ = true;
      out_.word(kTemplate);
      return true;
    }
    if (inTemplate) {
      for (const Keyword& k : kKeywords) {
        if (strcasecmp(k.text, name.c_str()) == 0) {
          out_.word(k.code);
          return true;
        }
      }
    }
    out_.counted(kName, name);
    return true;
  }

  const std::string& s_;
  int floatBits_;
  size_t p_ = 0;
  int templateDepth_ = 0;
  bool pendingTemplate_ = false;
  std::vector<uint32_t> ints_;
  std::vector<double> floats_;
  Out out_;
};

}  // namespace

std::vector<uint8_t> textToBinary(const std::string& text, int floatBits) {
  return Converter(text, floatBits).run();
}

std::vector<uint8_t> compressX(const std::vector<uint8_t>& file, size_t blockSize) {
  if (file.size() < 16) throw std::runtime_error("not a .x file");
  Out out;
  out.raw(file.data(), 16);
  bool binary = std::memcmp(file.data() + 8, "bin ", 4) == 0;
  std::memcpy(out.bytes.data() + 8, binary ? "bzip" : "tzip", 4);
  out.dword(static_cast<uint32_t>(file.size()));
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::vector<uint8_t> packed;
  for (size_t at = 16; at < file.size(); at += blockSize) {
    size_t plain = std::min(blockSize, file.size() - at);
    deflateReset(&z);
    size_t dict = std::min<size_t>(at - 16, 32768);
    if (dict > 0) deflateSetDictionary(&z, file.data() + at - dict, static_cast<uInt>(dict));
    packed.resize(deflateBound(&z, static_cast<uLong>(plain)) + 16);
    z.next_in = const_cast<Bytef*>(file.data() + at);
    z.avail_in = static_cast<uInt>(plain);
    z.next_out = packed.data();
    z.avail_out = static_cast<uInt>(packed.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    size_t size = packed.size() - z.avail_out;
    out.word(static_cast<uint16_t>(plain));
    out.word(static_cast<uint16_t>(size + 2));
    out.raw("CK", 2);
    out.raw(packed.data(), size);
  }
  deflateEnd(&z);
  return out.bytes;
}

}  // namespace zentu::test
