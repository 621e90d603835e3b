// Process list and priorities in the real program under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/layout.h"
#include "harness.h"

namespace {

using namespace tarnwick;

std::wstring listItem(HWND list, int index) {
  const auto length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  std::wstring item(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(item.data()));
  item.resize(static_cast<size_t>(length));
  return item;
}

TEST(Processes, TheListShowsThisDriverWithItsClassAndCountsTheRows) {
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  e2e::App app;
  app.start();
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const HWND list = app.control(kIdProcessList);
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  bool found = false;
  for (int i = 0; i < count; ++i) found |= listItem(list, i) == std::wstring(self) + L"\tNORMAL";
  EXPECT_TRUE(found) << "no row for " << count << " rows";
  EXPECT_EQ(e2e::text(app.control(kIdProcesses)),
            L"Number of active processes : " + std::to_wstring(count));
  EXPECT_GT(count, 3);
  // The class column starts further right than the list is wide: the list scrolls to it.
  RECT client;
  GetClientRect(list, &client);
  EXPECT_GT(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), client.right);
}

TEST(Priorities, TheForegroundApplicationRunsAboveTheOthers) {
  e2e::App app;
  e2e::writeFile(app.folder() / L"Settings.qkv", "");  // design-time choices: Normal, Normal
  app.start();
  e2e::Helper helper;
  ASSERT_NE(helper.window(), nullptr);
  ASSERT_EQ(e2e::foregroundProcess(), app.pid()) << "the program's window should be in front";

  e2e::click(app.control(kIdActive0));     // "High" for the active application
  e2e::click(app.control(kIdNonActive1));  // "Low" for the others
  const auto within = std::chrono::milliseconds(4200 + 2000);
  EXPECT_TRUE(e2e::waitFor(
      [&] { return e2e::priorityClassOf(helper.pid()) == BELOW_NORMAL_PRIORITY_CLASS; }, within))
      << std::hex << e2e::priorityClassOf(helper.pid());
  EXPECT_EQ(e2e::priorityClassOf(e2e::foregroundProcess()), ABOVE_NORMAL_PRIORITY_CLASS);

  helper.comeToFront();
  ASSERT_TRUE(e2e::waitFor([&] { return e2e::foregroundProcess() == helper.pid(); }));
  EXPECT_TRUE(e2e::waitFor(
      [&] { return e2e::priorityClassOf(helper.pid()) == ABOVE_NORMAL_PRIORITY_CLASS; }, within))
      << std::hex << e2e::priorityClassOf(helper.pid());
  EXPECT_EQ(e2e::priorityClassOf(app.pid()), BELOW_NORMAL_PRIORITY_CLASS);

  EXPECT_TRUE(app.close());
  EXPECT_EQ(e2e::readFile(app.folder() / L"Settings.qkv"), "1\r\n0\r\n20\r\n1\r\n2\r\n0\r\n1")
      << "both choices recorded; the lines before filled with the defaults";
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

}  // namespace
