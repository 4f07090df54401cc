// The hive in memory: keys one name per level, values indexed on their folded names.
#include "platform/linux/Hive.h"

#include <time.h>

#include <algorithm>
#include <unordered_set>

#include "platform/SystemError.h"
#include "platform/common/CaseFold.h"

namespace os::host {
namespace {

// From this many sub-keys or values on, a key indexes them.
constexpr std::size_t kIndexed = 8;

constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::uint64_t kEpoch1970 = 116444736000000000ULL;  // 1970-01-01 as a FILETIME

}  // namespace

// ---- HiveKey

std::string HiveKey::path() const {
  std::vector<const HiveKey*> chain;
  for (const HiveKey* k = this; k->parent_ != nullptr; k = k->parent_) chain.push_back(k);
  std::string out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!out.empty()) out += '\\';
    out += (*it)->name_;
  }
  return out;
}

std::size_t HiveKey::indexOf(std::string_view name) const {
  if (valueIndex_) {
    const auto it = valueIndex_->find(foldedCopy(name));
    return it == valueIndex_->end() ? std::string::npos : it->second;
  }
  for (std::size_t i = values_.size(); i-- > 0;) {
    if (equalsIgnoreCase(values_[i].name, name)) return i;
  }
  return std::string::npos;
}

const HiveValue* HiveKey::find(std::string_view name) const {
  const std::size_t i = indexOf(name);
  return i == std::string::npos ? nullptr : &values_[i];
}

bool HiveKey::holdsAny(const std::vector<std::string>& names) const {
  return std::any_of(names.begin(), names.end(),
                     [this](const std::string& n) { return indexOf(n) != std::string::npos; });
}

void HiveKey::touch() {
  touched_ = true;
  implied_ = false;
  modified_ = fileTimeNow();
}

void HiveKey::set(std::string_view name, RegistryValue value) {
  touch();
  if (const std::size_t i = indexOf(name); i != std::string::npos) {
    values_[i].value = std::move(value);
    values_[i].lines = {};  // its lines are written afresh; comments before it stay
    return;
  }
  HiveValue v;
  v.name = std::string(name);
  v.value = std::move(value);
  append(std::move(v));
}

void HiveKey::append(HiveValue value) {
  if (valueIndex_) {
    auto [it, added] = valueIndex_->try_emplace(foldedCopy(value.name), values_.size());
    if (!added) {
      it->second = values_.size();
      superseded_ = true;
    }
  } else if (!superseded_) {
    for (const HiveValue& v : values_) {
      if (equalsIgnoreCase(v.name, value.name)) {
        superseded_ = true;
        break;
      }
    }
  }
  values_.push_back(std::move(value));
  if (!valueIndex_ && values_.size() >= kIndexed) reindex();
}

std::size_t HiveKey::erase(const std::vector<std::string>& names) {
  std::vector<bool> gone(values_.size(), false);
  std::size_t count = 0;
  if (valueIndex_) {
    for (const std::string& name : names) {
      const std::size_t i = indexOf(name);
      if (i != std::string::npos && !gone[i]) gone[i] = true, ++count;
    }
  } else {
    for (std::size_t i = 0; i < values_.size(); ++i) {
      const bool named = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
        return equalsIgnoreCase(values_[i].name, n);
      });
      if (named) gone[i] = true, ++count;
    }
  }
  if (count == 0) return 0;
  removeValues(gone);
  touch();
  return count;
}

void HiveKey::dropSuperseded() {
  if (!superseded_) return;
  superseded_ = false;
  // The last value of each name stays (as Wine reads it): walked from the end.
  std::vector<bool> gone(values_.size(), false);
  std::unordered_set<std::string> seen;
  for (std::size_t i = values_.size(); i-- > 0;) {
    if (!seen.insert(foldedCopy(values_[i].name)).second) gone[i] = true;
  }
  removeValues(gone);
  rewritten_ = true;
}

void HiveKey::removeValues(const std::vector<bool>& gone) {
  // Comment lines before a removed value stay where they were: before the next value kept, or
  // at the end of the key.
  std::vector<Span> kept;
  std::size_t out = 0;
  for (std::size_t i = 0; i < values_.size(); ++i) {
    HiveValue& v = values_[i];
    if (gone[i]) {
      kept.insert(kept.end(), v.moved.begin(), v.moved.end());
      if (!v.before.empty()) kept.push_back(v.before);
      continue;
    }
    if (!kept.empty()) {
      v.moved.insert(v.moved.begin(), kept.begin(), kept.end());
      kept.clear();
    }
    if (out != i) values_[out] = std::move(v);
    ++out;
  }
  values_.resize(out);
  place_.tailMoved.insert(place_.tailMoved.begin(), kept.begin(), kept.end());
  reindex();
}

