#pragma once
// A stand-in for a running wineserver of a prefix: a child process that holds the write lock on
// "lock" in the server folder (as Debian's Wine names it, in /tmp/<name>) and listens on
// "socket", until the object dies.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/linux/WineServer.h"

// The folder `folder` held open while the object lives, as a drive holds its prefix folder.
class HeldFolder {
 public:
  explicit HeldFolder(const std::filesystem::path& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  ~HeldFolder() {
    if (fd_ >= 0) ::close(fd_);
  }
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// The server folders of the prefix `prefix` (os::host::wineServerFolders).
inline std::vector<std::string> serverFolders(const std::filesystem::path& prefix) {
  return os::host::wineServerFolders(HeldFolder(prefix).fd());
}

class FakeWineServer {
 public:
  explicit FakeWineServer(const std::filesystem::path& prefix) {
    name_ = "tidora-test-wine-" + std::to_string(::getpid());
    std::ofstream(prefix / "wineserver") << name_ << "\n";
    folder_ = serverFolders(prefix).back();
    std::filesystem::create_directories(folder_);
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      const int fd = ::open((folder_ + "/lock").c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
      struct flock fl {};
      fl.l_type = F_WRLCK;
      fl.l_whence = SEEK_SET;
      const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      const std::string path = folder_ + "/socket";
      std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
      ::unlink(path.c_str());
      const bool ok = fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0 && s >= 0 &&
                      ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                      ::listen(s, 5) == 0;
      (void)!::write(ready[1], ok ? "1" : "0", 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char c = '0';
    started_ = pid_ > 0 && ::read(ready[0], &c, 1) == 1 && c == '1';
    ::close(ready[0]);
  }
  ~FakeWineServer() {
    stop();
    std::error_code ec;
    std::filesystem::remove_all("/tmp/" + name_, ec);
  }
  void stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  bool started() const { return started_; }
  pid_t pid() const { return pid_; }
  const std::string& folder() const { return folder_; }

 private:
  std::string name_;
  std::string folder_;
  pid_t pid_ = -1;
  bool started_ = false;
};
