// The settings file beside the real exe: created, read, applied and written back.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/layout.h"
#include "harness.h"

namespace {

using namespace tarnwick;

const std::string kDefaults("1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0", 20);

LRESULT checkState(HWND main, int container, int id) {
  const HWND parent = container ? GetDlgItem(main, container) : main;
  return SendMessageW(GetDlgItem(parent, id), BM_GETCHECK, 0, 0);
}

TEST(Settings, FirstStartWritesTheDefaultFileAndShowsTheDefaultChoices) {
  e2e::App app;
  app.start();
  const auto file = app.folder() / L"Settings.qkv";
  EXPECT_EQ(e2e::readFile(file), kDefaults);

  const HWND w = app.mainWindow();
  EXPECT_EQ(checkState(w, kIdPicture1, kIdRamLevel1), BST_CHECKED);
  EXPECT_EQ(checkState(w, kIdPicture1, kIdRamLevel2), BST_UNCHECKED);
  EXPECT_EQ(checkState(w, 0, kIdAutoOptimize0), BST_UNCHECKED);
  EXPECT_EQ(e2e::text(GetDlgItem(w, kIdInterval)), L"20");
  EXPECT_EQ(checkState(w, 0, kIdAutoOptimize1), BST_CHECKED);
  EXPECT_EQ(SendMessageW(GetDlgItem(w, kIdPercent), CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(checkState(w, kIdPicture2, kIdActive1), BST_CHECKED);
  EXPECT_EQ(checkState(w, kIdPicture3, kIdNonActive0), BST_CHECKED);

  EXPECT_TRUE(app.close());
  EXPECT_EQ(e2e::readFile(file), kDefaults);
}

TEST(Settings, ANineLineFileSurvivesAStartAndAnExitByteForByte) {
  e2e::App app;
  // Line 2 holds a character outside ASCII, in the system's ANSI code page.
  const std::string nine = "2\r\n1\r\n7\xe9\r\n0\r\n1\r\n0\r\n1\r\nkept\r\n ninth ";
  wchar_t interval[8] = {};
  MultiByteToWideChar(CP_ACP, 0, "7\xe9", 2, interval, 8);
  e2e::writeFile(app.folder() / L"Settings.qkv", nine);
  app.start();
  const HWND w = app.mainWindow();
  EXPECT_EQ(checkState(w, kIdPicture1, kIdRamLevel2), BST_CHECKED);
  EXPECT_EQ(checkState(w, 0, kIdAutoOptimize0), BST_CHECKED);
  EXPECT_EQ(e2e::text(GetDlgItem(w, kIdInterval)), interval);
  EXPECT_EQ(SendMessageW(GetDlgItem(w, kIdPercent), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(checkState(w, kIdPicture2, kIdActive0), BST_CHECKED);
  EXPECT_EQ(checkState(w, kIdPicture3, kIdNonActive1), BST_CHECKED);
  EXPECT_TRUE(app.close());
  EXPECT_EQ(e2e::readFile(app.folder() / L"Settings.qkv"), nine);
}

TEST(Settings, AReadOnlyFileIsReplacedByAWritableOne) {
  e2e::App app;
  const auto file = app.folder() / L"Settings.qkv";
  e2e::writeFile(file, "0\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0\r\n");
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
  app.start();
  EXPECT_TRUE(app.close());
  EXPECT_EQ(e2e::readFile(file), "0\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0");
  EXPECT_FALSE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Settings, AnyFolderNameWorks) {
  e2e::App app(L" \u00c9t\u00e9 \u5de5\u5177 \u0416");
  app.start();
  EXPECT_EQ(e2e::readFile(app.folder() / L"Settings.qkv"), kDefaults);
  EXPECT_TRUE(app.close());
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((app.folder() / L"*.tmp").c_str(), &data);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "no temporary file is left behind";
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

}  // namespace
