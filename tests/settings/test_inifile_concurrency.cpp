// SPDX-License-Identifier: GPL-3.0-or-later
// Several processes writing one settings file: real processes, real files, synchronised with
// pipes and the lock itself, never with sleeps.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "settings/IniFile.h"
#include "settings/temp_config.h"

namespace fs = std::filesystem;

namespace {

// A writer process that waits for a byte on `start`, then writes keys K0..K<count-1> of
// `section`. Exits 0 when every write succeeded.
pid_t StartWriter(const std::string& section, int count, int start) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  char go = 0;
  if (::read(start, &go, 1) != 1) ::_exit(3);
  try {
    IniFile file;
    for (int i = 0; i < count; ++i) file.WriteInteger(section, "K" + std::to_string(i), i);
  } catch (...) {
    ::_exit(1);
  }
  ::_exit(0);
}

TEST(IniFileConcurrency, TwoWriterProcessesLoseNoUpdate) {
  // 2000 flushed writes take tens of seconds on a busy disk; this test is about the lock.
  TempConfig config(fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp");
  config.Write("; shared by two writers\n");
  constexpr int kWrites = 1000;
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  const pid_t first = StartWriter("First", kWrites, start[0]);
  const pid_t second = StartWriter("Second", kWrites, start[0]);
  ASSERT_EQ(::write(start[1], "go", 2), 2);  // both start together
  for (const pid_t pid : {first, second}) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
  }
  ::close(start[0]);
  ::close(start[1]);
  const IniDocument doc = IniFile().Read();
  int missing = 0;
  for (const char* section : {"First", "Second"}) {
    for (int i = 0; i < kWrites; ++i) {
      if (doc.ReadInteger(section, "K" + std::to_string(i), -1) != i) ++missing;
    }
  }
  EXPECT_EQ(missing, 0) << "updates lost";
  EXPECT_TRUE(config.Leftovers().empty());
}

// A writer killed while it holds the lock and has half written its temporary file: SIGXFSZ,
// raised by the kernel when the write crosses the child's file-size limit, kills it there.
TEST(IniFileConcurrency, AWriterKilledMidWriteLeavesTheFileWholeAndItsLitterIsCleared) {
  TempConfig config;
  const std::string before = "[Show]\nTop=1\n; " + std::string(3000, '-') + "\n";
  config.Write(before);
  const ChildOutcome child = RunInChild([]() -> std::string {
    const rlimit noCore{0, 0};
    const rlimit limit{1024, 1024};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_DFL);
    IniFile().WriteInteger("Show", "Top", 2);
    return "the write finished";
  });
  ASSERT_EQ(child.signal, SIGXFSZ) << child.message;
  ASSERT_EQ(config.Leftovers().size(), 1u) << "the killed writer's temporary file";
  EXPECT_EQ(config.Contents(), before);

  IniFile().WriteInteger("Show", "Left", 5);  // the lock died with its holder
  EXPECT_EQ(config.Contents(), "[Show]\nTop=1\nLeft=5\n; " + std::string(3000, '-') + "\n");
  EXPECT_TRUE(config.Leftovers().empty()) << config.Leftovers().front();
}

// Whether /proc/locks shows a process waiting for an flock on the file with this inode.
bool SomeoneWaitsForLock(ino_t inode) {
  std::ifstream locks("/proc/locks");
  const std::string mark = ":" + std::to_string(inode) + " ";
  for (std::string line; std::getline(locks, line);) {
    if (line.find("->") != std::string::npos && line.find(mark) != std::string::npos) return true;
  }
  return false;
}

// Another writer is in the middle of its write: it holds the lock and its temporary file exists.
// A write now must wait for it and must not take its temporary file for litter; once that writer
// is gone without finishing, its file is litter and the write clears it.
TEST(IniFileConcurrency, ALiveWritersTemporaryFileIsLeftAlone) {
  if (!fs::exists("/proc/locks")) GTEST_SKIP() << "no /proc/locks to see a waiting writer";
  TempConfig config;
  config.Write("[Show]\nTop=1\n");
  const fs::path lockPath = config.Dir() / ".helidial.ini.lock";
  int locked[2];
  int release[2];
  ASSERT_EQ(::pipe(locked), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CREAT, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
    std::ofstream(config.Dir() / (".helidial.ini.tmp-" + std::to_string(::getpid()) + "-0"))
        << "[Show]\nTop=";
    char byte = 0;
    if (::write(locked[1], "x", 1) != 1 || ::read(release[0], &byte, 1) < 0) ::_exit(1);
    ::_exit(0);  // dies mid-write: the temporary file stays
  }
  char byte = 0;
  ASSERT_EQ(::read(locked[0], &byte, 1), 1);
  const fs::path temporary = config.Dir() / (".helidial.ini.tmp-" + std::to_string(holder) + "-0");
  struct stat lockStat {};
  ASSERT_EQ(::stat(lockPath.c_str(), &lockStat), 0);

  std::atomic<bool> done{false};
  std::string failure;
  std::thread writer([&] {
    try {
      IniFile().WriteInteger("Show", "Left", 5);
    } catch (const std::exception& e) {
      failure = e.what();
    }
    done = true;
  });
  // Bounded, so a kernel that does not list waiters fails here instead of spinning for ever.
  bool waiting = false;
  for (long spins = 0; !done && !waiting && spins < 2'000'000; ++spins) {
    waiting = SomeoneWaitsForLock(lockStat.st_ino);
    if (!waiting) ::sched_yield();
  }
  EXPECT_FALSE(done) << "the write did not wait for the writer holding the lock";
  EXPECT_TRUE(waiting);
  EXPECT_TRUE(fs::exists(temporary)) << "a live writer's temporary file was removed";

  ASSERT_EQ(::write(release[1], "x", 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(holder, &status, 0), holder);
  writer.join();
  EXPECT_EQ(failure, "");
  EXPECT_EQ(config.Contents(), "[Show]\nTop=1\nLeft=5\n");
  EXPECT_FALSE(fs::exists(temporary)) << "a dead writer's temporary file was kept";
  for (int fd : {locked[0], locked[1], release[0], release[1]}) ::close(fd);
}

}  // namespace
