// What only the Linux emulation does: attributes kept in an extended attribute, and the host's
// file-size limit seen as a full disk.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/xattr.h>

#include <csignal>
#include <filesystem>

#include "TempPrefix.h"
#include "platform/Attributes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace fs = std::filesystem;
using namespace os::attr;

namespace {

using EmulationTest = TempPrefix;

TEST_F(EmulationTest, HiddenAndSystemLiveInDosAttrib_Linux) {
  const fs::path file = makeFile("docs/a.txt");
  os::setFileAttributes("C:\\docs\\a.txt", ReadOnly | Hidden | System);
  char text[16] = {};
  ASSERT_GT(getxattr(file.c_str(), "user.DOSATTRIB", text, sizeof text - 1), 0);
  EXPECT_STREQ(text, "0x6");
  os::setFileAttributes("C:\\docs\\a.txt", 0);
  EXPECT_LT(getxattr(file.c_str(), "user.DOSATTRIB", text, sizeof text), 0);

  // The convention other tools write: "0x22" is hidden + archive.
  ASSERT_EQ(setxattr(file.c_str(), "user.DOSATTRIB", "0x22", 4, 0), 0);
  EXPECT_EQ(os::fileAttributes("C:\\docs\\a.txt"), Hidden | Archive);
}

TEST_F(EmulationTest, AWriteBeyondTheSizeLimitIsAFullDisk_Linux) {
  os::File f = os::File::create("C:\\big.bin");
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::uint32_t code = 0;
  std::string what;
  try {
    f.write(std::string(4000, 'x'));
  } catch (const os::SystemError& e) {
    code = e.code();
    what = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(code, os::error::DiskFull);
  EXPECT_NE(what.find("C:\\big.bin"), std::string::npos) << what;
}

}  // namespace
