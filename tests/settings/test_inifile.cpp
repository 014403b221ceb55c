#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
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

TEST(IniFileWrite, RefusedWhenAPlainFileStandsWhereTheFolderShouldBe) {
  TempConfig config;
  const fs::path blocker = config.Dir() / "blocker";
  std::ofstream(blocker) << "not a folder";
  const fs::path path = blocker / "sub" / "helidial.ini";
  IniFile file(path);
  ExpectRefused(file, path);
  EXPECT_EQ(fs::file_size(blocker), 12u);
}

TEST(IniFileWrite, AnUnreadableFileIsNeverReplaced) {
  TempConfig config;
  fs::create_directory(config.IniPath());  // a folder where the file should be cannot be read
  IniFile file;
  ExpectRefused(file, config.IniPath());
  EXPECT_TRUE(fs::is_directory(config.IniPath()));
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

}  // namespace
