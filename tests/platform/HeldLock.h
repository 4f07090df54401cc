#pragma once
// Another program holding the lock file `lock` (flock) for 300 ms: `action`, run meanwhile, must
// wait for it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

template <typename Action>
void ExpectToWaitForLock(const std::filesystem::path& lock, Action&& action) {
  const int fd = ::open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(flock(fd, LOCK_EX), 0) << lock;
  std::thread unlock([fd] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::close(fd);
  });
  const auto start = std::chrono::steady_clock::now();
  action();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250)) << lock;
  unlock.join();
}
