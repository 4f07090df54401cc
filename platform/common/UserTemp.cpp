// The user's temporary folder as a profile's registry names it: the TEMP (else TMP) value of
// HKCU\Environment, its %variables% taken from the profile's environment.
#include "platform/common/UserTemp.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/NameCase.h"
#include "platform/PathNames.h"
#include "platform/Registry.h"

namespace os::host {
namespace {

constexpr int kProfondeur = 4;  // a variable naming a variable, and so on, at most this deep

// A text value of `key`, up to its first NUL; nothing when it is missing or not text.
std::optional<std::string> text(const std::optional<RegistryKey>& key, std::string_view name) {
  if (!key) return std::nullopt;
  const std::optional<RegistryValue> v = key->query(name);
  if (!v || (v->type != reg::Sz && v->type != reg::ExpandSz)) return std::nullopt;
  return v->data.substr(0, v->data.find('\0'));
}

class Environment {
 public:
  explicit Environment(const Drive& drive)
      : drive_(drive),
        volatile_(drive.openKey("\\Volatile Environment")),
        user_(drive.openKey("\\Environment")) {}

  std::optional<std::string> value(std::string_view name) const {
    if (auto v = text(volatile_, name)) return v;
    if (auto v = text(user_, name)) return v;
    if (sameName(name, "SystemDrive")) return std::string("C:");
    if (sameName(name, "SystemRoot") || sameName(name, "windir")) return drive_.windowsDirectory();
    if (sameName(name, "USERPROFILE")) return profile();
    return std::nullopt;
  }

  // `raw` with each %NAME% replaced by its value; nothing when one is unknown.
  std::optional<std::string> expand(const std::string& raw, int depth = 0) const {
    if (depth > kProfondeur) return std::nullopt;
    std::string out;
    std::size_t at = 0;
    while (at < raw.size()) {
      const std::size_t open = raw.find('%', at);
      if (open == std::string::npos) break;
      const std::size_t close = raw.find('%', open + 1);
      if (close == std::string::npos) break;
      out.append(raw, at, open - at);
      const std::optional<std::string> v = value(raw.substr(open + 1, close - open - 1));
      if (!v) return std::nullopt;
      const std::optional<std::string> inner = expand(*v, depth + 1);
      if (!inner) return std::nullopt;
      out += *inner;
      at = close + 1;
    }
    out.append(raw, at, std::string::npos);
    return out;
  }

 private:
  // The profile's folder when the environment does not name it: HOMEDRIVE and HOMEPATH.
  std::optional<std::string> profile() const {
    const std::optional<std::string> driveName = value("HOMEDRIVE");
    const std::optional<std::string> path = value("HOMEPATH");
    if (driveName && path && !path->empty()) return *driveName + *path;
    return std::nullopt;
  }

  const Drive& drive_;
  std::optional<RegistryKey> volatile_;
  std::optional<RegistryKey> user_;
};

// "X:" and the names of `path` with "." and ".." resolved (never above the drive), "\" between
// them, no final "\".
std::string resolved(std::string_view path) {
  std::string out(path.substr(0, 2));
  for (const std::string_view name : pathNames(path.substr(2))) out.append(1, '\\').append(name);
  if (out.size() == 2) out += '\\';
  return out;
}

}  // namespace

bool looksTemporary(std::string_view path) {
  // The last name, then the one before it ("...\Temp\2" in a terminal session).
  for (int k = 0; k < 2; ++k) {
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos) return false;
    const std::string_view name = path.substr(cut + 1);
    if (sameName(name, "Temp") || sameName(name, "Tmp")) return true;
    path = path.substr(0, cut);
  }
  return false;
}

std::optional<std::string> userTempFromRegistry(const Drive& drive) {
  const Environment environment(drive);
  std::optional<std::string> raw = environment.value("TEMP");
  if (!raw || raw->empty()) raw = environment.value("TMP");
  if (!raw || raw->empty()) return std::nullopt;
  const std::optional<std::string> expanded = environment.expand(*raw);
  // Only a full path of drive C: anything else names no folder the drive holds.
  if (!expanded || expanded->size() < 4 || (*expanded)[1] != ':' ||
      ((*expanded)[0] | 0x20) != 'c' || ((*expanded)[2] != '\\' && (*expanded)[2] != '/')) {
    return std::nullopt;
  }
  // Judged by the folder it names once "." and ".." are resolved ("Temp\.." is the profile).
  const std::string path = resolved(*expanded);
  if (!looksTemporary(path)) return std::nullopt;
  return path;
}

}  // namespace os::host
