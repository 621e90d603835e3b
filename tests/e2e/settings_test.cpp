// The settings file beside the real exe: created, read, applied, written back, and never lost.
#include <gtest/gtest.h>

#include <thread>

#include <shlobj.h>

#include "app/layout.h"
#include "harness.h"

namespace {

using namespace tarnwick;
using namespace e2e;

constexpr const char* kDefaults = "1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0";

// Starts the program over a settings file holding `bytes`, lets `act` work it and closes it:
// the file's bytes afterwards.
std::string afterRun(const std::string& bytes, const std::function<void(App&)>& act = nullptr) {
  App app;
  writeFile(app.settings(), bytes);
  EXPECT_TRUE(app.start(3s)) << "the window did not show within three seconds";
  if (act) act(app);
  EXPECT_TRUE(app.close());
  return readFile(app.settings());
}

TEST(Settings, TheFirstStartWritesTheDefaultsAndAFileComesBackByteForByte) {
  App first(std::wstring(L" \u00c9t\u00e9 \u5de5\u5177"));  // any folder name works
  // Where a save once put its temporary file, a folder of that name: saves go on all the same.
  fs::create_directory(first.folder() / L"Settings.qkv.tmp");
  ASSERT_TRUE(first.start());
  EXPECT_EQ(readFile(first.settings()), kDefaults);
  EXPECT_EQ(SendMessageW(first.control(kIdPercent), CB_GETCURSEL, 0, 0), 2) << "\"30%\" shown";
  EXPECT_TRUE(first.close());
  EXPECT_EQ(readFile(first.settings()), kDefaults);
  // Made read-only and hidden by the user: a changed choice is saved, and the file stays so.
  const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  SetFileAttributesW(first.settings().c_str(), kept);
  ASSERT_TRUE(first.start());
  click(first.control(kIdRamLevel0));
  EXPECT_TRUE(first.close());
  EXPECT_EQ(GetFileAttributesW(first.settings().c_str()) & kept, kept);
  ASSERT_TRUE(first.start());
  EXPECT_TRUE(first.checked(kIdRamLevel0));
  EXPECT_TRUE(first.close());
  SetFileAttributesW(first.settings().c_str(), FILE_ATTRIBUTE_NORMAL);

  // Nine lines, line 2 with a character outside ASCII in the system's ANSI code page.
  const std::string nine = "2\r\n1\r\n7\xe9\r\n0\r\n1\r\n0\r\n1\r\nkept\r\n ninth ";
  wchar_t interval[8] = {};
  MultiByteToWideChar(CP_ACP, 0, "7\xe9", 2, interval, 8);
  EXPECT_EQ(afterRun(nine, [&](App& app) { EXPECT_EQ(app.text(kIdInterval), interval); }), nine);
}

TEST(Settings, AFileInAnotherShapeOrHeldOpenAtStartUpIsReplacedOnlyOnceAChoiceChanges) {
  const std::string crOnly = "2\r1\r5\r0\r1\r0\r1", mine = "0\r\n1\r\n45\r\n0\r\n0\r\n0\r\n1";
  EXPECT_EQ(afterRun(crOnly, [](App& app) { EXPECT_TRUE(app.minimise()); }), crOnly);
  // Held by another program without read sharing for longer than start-up waits, then let go;
  // the window is minimised, then a choice changes: what the file held stays beside it.
  App app;
  writeFile(app.settings(), mine);
  const HANDLE held =
      CreateFileW(app.settings().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(app.start());
  std::this_thread::sleep_for(1s);
  CloseHandle(held);
  EXPECT_TRUE(app.minimise());
  EXPECT_EQ(readFile(app.settings()), mine);
  ASSERT_TRUE(restoreFromTray(app.window()));
  click(app.control(kIdRamLevel0 + 1));
  EXPECT_TRUE(app.close());
  EXPECT_EQ(readFile(app.settings()), "1" + mine.substr(1));
}

// Program Files to a standard user: the run script mounts the folder read-only.
TEST(Settings, AFolderThatCannotBeWrittenIsLeftAloneAndTheChoicesKeptForTheUser) {
  if (!_wgetenv(L"TARNWICK_READONLY"))
    GTEST_SKIP() << "needs a folder this user cannot write (TARNWICK_READONLY)";
  wchar_t local[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local), S_OK);
  const fs::path kept = fs::path(local) / L"Tarnwick Demo" / L"Settings.qkv";
  const fs::path folder = fromEnv(L"TARNWICK_READONLY", L"");
  for (const bool restarted : {false, true}) {  // a choice, then a restart
    App app(App::InPlace{}, folder);
    ASSERT_TRUE(app.start());
    EXPECT_EQ(app.checked(kIdRamLevel0), restarted);
    click(app.control(kIdRamLevel0));
    EXPECT_TRUE(app.close());
    EXPECT_EQ(readFile(kept).substr(0, 3), "0\r\n");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "only the exe there";
  fs::remove_all(kept.parent_path());
}

// Real input, one action each: a tap on an arrow is one step, in the user's locale; "0" on the
// way from "20" to "30" switches nothing off; what the drop-down shows when it closes is saved.
TEST(Settings, EachInputIsOneActionAndWhatTheWindowShowsIsWhatIsSaved) {
  const DecimalSeparator comma(L",");
  LRESULT shown = -1;
  const std::string after = afterRun("1\r\n1\r\n2,5\r\n1\r\n2\r\n1\r\n0", [&](App& app) {
    const HWND interval = app.control(kIdInterval), upDown = app.control(kIdUpDown);
    EXPECT_EQ(SendMessageW(interval, EM_GETLIMITTEXT, 0, 0), 5);
    RECT r;
    GetClientRect(upDown, &r);
    for (const auto& [y, value] : {std::pair{2L, L"3,5"}, {r.bottom - 2, L"2,5"}}) {
      click(upDown, {r.right / 2, y});
      std::this_thread::sleep_for(3s);
      EXPECT_EQ(text(interval), value) << "one tap, one step, and it stays";
    }
    click(interval);
    keys({VK_END, VK_BACK, VK_BACK, '0', VK_HOME, VK_DELETE});  // "20", then its "2" deleted
    EXPECT_EQ(text(interval), L"0");
    std::this_thread::sleep_for(1500ms);  // the clock ticks meanwhile
    keys({'3', VK_TAB});
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(text(interval), L"30");
    EXPECT_TRUE(app.checked(kIdAutoOptimize0));

    const HWND percent = app.control(kIdPercent);
    click(percent);
    const HWND list = findWindowOf(app.pid(), L"ComboLBox");
    GetClientRect(list, &r);
    const auto item = static_cast<LONG>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    for (const LONG y : {item * 5 / 2, item * 3 / 2, item / 2}) {  // over "30%", "20%", "10%"
      pointAt(list, {r.right / 2, y});
      std::this_thread::sleep_for(100ms);
    }
    keys({VK_ESCAPE});
    shown = SendMessageW(percent, CB_GETCURSEL, 0, 0);
  });
  EXPECT_EQ(after, "1\r\n1\r\n30\r\n1\r\n" + std::to_string(shown) + "\r\n1\r\n0");
}

}  // namespace
