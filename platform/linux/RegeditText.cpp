// The regedit text format ("Windows Registry Editor Version 5.00") read into a hive: [key]
// sections under HKEY_CURRENT_USER, "name"=value lines in the value forms of Wine's format.
#include <string>
#include <string_view>

#include "platform/common/CaseFold.h"
#include "platform/linux/HiveText.h"
#include "platform/linux/WineText.h"

namespace os::host {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

class RegeditReader {
 public:
  RegeditReader(std::string_view text, std::string_view fileName) : text_(text), file_(fileName) {
    if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
  }

  Hive run() {
    bool header = false;
    std::string_view line;
    while (nextLine(line)) {
      if (line.empty() || line[0] == ';') continue;
      if (!header) {
        if (line != kHeader) {
          bad("ce n'est pas un fichier de registre (\"" + std::string(kHeader) + "\" attendu)");
        }
        header = true;
      } else if (line[0] == '[') {
        key_ = &hive_.append(keyPath(line));
        key_->touch();  // written afresh, in Wine's format
      } else {
        if (key_ == nullptr) bad("valeur hors de toute clé");
        value(line);
      }
    }
    if (!header) bad("fichier vide");
    return std::move(hive_);
  }

 private:
  // The next line, trimmed.
  bool nextLine(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = trim(text_.substr(pos_, end - pos_));
    pos_ = end + 1;
    ++line_;
    return true;
  }

  [[noreturn]] void bad(const std::string& problem) const { failHiveText(file_, line_, problem); }

  std::string keyPath(std::string_view line) {
    if (line.back() != ']') bad("nom de clé sans « ] » final");
    const std::string_view name = line.substr(1, line.size() - 2);
    if (name.starts_with("-")) bad("la suppression de clés n'est pas prise en charge");
    if (name.size() < kRoot.size() || !equalsIgnoreCase(name.substr(0, kRoot.size()), kRoot) ||
        (name.size() > kRoot.size() && name[kRoot.size()] != '\\')) {
      bad("clé hors de HKEY_CURRENT_USER");
    }
    return std::string(name.substr(kRoot.size()));
  }

  void value(std::string_view line) {
    std::size_t i = 1;
    std::string name;
    if (line[0] == '"') {
      if (!parseWineEscaped(line, i, '"', name)) bad("nom de valeur sans « \" » final");
      ++i;
    } else if (line[0] != '@') {
      bad("nom de valeur attendu");
    }
    const std::string_view rest = trim(line.substr(i));
    if (!rest.starts_with("=")) bad("« = » attendu après le nom de la valeur");
    const std::string_view data = trim(rest.substr(1));
    if (data == "-") bad("la suppression de valeurs n'est pas prise en charge");
    RegistryValue v;
    const char* problem = parseValueData(data, v, [this](std::string_view& l) { return nextLine(l); });
    if (problem != nullptr) bad(problem);
    key_->set(name, std::move(v));  // a name given twice keeps its first place and last data
  }

  std::string_view text_;
  std::string_view file_;
  std::size_t pos_ = 0;
  std::size_t line_ = 0;
  Hive hive_;
  HiveKey* key_ = nullptr;
};

}  // namespace

Hive readRegeditHive(std::string_view text, std::string_view fileName) {
  return RegeditReader(text, fileName).run();
}

}  // namespace os::host
