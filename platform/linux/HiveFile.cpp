// Reading user.reg, and changing it under the hive's lock and Wine's.
#include "platform/linux/HiveFile.h"

#include <cerrno>

#include "platform/SystemError.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/HiveFailure.h"

namespace os::host {

bool readHiveFile(int folderFd, const std::string& shown, std::string& text, mode_t& mode) {
  if (readRegularAt(folderFd, kHiveName, text, static_cast<std::size_t>(-1), &mode)) return true;
  if (errno == ENOENT) return false;
  failHive("Base de registre illisible", shown, errno);
}

HiveChange::HiveChange(int folderFd, const std::string& prefix, const std::string& shown)
    : folderFd_(folderFd), prefix_(prefix), shown_(shown) {
  try {
    lock_.emplace(folderFd, shown);
  } catch (const StoreError& e) {
    if (e.code() == error::LockViolation) throw;
    failHive("Verrou de la base de registre impossible à prendre", shown, e.err());
  }
}

void HiveChange::lockWine() {
  if (!wine_) wine_.emplace(folderFd_, prefix_);
}

void HiveChange::save(std::string_view text, Existing existing) {
  lockWine();
  try {
    replaceLocked(folderFd_, kHiveName, text, shown_, existing);
  } catch (const StoreError& e) {
    failHive("Base de registre impossible à enregistrer", shown_, e.err());
  }
}

}  // namespace os::host
