#include <gtest/gtest.h>

#include <random>

#include "settings_properties.h"

namespace tarnwick {
namespace {

// Files a user, an editor or a broken disk could leave behind: raw bytes weighted towards the
// separators, or lines of plausible and implausible values with mixed line breaks.
std::string generate(std::mt19937& random) {
  // clang-format off
  static const char* const pieces[] = {"0", "1", "2", "3", "-1", "20", "1.9", " 7 ", "+5", "-0.5",
      "99999999999999999999", "1e5", "abc", "", "\xe9t\xe9", "\t", "32768", "\xEF\xBB\xBF"};
  // clang-format on
  static const char* const breaks[] = {"\r\n", "\r\n", "\r\n", "\n", "\r", "\r\r\n", "\n\r"};
  std::string file;
  if (random() % 3 == 0) {
    for (size_t i = random() % 64; i > 0; --i) {
      const unsigned r = random() % 8;
      file += r == 0 ? '\r' : r == 1 ? '\n' : static_cast<char>(random() % 256);
    }
    return file;
  }
  for (size_t i = 0, lines = random() % 12; i < lines; ++i) {
    file += pieces[random() % std::size(pieces)];
    if (i + 1 < lines || random() % 3 == 0) file += breaks[random() % std::size(breaks)];
  }
  return file;
}

TEST(SettingsFiles, AnyFileLoadsAppliesAndSavesSafely) {
  std::mt19937 random(20261206);
  std::vector<std::string> files = {
      std::string(1 << 16, '\r'), std::string(1 << 16, '\n'),
      "1\r\n1\r\n" + std::string(1 << 20, '7') + "\r\n1\r\n2\r\n1\r\n0"};
  for (int i = 0; i < 3000; ++i) files.push_back(generate(random));
  for (const std::string& file : files) {
    const std::string failure = testing::checkSettingsFile(file);
    ASSERT_EQ(failure, "") << ::testing::PrintToString(file.substr(0, 80));
  }
}

}  // namespace
}  // namespace tarnwick
