// What both systems share of an open folder: its path and its listing's storage.
#include "platform/Folder.h"

#include <algorithm>
#include <utility>

#include "platform/SystemError.h"

namespace os {
Folder::Folder(std::intptr_t handle, std::string path) noexcept
    : handle_(handle), path_(std::move(path)) {
  if (path_.size() > 1 && (path_.back() == '\\' || path_.back() == '/')) path_.pop_back();
}

Folder::~Folder() {
  close();
}

Folder::Folder(Folder&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)),
      path_(std::move(other.path_)),
      listed_(other.listed_),
      names_(std::move(other.names_)),
      entries_(std::move(other.entries_)),
      unlisted_(other.unlisted_),
      lastFound_(other.lastFound_) {}

Folder& Folder::operator=(Folder&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, -1);
    path_ = std::move(other.path_);
    listed_ = other.listed_;
    names_ = std::move(other.names_);
    entries_ = std::move(other.entries_);
    unlisted_ = other.unlisted_;
    lastFound_ = other.lastFound_;
  }
  return *this;
}

void Folder::close() noexcept {
  if (handle_ == -1) return;
  closeHandle(handle_);
  handle_ = -1;
}

std::size_t Folder::count() {
  if (!listed_) {
    listed_ = true;
    read();
    // The names holding "\" go last, in their order, past count().
    std::stable_partition(entries_.begin(), entries_.end(), [this](const Entry& e) {
      return std::string_view(names_).substr(e.nameStart, e.nameLength).find('\\') ==
             std::string_view::npos;
    });
  }
  return entries_.size() - unlisted_;
}

std::string_view Folder::name(std::size_t i) const noexcept {
  const Entry& e = entries_[i];
  return std::string_view(names_).substr(e.nameStart, e.nameLength);
}

void Folder::add(std::string_view entryName, std::uint32_t kind, std::uint64_t size) {
  if (entryName == "." || entryName == "..") return;
  if (entryName.find('\\') != std::string_view::npos) ++unlisted_;
  entries_.push_back({static_cast<std::uint32_t>(names_.size()),
                      static_cast<std::uint32_t>(entryName.size()), kind, size});
  names_.append(entryName).append(1, '\0');
}

bool Folder::isEntryName(std::string_view entryName) noexcept {
  return !entryName.empty() && entryName != "." && entryName != ".." &&
         entryName.find_first_of(std::string_view("\\/\0", 3)) == std::string_view::npos;
}

std::string Folder::checkedName(std::string_view entryName, std::string_view op) const {
  if (!isEntryName(entryName)) {
    std::string what(op);
    what += ' ';
    what += entryPath(entryName);
    what += " : ";
    what += errorText(error::InvalidName);
    throw SystemError(error::InvalidName, what);
  }
  return std::string(entryName);
}

std::string Folder::entryPath(std::string_view entryName) const {
  std::string p = path_;
  p += '\\';
  p += entryName;
  return p;
}

}  // namespace os
