#pragma once
// A stored file (options.ini, the help file, user.reg) is only ever replaced atomically, under a
// lock shared with every other process: the writer holds an exclusive flock() on the folder that
// holds the file from before it reads the file for a change until the new file has replaced it,
// and the new text goes to a temporary file of its own beside the file (created exclusively),
// written, flushed and renamed over it. No writer loses another's change; a reader sees the old
// file or the new one, whole; and nothing of the lock is left in the folder.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

#include "platform/SystemError.h"

namespace os::host {

// A stored file that could not be locked or replaced: the step that failed, and errno. Its
// message is "Ne peut enregistrer le fichier <file> : <why>"; a lock held past the wait has the
// code LockViolation and says so.
class StoreError : public SystemError {
 public:
  enum class Step { Lock, Create, Write, Replace };
  StoreError(Step step, int err, const std::string& what);
  Step step() const noexcept { return step_; }
  int err() const noexcept { return err_; }

 private:
  Step step_;
  int err_;
};

// Holds the lock of the stored files of the folder `folderFd` while it lives: an flock() of the
// folder itself, taken on a description of its own, so that it is held against every other lock
// object, in this process too. Where the file system keeps no such lock (NFS), the lock is a file
// of the user's runtime folder named after the folder's identity, never a file beside the
// stored one. A holder that keeps it longer than `attente` makes the wait fail rather than
// freeze the program. `shown` is the stored file's full path, for messages. Throws StoreError.
class StoreLock {
 public:
  static constexpr std::chrono::milliseconds kAttente{30000};
  StoreLock(int folderFd, const std::string& shown,
            std::chrono::milliseconds attente = kAttente);
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  int fd_ = -1;
};

// What becomes of a file already at the stored file's place.
enum class Existing {
  Replaced,          // whatever its permissions
  ReplacedUnlessReadOnly,  // a read-only file stays (EACCES), as Windows keeps it
  Kept,              // it stays, and nothing is written
};

// Replaces the file `name` of the folder `folderFd` by one holding `text`; the caller holds its
// StoreLock. The new files of `name` that saves cut short left there go first. The new file keeps the old one's permissions (a new one gets 0666 less the umask).
// A folder, a link or anything else than a regular file at `name` is never replaced (EISDIR,
// ELOOP, ENXIO). False when `existing` is Kept and a file is there. Throws StoreError: nothing
// is then left beside the file, and the file is as it was.
bool replaceLocked(int folderFd, const std::string& name, std::string_view text,
                   const std::string& shown, Existing existing = Existing::Replaced);

}  // namespace os::host