void HiveKey::reindex() {
  if (values_.size() < kIndexed) {
    valueIndex_.reset();
    return;
  }
  valueIndex_ = std::make_unique<std::unordered_map<std::string, std::size_t>>();
  valueIndex_->reserve(values_.size());
  for (std::size_t i = 0; i < values_.size(); ++i) {
    (*valueIndex_)[foldedCopy(values_[i].name)] = i;
  }
}

// ---- Hive

Hive::Hive() {
  auto root = std::make_unique<HiveKey>();
  root->implied_ = true;
  root_ = root.get();
  keys_.push_back(std::move(root));
}

HiveKey* Hive::child(const HiveKey& parent, std::string_view name) const {
  if (parent.childIndex_) {
    const auto it = parent.childIndex_->find(foldedCopy(name));
    return it == parent.childIndex_->end() ? nullptr : it->second;
  }
  for (HiveKey* c : parent.children_) {
    if (equalsIgnoreCase(c->name_, name)) return c;
  }
  return nullptr;
}

HiveKey& Hive::addChild(HiveKey& parent, std::string_view name, std::size_t position,
                        bool implied) {
  auto key = std::make_unique<HiveKey>();
  HiveKey* raw = key.get();
  raw->name_ = std::string(name);
  raw->parent_ = &parent;
  raw->implied_ = implied;
  raw->position_ = position;
  parent.children_.push_back(raw);
  if (parent.childIndex_) {
    parent.childIndex_->emplace(foldedCopy(name), raw);
  } else if (parent.children_.size() >= kIndexed) {
    parent.childIndex_ = std::make_unique<std::unordered_map<std::string, HiveKey*>>();
    for (HiveKey* c : parent.children_) parent.childIndex_->emplace(foldedCopy(c->name_), c);
  }
  if (position == keys_.size()) {
    keys_.push_back(std::move(key));
  } else {
    keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(position), std::move(key));
    renumber(position + 1);
  }
  return *raw;
}

void Hive::renumber(std::size_t from) {
  for (std::size_t i = from; i < keys_.size(); ++i) {
    if (keys_[i]) keys_[i]->position_ = i;
  }
}

std::size_t Hive::treePosition(const HiveKey& parent) const {
  // The keys right after the parent whose parent is the parent or one of them.
  std::unordered_set<const HiveKey*> subtree{&parent};
  std::size_t at = parent.position_ + 1;
  while (at < keys_.size() && subtree.count(keys_[at]->parent_) != 0) subtree.insert(keys_[at++].get());
  return at;
}

HiveKey* Hive::find(std::string_view path) const {
  HiveKey* key = root_;
  for (const std::string_view name : keyNames(path)) {
    key = child(*key, name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

HiveKey& Hive::create(std::string_view path, bool& created) {
  created = false;
  HiveKey* key = root_;
  const std::vector<std::string_view> names = keyNames(path);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (HiveKey* c = child(*key, names[i])) {
      key = c;
      continue;
    }
    const bool last = i + 1 == names.size();
    key = &addChild(*key, names[i], treePosition(*key), !last);
    key->touched_ = true;
    key->modified_ = fileTimeNow();
    created = last;
  }
  return *key;
}

HiveKey& Hive::append(std::string_view path) {
  HiveKey* key = root_;
  for (const std::string_view name : keyNames(path)) {
    HiveKey* c = child(*key, name);
    key = c != nullptr ? c : &addChild(*key, name, keys_.size(), true);
  }
  key->implied_ = false;
  return *key;
}

// ---- Paths and times

std::vector<std::string_view> keyNames(std::string_view path) {
  std::vector<std::string_view> names;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find('\\', i);
    if (j == std::string_view::npos) j = path.size();
    if (j > i) names.push_back(path.substr(i, j - i));
    i = j + 1;
  }
  return names;
}

std::string normaliseKeyPath(std::string_view path) {
  if (path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    throw SystemError(error::InvalidParameter,
                      "Nom de clé de registre refusé (saut de ligne ou caractère nul) : " +
                          std::string(path));
  }
  std::string out;
  for (const std::string_view name : keyNames(path)) {
    if (!out.empty()) out += '\\';
    out += name;
  }
  return out;
}

std::uint64_t fileTimeNow() noexcept {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return kEpoch1970 + static_cast<std::uint64_t>(ts.tv_sec) * kTicksPerSecond +
         static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

}  // namespace os::host
