#pragma once
// Another program holding the lock of the stored files of `folder` (an flock() of the folder
// itself) for 300 ms: `action`, run meanwhile, must wait for it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

template <typename Action>
void ExpectToWaitForLock(const std::filesystem::path& folder, Action&& action) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0) << folder;
  ASSERT_EQ(flock(fd, LOCK_EX), 0) << folder;
  std::thread unlock([fd] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::close(fd);
  });
  const auto start = std::chrono::steady_clock::now();
  action();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250)) << folder;
  unlock.join();
}
