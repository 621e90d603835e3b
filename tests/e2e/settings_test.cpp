// The settings file beside the real exe: created, read, applied, written back, and never lost.
#include <gtest/gtest.h>

#include <thread>

#include "app/layout.h"
#include "platform/platform.h"
#include "harness.h"

namespace {

using namespace tarnwick;
using namespace e2e;

const std::string kDefaults("1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0", 20);

LRESULT checked(const App& app, int id) {
  return SendMessageW(app.control(id), BM_GETCHECK, 0, 0);
}

TEST(Settings, TheFirstStartWritesTheDefaultsAndANineLineFileComesBackByteForByte) {
  App first(std::wstring(L" \u00c9t\u00e9 \u5de5\u5177"));  // any folder name works
  ASSERT_TRUE(first.start());
  EXPECT_EQ(readFile(first.settings()), kDefaults);
  EXPECT_EQ(checked(first, kIdRamLevel1), BST_CHECKED);
  EXPECT_EQ(checked(first, kIdAutoOptimize1), BST_CHECKED);
  EXPECT_EQ(text(first.control(kIdInterval)), L"20");
  EXPECT_EQ(SendMessageW(first.control(kIdPercent), CB_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(first.close());
  EXPECT_EQ(readFile(first.settings()), kDefaults);
  EXPECT_FALSE(std::filesystem::exists(first.folder() / L"Settings.qkv.tmp"));

  App second;
  // Line 2 holds a character outside ASCII, in the system's ANSI code page.
  const std::string nine = "2\r\n1\r\n7\xe9\r\n0\r\n1\r\n0\r\n1\r\nkept\r\n ninth ";
  writeFile(second.settings(), nine);
  ASSERT_TRUE(second.start());
  EXPECT_EQ(checked(second, kIdRamLevel2), BST_CHECKED);
  EXPECT_EQ(checked(second, kIdNonActive1), BST_CHECKED);
  wchar_t interval[8] = {};
  MultiByteToWideChar(CP_ACP, 0, "7\xe9", 2, interval, 8);
  EXPECT_EQ(text(second.control(kIdInterval)), interval);
  EXPECT_TRUE(second.close());
  EXPECT_EQ(readFile(second.settings()), nine);
}

TEST(Settings, AFileHeldOpenByAnotherProgramAtStartUpIsNeverReplaced) {
  App app;
  const std::string mine = "0\r\n1\r\n45\r\n0\r\n0\r\n0\r\n1";
  writeFile(app.settings(), mine);
  // Another program holds it without read sharing for longer than start-up waits.
  const HANDLE held =
      CreateFileW(app.settings().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(app.start());
  std::this_thread::sleep_for(1s);
  CloseHandle(held);
  click(app.control(kIdRamLevel0));  // even after a choice changed
  click(app.control(kIdCmdMinimize));
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(app.window()); }));
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(app.close());
  EXPECT_EQ(readFile(app.settings()), mine);
}

TEST(Settings, AFileInAnotherShapeSurvivesAndAReadOnlyOneIsReplaced) {
  App crOnly;
  writeFile(crOnly.settings(), "2\r1\r5\r0\r1\r0\r1");
  ASSERT_TRUE(crOnly.start());
  click(crOnly.control(kIdCmdMinimize));
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(crOnly.window()); }));
  EXPECT_TRUE(crOnly.close());
  EXPECT_EQ(readFile(crOnly.settings()), "2\r1\r5\r0\r1\r0\r1");

  App readOnly;
  writeFile(readOnly.settings(), "0\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0");
  SetFileAttributesW(readOnly.settings().c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(readOnly.start());
  EXPECT_TRUE(readOnly.close());
  EXPECT_EQ(readFile(readOnly.settings()), "0\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0");
  EXPECT_FALSE(GetFileAttributesW(readOnly.settings().c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST(Settings, AMegabyteLongIntervalShowsTheWindowAtOnceAndIsKept) {
  App app;
  const std::string file = "1\r\n0\r\n" + std::string(1 << 20, '7') + "\r\n1\r\n2\r\n1\r\n0";
  writeFile(app.settings(), file);
  EXPECT_TRUE(app.start(3s)) << "the window did not show within three seconds";
  EXPECT_EQ(text(app.control(kIdInterval)), L"77777");
  EXPECT_TRUE(app.close());
  EXPECT_EQ(readFile(app.settings()), file);
}

TEST(Settings, NumbersAreReadAndSteppedAsTheUsersLocaleWritesThem) {
  const RegistryValue comma(HKEY_CURRENT_USER, L"Control Panel\\International", L"sDecimal", L",");
  App app;
  writeFile(app.settings(), "1\r\n0\r\n2,5\r\n1\r\n2\r\n1\r\n0");
  ASSERT_TRUE(app.start());
  const HWND upDown = app.control(kIdUpDown);
  RECT r;
  GetClientRect(upDown, &r);
  PostMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, 2));
  PostMessageW(upDown, WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, 2));
  EXPECT_TRUE(waitFor([&] { return text(app.control(kIdInterval)) == L"3,5"; }))
      << text(app.control(kIdInterval));
  EXPECT_EQ(SendMessageW(app.control(kIdInterval), EM_GETLIMITTEXT, 0, 0), 5);
  EXPECT_TRUE(app.close());
  EXPECT_EQ(readFile(app.settings()), "1\r\n0\r\n3,5\r\n1\r\n2\r\n1\r\n0");
}

TEST(Settings, AFolderThatCannotBeWrittenRunsOnTheDefaultsInMemory) {
  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(L"TARNWICK_RO_FOLDER", folder, MAX_PATH), 0u);
  App app{std::filesystem::path(folder)};
  ASSERT_TRUE(app.start());
  EXPECT_FALSE(std::filesystem::exists(app.settings()));
  EXPECT_EQ(checked(app, kIdRamLevel1), BST_CHECKED) << "the default choices, not the design's";
  // A choice, then minimising (which saves, and cannot): still running, choice still shown.
  click(app.control(kIdRamLevel0));
  click(app.control(kIdCmdMinimize));
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(app.window()); }));
  PostMessageW(app.window(), win::kTrayCallbackMessage, 1, WM_LBUTTONUP);
  EXPECT_TRUE(waitFor([&] { return IsWindowVisible(app.window()) != FALSE; }));
  EXPECT_EQ(checked(app, kIdRamLevel0), BST_CHECKED);
  EXPECT_TRUE(app.close());
}

}  // namespace
