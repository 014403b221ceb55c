// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#include "settings/IniFile.h"
#include "settings/temp_config.h"

namespace fs = std::filesystem;

namespace {

TEST(IniInteger, AcceptedFormsAndRejects) {
  struct Row {
    const char* text;
    std::optional<std::int32_t> value;
  } rows[] = {
      {"0", 0},
      {"31", 31},
      {"+7", 7},
      {"-12", -12},
      {"0x1F", 31},
      {"0X1f", 31},
      {"$1F", 31},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"00000000000000000042", 42},
      {"2147483648", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"$100000000", std::nullopt},
      {"31abc", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"-$10", std::nullopt},
      {"1 2", std::nullopt},
      {"1e3", std::nullopt},
      {"1.0", std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(ParseIniInteger(r.text), r.value) << '"' << r.text << '"';
}

#define BOM "\xEF\xBB\xBF"

TEST(IniDocument, ByteOrderMarkAndLineEndingsOfEveryKind) {
  struct Row {
    std::string before;
    int top;  // what Show/Top reads before the write
    std::string after;
  } rows[] = {
      {BOM "[Show]\nTop=5\n", 5, BOM "[Show]\nTop=5\nLeft=3\n"},
      {BOM, 0, BOM "[Show]\nLeft=3\n"},
      {"[Show]\rTop=5\r; end\r", 5, "[Show]\rTop=5\rLeft=3\r; end\r"},
      {"[Show]\rTop=5\r\n", 5, "[Show]\rTop=5\r\nLeft=3\r"},
      {"[Show]\r\nTop=5", 5, "[Show]\r\nTop=5\r\nLeft=3\r\n"},
      {"; a\r\r\n[Show]\r\n", 0, "; a\r\r\n[Show]\r\nLeft=3\r"},
      {"[Other]\rA=1", 0, "[Other]\rA=1\r\r[Show]\rLeft=3\r"},
      {"[Other]\nA=1\n  ", 0, "[Other]\nA=1\n  \n[Show]\nLeft=3\n"},
      {"[Show]\nTop=5\n\n; next\n[Show]\nLeft=9\n", 5,
       "[Show]\nTop=5\nLeft=3\n\n; next\n[Show]\nLeft=9\n"},
  };
  for (const Row& r : rows) {
    IniDocument doc = IniDocument::Parse(r.before);
    EXPECT_EQ(doc.Serialize(), r.before);
    EXPECT_EQ(doc.ReadInteger("show", "TOP", 0), r.top) << r.before;
    doc.Set("Show", "Left", "3");
    EXPECT_EQ(doc.Serialize(), r.after) << r.before;
    EXPECT_EQ(IniDocument::Parse(doc.Serialize()).ReadInteger("Show", "Left", 0), 3) << r.before;
  }
}

TEST(IniDocument, ThousandsOfKeysStayFoundWhileEarlierLinesChangeLength) {
  // Sections without blank lines between them: each new key goes right before the next header.
  IniDocument doc = IniDocument::Parse("[S0]\n[S1]\n[S2]\n[S3]\n[S4]\n[S5]\n[S6]");
  auto value = [](int i, bool rewritten) {
    return rewritten ? std::string(static_cast<std::size_t>(i % 5), 'x') : std::to_string(i);
  };
  for (int i = 0; i < 3000; ++i) {
    doc.Set("S" + std::to_string(i % 7), "K" + std::to_string(i), value(i, false));
  }
  for (int i = 0; i < 3000; i += 2) {
    doc.Set("s" + std::to_string(i % 7), "k" + std::to_string(i), value(i, true));
  }
  const IniDocument reparsed = IniDocument::Parse(doc.Serialize());
  for (int i = 0; i < 3000; ++i) {
    const std::string section = "S" + std::to_string(i % 7);
    const std::string key = "K" + std::to_string(i);
    ASSERT_EQ(doc.ReadString(section, key, "?"), value(i, i % 2 == 0)) << key;
    ASSERT_EQ(reparsed.ReadString(section, key, "?"), value(i, i % 2 == 0)) << key;
  }
}

// Measured in a child process, so the figure is the parse's alone.
TEST(IniDocument, MemoryStaysASmallMultipleOfTheText) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's own bookkeeping would be measured too";
#endif
  constexpr std::size_t kText = 50u << 20;
  const ChildOutcome outcome = RunInChild([] {
    const std::string blankLines(kText, '\n');
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    const IniDocument doc = IniDocument::Parse(blankLines);
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    const long grownMB = (after.ru_maxrss - before.ru_maxrss) / 1024;
    if (doc.Find("a", "b")) return std::string("found a key in blank lines");
    return grownMB > 100 ? "parsing 50 MB took " + std::to_string(grownMB) + " MB" : "";
  });
  EXPECT_EQ(outcome.message, "");
}

TEST(IniFileRead, ProfileSemanticsOnAHandEditedFile) {
  TempConfig config;
  config.Write(
      "orphan=before any section\r\n"
      "; comment=not a key\r\n"
      "[Place]\r\n"
      "  LATD =  51  \r\n"
      "latd=99\r\n"
      "Expr = a=b=c\r\n"
      "# Hash=comment\r\n"
      "Empty=\r\n"
      "[ show ]\r\n"
      "HelioCentric=1\r\n"
      "[place]\r\n"
      "LongD=7\r\n"
      "[Long]\r\n"
      "Value=" +
      std::string(1500, 'x') + "  ");
  const IniFile file;
  EXPECT_EQ(file.Path(), config.IniPath());
  EXPECT_EQ(file.ReadString("place", "latd", "?"), "51") << "first key, any case, trimmed";
  EXPECT_EQ(file.ReadString("Place", "Expr", "?"), "a=b=c");
  EXPECT_EQ(file.ReadString("Place", "Empty", "?"), "");
  EXPECT_EQ(file.ReadString("Place", "; comment", "?"), "?");
  EXPECT_EQ(file.ReadString("Place", "# Hash", "?"), "?");
  EXPECT_EQ(file.ReadString("", "orphan", "?"), "?");
  EXPECT_EQ(file.ReadString("Show", "heliocentric", "?"), "1");
  EXPECT_EQ(file.ReadString("Place", "LongD", "?"), "?") << "a repeated section is not searched";
  EXPECT_EQ(file.ReadString("Long", "Value", ""), std::string(kIniValueLimit, 'x'));
  EXPECT_EQ(file.ReadInteger("Place", "LatD", 0), 51);
  EXPECT_EQ(file.ReadInteger("Place", "Expr", -3), -3);
  EXPECT_TRUE(file.ReadBool("Show", "HelioCentric", false));
  EXPECT_TRUE(file.ReadBool("Show", "Missing", true));
}

TEST(IniFileRead, MissingFileReadsDefaultsAndCreatesNothing) {
  TempConfig config;
  const IniFile file;
  EXPECT_EQ(file.ReadInteger("Show", "Top", 1), 1);
  EXPECT_FALSE(fs::exists(config.IniPath()));
}

TEST(IniFileWrite, KeepsEveryOtherByteOfAHandEditedFile) {
  TempConfig config;
  const std::string before =
      "; my clock\r\n"
      "\r\n"
      "[Setting]\r\n"
      "   Glyphs   =   2   \r\n"
      "Unknown=kept\r\n"
      "\r\n"
      "; place follows\r\n"
      "[Place]\r\n"
      "LatD=51";
  config.Write(before);
  IniFile file;
  file.WriteInteger("SETTING", "glyphs", 1);
  file.WriteInteger("Setting", "Houses", 2);
  file.WriteInteger("Place", "LatM", 30);
  file.WriteBool("VOC", "Do30", false);
  EXPECT_EQ(config.Contents(),
            "; my clock\r\n"
            "\r\n"
            "[Setting]\r\n"
            "   Glyphs   =   1\r\n"
            "Unknown=kept\r\n"
            "Houses=2\r\n"
            "\r\n"
            "; place follows\r\n"
            "[Place]\r\n"
            "LatD=51\r\n"
            "LatM=30\r\n"
            "\r\n"
            "[VOC]\r\n"
            "Do30=0\r\n");
}

TEST(IniFileWrite, CreatesFolderAndFileAndReplacesKeysOfAnySpelling) {
  TempConfig config;
  IniFile file(config.Dir() / "a" / "b" / "helidial.ini");
  file.WriteInteger("Show", "HelioCentric", 0);
  file.WriteInteger("Show", "Heliocentric", 1);
  file.WriteString("Show", "Text", "1\nInjected=1");
  EXPECT_EQ(file.ReadInteger("show", "HELIOCENTRIC", -1), 1);
  EXPECT_EQ(file.ReadString("Show", "Injected", "absent"), "absent");
  EXPECT_EQ(file.Read().Serialize(), "[Show]\nHelioCentric=1\nText=1 Injected=1\n");
}

TEST(IniFileWrite, RewritingAValueWithALeadingBlankDoesNotGrowTheLine) {
  TempConfig config;
  IniFile file(config.Dir() / "helidial.ini");
  for (int i = 0; i < 5; ++i) file.WriteString("Natal", "Planet1", " 1.23500000000000E+0002");
  file.WriteString("Natal", "Planet2", "7");
  file.WriteString("Natal", "Planet2", "8");
  EXPECT_EQ(file.Read().Serialize(), "[Natal]\nPlanet1= 1.23500000000000E+0002\nPlanet2=8\n");
}

TEST(IniFileWrite, NamesThatCannotBeStoredAreRejected) {
  TempConfig config;
  IniFile file;
  EXPECT_THROW(file.WriteString("Bad]", "Key", "1"), std::invalid_argument);
  EXPECT_THROW(file.WriteString("Show", "A=B", "1"), std::invalid_argument);
  EXPECT_THROW(file.WriteString("Show", " ", "1"), std::invalid_argument);
  EXPECT_FALSE(fs::exists(config.IniPath()));
}

void ExpectRefused(IniFile& file, const fs::path& path) {
  try {
    file.WriteInteger("Show", "Top", 123456);
    ADD_FAILURE() << "write was not refused";
  } catch (const IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path.string());
  }
}

