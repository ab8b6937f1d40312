// Splitting a media command into its words: blanks separate words, double quotes hold a word
// with blanks in it (a file path), keywords are compared without regard to case.
#include <cctype>
#include <cstdint>
#include <string>

#include "platform/media/media_internal.h"

namespace zentu {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

bool equalsNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return i == a.size() && b[i] == '\0';
}

MCIERROR parseMciCommand(const char* text, MciCommand* command) {
  command->verb.clear();
  command->words.clear();
  if (text == nullptr) return MCIERR_MISSING_COMMAND_STRING;
  std::vector<std::string> words;
  const char* p = text;
  while (true) {
    while (isBlank(*p)) ++p;
    if (*p == '\0') break;
    std::string word;
    if (*p == '"') {
      ++p;
      while (*p != '\0' && *p != '"') word.push_back(*p++);
      if (*p != '"') return MCIERR_NO_CLOSING_QUOTE;
      ++p;
    } else {
      while (*p != '\0' && !isBlank(*p)) word.push_back(*p++);
    }
    words.push_back(std::move(word));
  }
  if (words.empty()) return MCIERR_MISSING_COMMAND_STRING;
  for (char c : words.front()) command->verb.push_back(lower(c));
  command->words.assign(words.begin() + 1, words.end());
  return 0;
}

bool parseMilliseconds(const std::string& word, uint32_t* value) {
  if (word.empty() || word.size() > 10) return false;
  uint64_t v = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > UINT32_MAX) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace zentu
