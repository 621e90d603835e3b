#include <gtest/gtest.h>

#include <random>

#include "settings_properties.h"

namespace tarnwick {
namespace {

using testing::checkSettingsFile;

std::string printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes.substr(0, 80)) {
    if (c >= 32 && c < 127)
      out += static_cast<char>(c);
    else
      out += "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
  }
  return out;
}

// Files a user, an editor or a broken disk could leave behind.
std::string generate(std::mt19937& random) {
  const std::vector<std::string> pieces = {"0",
                                           "1",
                                           "2",
                                           "3",
                                           "-1",
                                           "20",
                                           "1.9",
                                           " 7 ",
                                           "+5",
                                           "-0.5",
                                           "99999999999999999999",
                                           "1e5",
                                           "abc",
                                           "",
                                           "\xe9t\xe9",
                                           std::string(1, '\0'),
                                           "\t",
                                           "32767",
                                           "32768",
                                           "-32769"};
  const std::vector<std::string> breaks = {"\r\n", "\r\n", "\r\n", "\n", "\r", "\r\r\n", "\n\r"};
  std::string file;
  switch (random() % 3) {
    case 0: {  // raw bytes, weighted towards the separators
      const size_t size = random() % 64;
      for (size_t i = 0; i < size; ++i) {
        const unsigned r = random() % 8;
        file += r == 0 ? '\r' : r == 1 ? '\n' : static_cast<char>(random() % 256);
      }
      break;
    }
    default: {  // lines of plausible and implausible values, with mixed breaks
      const size_t lines = random() % 12;
      for (size_t i = 0; i < lines; ++i) {
        file += pieces[random() % pieces.size()];
        if (i + 1 < lines || random() % 3 == 0) file += breaks[random() % breaks.size()];
      }
    }
  }
  return file;
}

TEST(SettingsFiles, AnyFileLoadsAppliesAndSavesSafely) {
  std::mt19937 random(20261206);
  for (int i = 0; i < 3000; ++i) {
    const std::string file = generate(random);
    const std::string failure = checkSettingsFile(file);
    ASSERT_EQ(failure, "") << "file: \"" << printable(file) << "\"";
  }
}

TEST(SettingsFiles, HugeFilesToo) {
  std::string manyLines;
  for (int i = 0; i < 10000; ++i) manyLines += std::to_string(i % 3) + "\r\n";
  EXPECT_EQ(checkSettingsFile(manyLines), "");
  const std::string longInterval =
      "1\r\n1\r\n" + std::string(1 << 20, '7') + "\r\n1\r\n2\r\n1\r\n0";
  EXPECT_EQ(checkSettingsFile(longInterval), "");
  EXPECT_EQ(checkSettingsFile(std::string(1 << 16, '\r')), "");
  EXPECT_EQ(checkSettingsFile(std::string(1 << 16, '\n')), "");
}

}  // namespace
}  // namespace tarnwick