TEST(IniFileWrite, RefusedByFileSizeLimitKeepsOldFileAndLeavesNoTemporary) {
  TempConfig config;
  const std::string before = "[Show]\nTop=1\n; " + std::string(200, '-') + "\n";
  config.Write(before);
  IniFile file;
  {
    FileSizeLimit limit(64);
    ExpectRefused(file, config.IniPath());
  }
  EXPECT_EQ(config.Contents(), before);
  EXPECT_TRUE(config.Leftovers().empty()) << "the temporary file must be removed";
  file.WriteInteger("Show", "Left", 2);  // the limit is gone again
  EXPECT_EQ(file.ReadInteger("Show", "Left", 0), 2);
  EXPECT_EQ(file.ReadInteger("Show", "Top", 0), 1) << "the refused value must not come back";
}

TEST(IniFileWrite, AnUpdateWritesAllItsKeysAsTheWritesOneByOneWouldOrNone) {
  TempConfig config;
  const std::string hand = "; mine\r\n[Show]\r\nTop = 1\r\n\r\n[Place]\r\nLatD=5";
  const auto change = [](IniDocument& d) {
    d.Set("Show", "Top", "2");
    d.Set("Show", "Left", "3");
    d.Set("New", "Key", "x");
    d.Set("place", "latd", "6");
  };
  config.Write(hand);
  IniFile file;
  file.WriteString("Show", "Top", "2");
  file.WriteString("Show", "Left", "3");
  file.WriteString("New", "Key", "x");
  file.WriteString("place", "latd", "6");
  const std::string oneByOne = config.Contents();
  config.Write(hand);
  file.Update(change);
  EXPECT_EQ(config.Contents(), oneByOne);

  config.Write(hand);
  EXPECT_THROW(file.Update([](IniDocument& d) {
    d.Set("Show", "Top", "9");
    d.Set("Show", "bad=key", "1");
  }),
               std::invalid_argument);
  EXPECT_EQ(config.Contents(), hand);
  file.WriteString("Show", "Left", "4");
  EXPECT_EQ(file.ReadInteger("Show", "Top", 0), 1) << "the failed update's key must not come back";
}

