// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ephemlib.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

class FileUtil : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "ephemlib-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  static void write(const std::string& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  static Bytes read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes szddHeader(uint32_t size) {
  Bytes b = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 't'};
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<unsigned char>(size >> (8 * k)));
  return b;
}

// A greedy LZSS encoder in the SZDD layout, so expansion can be checked on any data.
Bytes szdd(const Bytes& data) {
  Bytes out = szddHeader(static_cast<uint32_t>(data.size()));
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::size_t flagAt = out.size();
    out.push_back(0);
    for (int bit = 0; bit < 8 && pos < data.size(); ++bit) {
      std::size_t bestLength = 0, bestFrom = 0;
      const std::size_t earliest = pos > 4000 ? pos - 4000 : 0;
      for (std::size_t from = earliest; from < pos; ++from) {
        std::size_t n = 0;
        while (n < 18 && pos + n < data.size() && data[from + n] == data[pos + n]) ++n;
        if (n > bestLength) bestLength = n, bestFrom = from;
      }
      if (bestLength >= 3) {
        const std::size_t ring = (4078 + bestFrom) & 0xFFF;
        out.push_back(static_cast<unsigned char>(ring & 0xFF));
        out.push_back(static_cast<unsigned char>(((ring >> 4) & 0xF0) | (bestLength - 3)));
        pos += bestLength;
      } else {
        out[flagAt] |= static_cast<unsigned char>(1 << bit);
        out.push_back(data[pos++]);
      }
    }
  }
  return out;
}

TEST_F(FileUtil, CopyReplacesAnExistingDestinationByteForByte) {
  Bytes data(200000);
  std::mt19937 random(3);
  for (auto& b : data) b = static_cast<unsigned char>(random());
  write(path("source"), data);
  write(path("dest"), bytesOf(std::string(300000, 'x')));
  ::chmod(path("dest").c_str(), 0640);
  CopyFile(path("source").c_str(), path("dest").c_str());
  EXPECT_EQ(read(path("dest")), data);
  EXPECT_EQ(fs::status(path("dest")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  CopyFile(path("dest").c_str(), path("dest").c_str());  // onto itself: contents survive
  EXPECT_EQ(read(path("dest")), data);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2) << "no temporary left behind";
}

TEST_F(FileUtil, CopyExpandsSzddFiles) {
  std::string text;
  for (int k = 0; k < 300; ++k) text += "line " + std::to_string(k % 17) + " of the ephemeris\n";
  const struct {
    const char* name;
    Bytes compressed;
    Bytes expanded;
  } cases[] = {
      {"round trip", szdd(bytesOf(text)), bytesOf(text)},
      {"empty", szdd({}), {}},
      // One literal, then a reference into the window's initial spaces and one that overlaps
      // the bytes it is writing.
      {"window start and overlap",
       [] {
         Bytes b = szddHeader(1 + 5 + 6);
         Bytes body = {0x01, 'a', 0xEE, 0xF3, 0x00, 0x02};
         b.insert(b.end(), body.begin(), body.end());
         return b;
       }(),
       bytesOf("aaaaaaa     ")},
      {"magic too short is copied as it is", Bytes{'S', 'Z', 'D', 'D', 0x88},
       Bytes{'S', 'Z', 'D', 'D', 0x88}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write(path("packed"), c.compressed);
    CopyFile(path("packed").c_str(), path("plain").c_str());
    EXPECT_EQ(read(path("plain")), c.expanded);
  }
}

TEST_F(FileUtil, FailuresNameThePathAndTheSystemsReasonAndLeaveNoDestination) {
  const std::string missing = path("missing");
  try {
    CopyFile(missing.c_str(), path("dest").c_str());
    FAIL() << "no error raised";
  } catch (const EphemIoError& e) {
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos)
        << e.what();
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(path("dest")));

  write(path("source"), bytesOf("abc"));
  EXPECT_THROW(CopyFile(path("source").c_str(), path("no/such/dir/dest").c_str()), EphemIoError);

  // A compressed file cut short fails and leaves the old destination as it was.
  Bytes truncated = szdd(bytesOf(std::string(5000, 'q') + "tail"));
  truncated.resize(truncated.size() - 3);
  write(path("packed"), truncated);
  write(path("dest"), bytesOf("old"));
  EXPECT_THROW(CopyFile(path("packed").c_str(), path("dest").c_str()), EphemIoError);
  EXPECT_EQ(read(path("dest")), bytesOf("old"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 3) << "no temporary left behind";
}

// A destination that is a symbolic link is written through, as opening it for writing would: the
// link stays a link and its target gets the contents, whether the link is absolute or relative
// and whether the target lies in another directory.
TEST_F(FileUtil, CopyOntoASymlinkWritesItsTargetAndKeepsTheLink) {
  fs::create_directory(dir_ / "elsewhere");
  write(path("source"), bytesOf("new contents"));
  const struct {
    const char* name;
    std::string link;
    std::string linkText;
    std::string target;
  } cases[] = {
      {"absolute link", path("absolute"), path("elsewhere/target-a"), path("elsewhere/target-a")},
      {"relative link", path("relative"), "elsewhere/target-r", path("elsewhere/target-r")},
      {"link to a link", path("chain"), "absolute", path("elsewhere/target-a")},
      {"dangling link", path("dangling"), "elsewhere/target-d", path("elsewhere/target-d")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.link != path("dangling")) write(c.target, bytesOf("old"));
    if (!fs::is_symlink(c.link)) fs::create_symlink(c.linkText, c.link);
    CopyFile(path("source").c_str(), c.link.c_str());
    EXPECT_TRUE(fs::is_symlink(c.link)) << "the link itself was replaced";
    EXPECT_EQ(fs::read_symlink(c.link).string(), c.linkText);
    EXPECT_EQ(read(c.target), bytesOf("new contents"));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "elsewhere"), {}), 3)
      << "no temporary left beside the targets";
}

