// Reading a value from a sectioned "key=value" file, as GetPrivateProfileString does.
//
// The file is streamed in fixed-size chunks and parsed one character at a time; only a bounded
// prefix of each name and value is kept, so a line of any length costs no more memory than a
// short one.
#include "platform/Profile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"
#include "platform/common/InputFile.h"
#include "platform/common/CaseFold.h"

namespace os {
namespace {

constexpr std::size_t kMaxValue = 1023;  // the caller's buffer holds 1024 characters
constexpr std::size_t kChunk = std::size_t{64} * 1024;

// White space around names and values; ^Z (an old end-of-file mark) counts as well.
bool isBlank(unsigned char c) noexcept {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1a;
}

std::string_view trimmed(std::string_view s) noexcept {
  while (!s.empty() && isBlank(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && isBlank(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// A text fed one character at a time, seen with its leading and trailing blanks removed: keeps
// its first `cap` characters, its full length and its last character.
class TrimmedPrefix {
 public:
  explicit TrimmedPrefix(std::size_t cap) : cap_(cap) {}

  void clear() {
    text_.clear();
    pendingText_.clear();
    pending_ = 0;
    length_ = 0;
  }

  void push(char c) {
    if (isBlank(static_cast<unsigned char>(c))) {
      if (length_ == 0) return;  // leading blank
      // A blank counts only once something follows it.
      if (text_.size() + pendingText_.size() < cap_) pendingText_ += c;
      ++pending_;
      return;
    }
    if (pending_ != 0) {
      text_ += pendingText_;
      pendingText_.clear();
      length_ += pending_;
      pending_ = 0;
    }
    if (text_.size() < cap_) text_ += c;
    ++length_;
    last_ = c;
  }

  // The first min(length(), cap) characters of the trimmed text.
  const std::string& text() const noexcept { return text_; }
  std::size_t length() const noexcept { return length_; }
  char last() const noexcept { return last_; }
  // Needs a cap of at least capFor(name.size()).
  bool equalsIgnoreCase(std::string_view name) const noexcept {
    return length_ == text_.size() && host::equalsIgnoreCase(text_, name);
  }
  // A name equal to one of `size` bytes, ignoring case, has at most three times as many: a
  // character of one byte may fold from one of three ("k" from the Kelvin sign).
  static std::size_t capFor(std::size_t size) noexcept { return 3 * size + 1; }

 private:
  std::size_t cap_;
  std::string text_;
  std::string pendingText_;
  std::size_t pending_ = 0;
  std::size_t length_ = 0;
  char last_ = 0;
};

// Looks for one key of one section while the file's bytes are fed to it. Only the first section
// of that name is searched, and the first matching key in it wins.
class ProfileSearch {
 public:
  ProfileSearch(std::string_view section, std::string_view key)
      : section_(section),
        key_(key),
        sectionAll_(TrimmedPrefix::capFor(section.size())),
        sectionName_(TrimmedPrefix::capFor(section.size())),
        keyName_(TrimmedPrefix::capFor(key.size())),
        value_(kMaxValue + 2) {
    // The keys before the first section line make the section without a name.
    if (section_.empty()) inSection_ = sectionSeen_ = true;
  }

  // Feeds the next bytes of the file; true once the search is over.
  bool feed(const char* data, std::size_t size) {
    const char* p = data;
    const char* end = data + size;
    while (p < end && !done_) {
      if (state_ == State::Skip) {
        while (p < end && *p != '\n' && *p != '\r') ++p;
        if (p == end) return false;
        ++p;
        endOfLine();
        continue;
      }
      const char c = *p++;
      if (c == '\n' || c == '\r') {  // a CR alone ends a line too
        endOfLine();
      } else {
        step(c);
      }
    }
    return done_;
  }

  // The end of the file closes its last line.
  void finish() {
    if (!done_) endOfLine();
    done_ = true;
  }

  // The value found, or nothing when the key is absent.
  const std::optional<std::string>& result() const noexcept { return result_; }

 private:
  enum class State { LineStart, Section, Key, Value, Skip };

  void step(char c) {
    switch (state_) {
      case State::LineStart:
        if (isBlank(static_cast<unsigned char>(c))) return;
        if (c == '[') {
          startSection();
          return;
        }
        if (!inSection_) {
          state_ = State::Skip;  // a key outside the section searched
          return;
        }
        keyName_.clear();
        state_ = State::Key;
        keyChar(c);
        return;
      case State::Section:
        if (c == ']') {
          // The name runs up to the last "]" of the line.
          sectionName_ = sectionAll_;
          hasBracket_ = true;
        }
        sectionAll_.push(c);
        if (inSection_) keyChar(c);  // without a "]" the line is a key after all
        return;
      case State::Key:
        keyChar(c);
        return;
      case State::Value:
        value_.push(c);
        return;
      case State::Skip:
        return;
    }
  }

  void startSection() {
    state_ = State::Section;
    sectionAll_.clear();
    hasBracket_ = false;
    keyName_.clear();
    keyName_.push('[');
    sawEquals_ = false;
    keyMatches_ = false;
  }

  // One character of a possible key line inside the section searched.
  void keyChar(char c) {
    if (!sawEquals_) {
      if (c != '=') {
        keyName_.push(c);
        return;
      }
      sawEquals_ = true;
      keyMatches_ = keyName_.equalsIgnoreCase(key_);
      value_.clear();
      if (state_ == State::Key) state_ = keyMatches_ ? State::Value : State::Skip;
      return;
    }
    if (keyMatches_) value_.push(c);
  }

  void endOfLine() {
    switch (state_) {
      case State::Section:
        if (hasBracket_) {
          enterSection();
        } else if (inSection_ && sawEquals_ && keyMatches_) {
          found();
        }
        break;
      case State::Value:
        found();
        break;
      default:
        break;
    }
    state_ = State::LineStart;
    sawEquals_ = false;
    keyMatches_ = false;
  }

  void enterSection() {
    if (inSection_) {
      done_ = true;  // the section searched is over: the key is absent
      return;
    }
    if (!sectionSeen_ && !section_.empty() && sectionName_.equalsIgnoreCase(section_)) {
      inSection_ = true;
      sectionSeen_ = true;
    }
  }

  // The value without its blanks, then without one pair of enclosing quotes, then cut to the
  // caller's buffer (and at a NUL, where a C string would end).
  void found() {
    const std::string& text = value_.text();
    const std::size_t length = value_.length();
    std::string v;
    if (length >= 2 && (text[0] == '"' || text[0] == '\'') && value_.last() == text[0]) {
      v = text.substr(1, std::min(length - 2, kMaxValue));
    } else {
      v = text.substr(0, std::min(length, kMaxValue));
    }
    if (const auto nul = v.find('\0'); nul != std::string::npos) v.resize(nul);
    result_ = std::move(v);
    done_ = true;
  }

  std::string_view section_;
  std::string_view key_;
  State state_ = State::LineStart;
  bool inSection_ = false;    // inside the first section of the name searched
  bool sectionSeen_ = false;  // that section has begun
  bool done_ = false;
  TrimmedPrefix sectionAll_;   // everything after "[" on a section line
  TrimmedPrefix sectionName_;  // what came before its last "]"
  bool hasBracket_ = false;
  TrimmedPrefix keyName_;
  bool sawEquals_ = false;
  bool keyMatches_ = false;
  TrimmedPrefix value_;
  std::optional<std::string> result_;
};

// A value cut to the buffer's length may end inside a character: that part goes.
void dropPartialCharacter(std::string& v) {
  v.resize(v.size() - incompleteTail(v));
}


// The search of one value through a text given in pieces by `next(chunk)` (false at the end,
// nothing when it fails). The text is UTF-8 (a byte-order mark is passed over); a text that is
// not UTF-8 is read as Windows-1252. Names are ASCII either way.
template <typename Next>
std::string search(std::string_view section, std::string_view key, std::string_view defaultValue,
                   Next&& next) {
  ProfileSearch search(trimmed(section), trimmed(key));
  Utf8Check utf8;
  bool first = true;
  bool searching = true;
  for (;;) {
    std::string_view chunk;
    const std::optional<bool> more = next(chunk);
    if (!more) return std::string(defaultValue);
    if (!*more) break;
    if (first && chunk.starts_with("\xEF\xBB\xBF")) chunk.remove_prefix(3);
    first = false;
    utf8.feed(chunk.data(), chunk.size());
    if (searching && search.feed(chunk.data(), chunk.size())) searching = false;
    if (utf8.broken() && !searching) break;
  }
  search.finish();
  if (!search.result()) return std::string(defaultValue);
  std::string value = *search.result();
  if (!utf8.valid()) return fromWindows1252(value);
  dropPartialCharacter(value);
  return value;
}

}  // namespace

std::string getPrivateProfileString(const Drive& drive, std::string_view section,
                                    std::string_view key, std::string_view defaultValue,
                                    std::string_view fileName) {
  detail::InputFile file;
  if (!file.open(drive, fileName)) return std::string(defaultValue);
  auto buffer = std::make_unique<char[]>(kChunk);
  return search(section, key, defaultValue, [&](std::string_view& chunk) -> std::optional<bool> {
    const std::int64_t n = file.read(buffer.get(), kChunk);
    if (n < 0) return std::nullopt;
    chunk = std::string_view(buffer.get(), static_cast<std::size_t>(n));
    return n > 0;
  });
}

std::string profileString(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view defaultValue) {
  bool given = false;
  return search(section, key, defaultValue, [&](std::string_view& chunk) -> std::optional<bool> {
    chunk = given ? std::string_view() : text;
    const bool more = !given && !text.empty();
    given = true;
    return more;
  });
}

}  // namespace os