TEST(IniFileWrite, RefusedWhenAPlainFileStandsWhereTheFolderShouldBe) {
  TempConfig config;
  const fs::path blocker = config.Dir() / "blocker";
  std::ofstream(blocker) << "not a folder";
  const fs::path path = blocker / "sub" / "helidial.ini";
  IniFile file(path);
  ExpectRefused(file, path);
  EXPECT_EQ(fs::file_size(blocker), 12u);
}

TEST(IniFileWrite, KeepsPermissionsAndSymbolicLinks) {
  TempConfig config;
  const fs::path real = config.Dir() / "dotfiles" / "helidial.ini";
  fs::create_directories(real.parent_path());
  std::ofstream(real) << "[Show]\nTop=1\n";
  ::chmod(real.c_str(), 0600);
  fs::create_symlink(real, config.IniPath());
  IniFile file;
  file.WriteInteger("Show", "Top", 5);
  EXPECT_TRUE(fs::is_symlink(config.IniPath()));
  EXPECT_EQ(IniFile(real).ReadInteger("Show", "Top", 0), 5);
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Each of these stands where the settings file should be. Reading it must not hang or read
// forever, and a write must leave it as it is. Run in a child, so a hang fails instead of
// stopping the suite.
TEST(IniFile, WhatCannotBeASettingsFileIsRefusedWithTheReason) {
  struct Row {
    const char* what;
    std::function<void(const fs::path&)> make;
    std::string readReason;  // empty: the file reads
    std::string writeReason;
  } rows[] = {
      {"pipe", [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); },
       "it is a named pipe, not a regular file", "it is a named pipe, not a regular file"},
      // A node of its own, never a link to /dev/zero: a faulty write would replace the target.
      {"device", [](const fs::path& p) { ::mknod(p.c_str(), S_IFCHR | 0600, makedev(1, 5)); },
       "it is a character device, not a regular file",
       "it is a character device, not a regular file"},
      {"folder", [](const fs::path& p) { fs::create_directory(p); },
       "it is a folder, not a regular file", "it is a folder, not a regular file"},
      {"loop",
       [](const fs::path& p) {
         fs::create_symlink("other", p);
         fs::create_symlink(p.filename(), p.parent_path() / "other");
       },
       "Too many levels of symbolic links", "Too many levels of symbolic links"},
      {"57 MB", [](const fs::path& p) { fs::resize_file((std::ofstream(p), p), 57u << 20); },
       "it is 57 MB, more than the 4 MB a settings file may have",
       "it is 57 MB, more than the 4 MB a settings file may have"},
      {"4 MB and a byte",
       [](const fs::path& p) { fs::resize_file((std::ofstream(p), p), (4u << 20) + 1); },
       "it is 4.1 MB, more than the 4 MB a settings file may have",
       "it is 4.1 MB, more than the 4 MB a settings file may have"},
      {"4 MB", [](const fs::path& p) { fs::resize_file((std::ofstream(p), p), 4u << 20); }, "",
       "the file would grow past 4 MB"},
      // As bytes it would read as no keys at all, and a write would mix in UTF-8 lines.
      {"UTF-16", [](const fs::path& p) { std::ofstream(p) << std::string("\xFF\xFE[\0S\0", 6); },
       "it is UTF-16 text; save it as UTF-8", "it is UTF-16 text; save it as UTF-8"},
      {"UTF-16 big-endian", [](const fs::path& p) { std::ofstream(p) << "\xFE\xFF"; },
       "it is UTF-16 text; save it as UTF-8", "it is UTF-16 text; save it as UTF-8"},
  };
  for (const Row& r : rows) {
    TempConfig config;
    const fs::path path = config.IniPath();
    r.make(path);
    if (!fs::exists(fs::symlink_status(path))) {
      std::cout << "[ SKIPPED  ] " << r.what << ": cannot be made here (mknod needs root)\n";
      continue;
    }
    const auto type = fs::symlink_status(path).type();
    const ChildOutcome read = RunInChild([&]() -> std::string {
      try {
        IniFile(path).Read();
        return "";
      } catch (const IniReadError& e) {
        return e.what();
      }
    });
    const std::string prefix = "Cannot read settings from " + path.string() + ": ";
    EXPECT_EQ(read.message, r.readReason.empty() ? "" : prefix + r.readReason) << r.what;
    const ChildOutcome write = RunInChild([&]() -> std::string {
      try {
        IniFile(path).WriteInteger("Show", "Top", 1);
        return "written";
      } catch (const IniWriteError& e) {
        return e.what() + (" / " + e.Reason());
      }
    });
    EXPECT_EQ(write.message, "Unable to write to " + path.string() + " / " + r.writeReason)
        << r.what;
    EXPECT_EQ(fs::symlink_status(path).type(), type) << r.what;
    EXPECT_TRUE(config.Leftovers().size() <= 1) << r.what;  // a loop's second link
  }
}

