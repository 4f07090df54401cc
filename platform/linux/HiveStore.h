#pragma once
// The hive of one drive, as its file user.reg holds it: read again at every call (and parsed
// again only when its text changed); every change is decided under the hive's lock, shared with
// other processes, on the hive as the file holds it at that moment. A change that changes
// something also holds Wine's own lock of the prefix (it is refused while a wineserver of the
// prefix runs: the server would write its own copy of the hive over ours), and is saved
// atomically before the locks are let go: no writer loses another's change. A change that
// changes nothing writes nothing, and takes no Wine lock.
#include <mutex>
#include <string>

#include "platform/linux/Hive.h"
#include "platform/linux/HiveFile.h"
#include "platform/linux/HiveText.h"

namespace os::host {

class HiveStore {
 public:
  // The hive of the prefix folder open as `prefixFd`, whose path is `prefix`.
  HiveStore(int prefixFd, std::string prefix)
      : prefixFd_(prefixFd), prefix_(std::move(prefix)), file_(prefix_ + "/" + kHiveName) {}

  // Held by every caller around current() and update().
  std::mutex mutex;

  // The hive as the file holds it now (a missing file is an empty hive); throws SystemError
  // when it is unreadable or corrupt.
  const Hive& current() {
    refresh();
    return hive_;
  }

  // Under the hive lock: when `changes` tells, on the hive as the file holds it, that the change
  // would change something, takes Wine's lock, reads the file again (a server that ended
  // meanwhile may have saved it), runs `apply` on it and saves the hive when `apply` returns
  // true. Throws SystemError; the file is then as it was.
  template <typename Changes, typename Apply>
  void update(Changes&& changes, Apply&& apply) {
    HiveChange change(prefixFd_, prefix_, file_);
    refresh();
    if (!changes(static_cast<const Hive&>(hive_))) return;
    change.lockWine();
    refresh();
    try {
      if (apply(hive_)) {
        std::string text = hiveText(hive_);
        change.save(text);
        text_ = std::move(text);
        missing_ = false;
      }
    } catch (...) {
      loaded_ = false;  // half changed, or not saved: read the file again next time
      throw;
    }
  }

 private:
  // Reads the file; parses it when its text changed.
  void refresh() {
    std::string text;
    mode_t mode = 0;
    if (!readHiveFile(prefixFd_, file_, text, mode)) {
      if (!(loaded_ && missing_)) {
        hive_ = Hive();
        text_.clear();
        missing_ = loaded_ = true;
      }
      return;
    }
    if (loaded_ && !missing_ && text == text_) return;
    loaded_ = false;
    hive_ = readHiveText(text, file_);
    text_ = std::move(text);
    missing_ = false;
    loaded_ = true;
  }

  int prefixFd_;
  std::string prefix_;
  std::string file_;  // user.reg's host path, for messages
  Hive hive_;
  std::string text_;  // the file's text `hive_` was read from or saved as
  bool missing_ = false;
  bool loaded_ = false;
};

}  // namespace os::host