// A FIFO, a device node or a folder is neither read nor replaced: a FIFO without a writer would
// block the copy, a device would be read without end or swapped for a plain file.
TEST_F(FileUtil, NonRegularSourcesAndDestinationsAreRefusedAndKept) {
  write(path("source"), bytesOf("new"));
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  fs::create_directory(path("folder"));
  // The null device's numbers, in our own folder: harmless even where it is read or written.
  const bool device = ::mknod(path("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  const int mknodError = errno;
  for (const char* name : {"fifo", "folder", "device"}) {
    if (!fs::exists(fs::symlink_status(path(name)))) continue;
    SCOPED_TRACE(name);
    const fs::file_type type = fs::symlink_status(path(name)).type();
    // In a child with an alarm, so that a copy that blocks fails instead of hanging the run.
    EXPECT_EXIT(
        {
          ::alarm(10);
          try {
            CopyFile(path(name).c_str(), path("out").c_str());
          } catch (const EphemIoError&) {
            std::_Exit(0);
          }
          std::_Exit(1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_FALSE(fs::exists(path("out")));
    EXPECT_THROW(CopyFile(path("source").c_str(), path(name).c_str()), EphemIoError);
    EXPECT_EQ(fs::symlink_status(path(name)).type(), type) << "the destination was replaced";
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), device ? 4 : 3) << "no temporary";
  if (!device) GTEST_SKIP() << "mknod is not permitted here: " << std::strerror(mknodError);
}

TEST_F(FileUtil, ReadOnlyDestinationIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  write(path("source"), bytesOf("new"));
  write(path("dest"), bytesOf("old"));
  ::chmod(path("dest").c_str(), 0444);
  EXPECT_THROW(CopyFile(path("source").c_str(), path("dest").c_str()), EphemIoError);
  EXPECT_EQ(read(path("dest")), bytesOf("old"));
}

TEST_F(FileUtil, DirExistsWantsTheTrailingSeparatorAndADirectory) {
  write(path("file"), bytesOf("x"));
  const struct {
    std::string path;
    bool exists;
  } rows[] = {
      {"", false}, {dir_.string(), false},      {dir_.string() + "/", true},
      {"/", true}, {path("file") + "/", false}, {path("absent") + "/", false},
  };
  for (const auto& r : rows) EXPECT_EQ(DirExists(r.path.c_str()), r.exists) << "'" << r.path << "'";
  EXPECT_FALSE(DirExists(nullptr));
}

}  // namespace