TEST(IniFile, AnUnreadableFileIsRefusedAndNeverReplaced) {
  TempConfig config;
  config.Write("[Show]\nTop=7\n");
  ::chmod(config.IniPath().c_str(), 0);
  if (::access(config.IniPath().c_str(), R_OK) == 0) {
    GTEST_SKIP() << "this process may read any file (root), so none can be made unreadable";
  }
  IniFile file;
  try {
    file.Read();
    ADD_FAILURE() << "an unreadable file was read";
  } catch (const IniReadError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot read settings from " + config.IniPath().string() + ": Permission denied");
  }
  ExpectRefused(file, config.IniPath());
  ::chmod(config.IniPath().c_str(), 0600);
  EXPECT_EQ(config.Contents(), "[Show]\nTop=7\n");
}

TEST(IniFile, ADanglingLinkReadsEmptyAndAWriteCreatesItsTarget) {
  TempConfig config;
  const fs::path links[] = {config.Dir() / "relative.ini", config.Dir() / "absolute.ini"};
  const fs::path targets[] = {"dotfiles/relative.ini", config.Dir() / "abs" / "absolute.ini"};
  for (int i = 0; i < 2; ++i) {
    fs::create_symlink(targets[i], links[i]);
    IniFile file(links[i]);
    EXPECT_EQ(file.ReadInteger("Show", "Top", -1), -1);
    file.WriteInteger("Show", "Top", 3);
    EXPECT_TRUE(fs::is_symlink(links[i])) << targets[i];
    EXPECT_EQ(IniFile(config.Dir() / targets[i]).ReadInteger("Show", "Top", 0), 3) << targets[i];
  }
}

// The same IniFile object writes, the file changes under it as an editor or another program
// may change it, and the object writes again: the change must survive.
TEST(IniFileWrite, ChangesMadeBetweenTwoWritesAreKept) {
  struct Row {
    const char* what;
    std::function<void(const TempConfig&)> change;
    std::string after;
  } rows[] = {
      {"same size, same file",
       [](const TempConfig& c) {
         std::fstream(c.IniPath(), std::ios::in | std::ios::out | std::ios::binary)
             << "[Show]\nTop=2";
       },
       "[Show]\nTop=2\nLeft=5\n"},
      {"new file", [](const TempConfig& c) { c.Write("[Show]\nTop=22\n"); },
       "[Show]\nTop=22\nLeft=5\n"},
      {"removed", [](const TempConfig& c) { fs::remove(c.IniPath()); }, "[Show]\nLeft=5\n"},
  };
  for (const Row& r : rows) {
    TempConfig config;
    IniFile file;
    file.WriteInteger("Show", "Top", 1);
    r.change(config);
    file.WriteInteger("Show", "Left", 5);
    EXPECT_EQ(config.Contents(), r.after) << r.what;
  }
}

// Most of the dialog's OK writes values back as they were: a write that would not change a byte
// leaves the file (the same inode) in place; any other difference replaces it.
TEST(IniFileWrite, RewritingTheBytesAlreadyThereLeavesTheFileInPlace) {
  struct Row {
    std::string before;
    std::string after;  // after writing Top=1
  } rows[] = {
      {"[Show]\nTop=1\n", "[Show]\nTop=1\n"},   {"[Show]\n Top = 1\n", "[Show]\n Top = 1\n"},
      {"[Show]\nTop=1  \n", "[Show]\nTop=1\n"}, {"[Show]\nTop=01\n", "[Show]\nTop=1\n"},
      {"[Show]\ntop=1", "[Show]\ntop=1"},
  };
  for (const Row& r : rows) {
    TempConfig config;
    config.Write(r.before);
    const auto inode = [&] {
      struct stat st {};
      ::stat(config.IniPath().c_str(), &st);
      return st.st_ino;
    };
    const ino_t first = inode();
    IniFile file;
    file.WriteInteger("Show", "Top", 1);
    file.WriteInteger("Show", "Top", 1);  // a second time, now from this object's own copy
    EXPECT_EQ(config.Contents(), r.after) << r.before;
    EXPECT_EQ(inode() == first, r.before == r.after) << r.before;
  }
}

// A private tmpfs of 64 KiB in a private mount namespace, filled up; needs the right to mount.
TEST(IniFileWrite, AFullDiskRefusesTheWriteAndKeepsTheOldFile) {
  TempConfig config;
  const fs::path disk = config.Dir() / "disk";
  fs::create_directory(disk);
  const ChildOutcome outcome = RunInChild([&]() -> std::string {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
      return std::string("skip: ") + std::strerror(errno);
    }
    IniFile file(disk / "helidial.ini");
    file.WriteString("Show", "Note", std::string(2000, 'n'));
    const std::string before = file.Read().Serialize();
    {
      std::ofstream filler(disk / "filler", std::ios::binary);
      const std::string block(4096, 'f');
      while (filler.write(block.data(), block.size()) && filler.flush()) {
      }
    }
    try {
      file.WriteInteger("Show", "Top", 1);
      return "the write was not refused";
    } catch (const IniWriteError& e) {
      if (e.Reason() != "No space left on device") return "refused because " + e.Reason();
    }
    if (file.Read().Serialize() != before) return "the old file changed";
    const auto entries = std::distance(fs::directory_iterator(disk), fs::directory_iterator());
    return entries == 3 ? "" : "a temporary file was left";  // the file, its lock, the filler
  });
  if (outcome.message.rfind("skip: ", 0) == 0) {
    GTEST_SKIP() << "cannot mount a private tmpfs (" << outcome.message.substr(6)
                 << "); RefusedByFileSizeLimit covers a refused write";
  }
  EXPECT_EQ(outcome.message, "");
}

}  // namespace
