#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace tarnwick {
namespace {

constexpr uint32_t kNormal = 0x20, kBelowNormal = 0x4000, kAboveNormal = 0x8000, kHigh = 0x80;

class PriorityTest : public ::testing::Test, protected testing::LoadedWindow {
 protected:
  void machine(std::vector<FakePlatform::Process> processes) {
    os.processes = std::move(processes);
    os.processCalls.clear();
    os.enumSizes.clear();
    os.windowCalls.clear();
  }
  std::vector<uint32_t> classes() const {
    std::vector<uint32_t> out;
    for (const auto& p : os.processes) out.push_back(p.priorityClass);
    return out;
  }
  std::vector<std::string> calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& c : os.processCalls)
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
  }
};

TEST_F(PriorityTest, TheIdentifierBufferDoublesUntilACallWritesLessThanItWasGiven) {
  const std::pair<int, std::vector<uint32_t>> cases[] = {
      {3, {16}}, {4, {16, 32}}, {15, {16, 32, 64}}, {16, {16, 32, 64, 128}}, {0, {16}}};
  for (const auto& [n, sizes] : cases) {
    std::vector<FakePlatform::Process> processes;
    for (int i = 0; i < n; ++i)
      processes.push_back({uint32_t(100 + i), "C:\\p" + std::to_string(i)});
    machine(processes);
    form.ListProcesses(true);
    EXPECT_EQ(os.enumSizes, sizes) << n << " processes";
    EXPECT_EQ(calls("open").size(), size_t(n)) << "every identifier visited once";
    EXPECT_EQ(form.lstProcessList.listCount(), n);
  }
}

TEST_F(PriorityTest, RowsShowPathAndClassAndTheLabelCountsRows) {
  machine({{4, "C:\\Windows\\explorer.exe", kNormal},
           {8, "C:\\locked.exe", kNormal, false},
           {12, "C:\\x\\protected.exe", kHigh, true, false},
           {16, "D:\\\xc3\xa9t\xc3\xa9\\tool.exe", kAboveNormal},
           {20, "C:\\odd.exe", 0x1234}});
  form.ListProcesses(true);
  EXPECT_EQ(
      form.lstProcessList.items(),
      (std::vector<std::string>{"C:\\Windows\\explorer.exe\tNORMAL",
                                "D:\\\xc3\xa9t\xc3\xa9\\tool.exe\tABOVE NORMAL", "C:\\odd.exe\t"}));
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 3");
  EXPECT_TRUE(calls("set").empty()) << "listing only changes no class";
  EXPECT_TRUE(os.openHandles.empty()) << "every handle closed";
  EXPECT_EQ(os.windowCalls,
            (std::vector<std::string>{"lock " + std::to_string(form.form.hWnd), "lock 0"}));
}

TEST_F(PriorityTest, APassThatSetsClassesLowersEveryProcessItCanOpen) {
  machine({{4, "C:\\a.exe", kNormal},
           {8, "C:\\locked.exe", kNormal, false},
           {12, "C:\\nomodules.exe", kHigh, true, false}});
  form.lngNonActivePriority = kBelowNormal;
  form.ListProcesses(false);
  EXPECT_EQ(classes(), (std::vector<uint32_t>{kBelowNormal, kNormal, kBelowNormal}));
  EXPECT_EQ(form.lstProcessList.items(), std::vector<std::string>{"C:\\a.exe\tNORMAL"})
      << "the rows show the classes from before";
  EXPECT_TRUE(os.openHandles.empty());

  form.lngNonActivePriority = 0;  // no valid class: the system refuses, nothing changes
  os.processes[0].priorityClass = kNormal;
  form.ListProcesses(false);
  EXPECT_EQ(classes(), (std::vector<uint32_t>{kNormal, kNormal, kBelowNormal}));
}

TEST_F(PriorityTest, TheOldFamilyListsExecutableNamesAndNeverSetsAClass) {
  machine({{4, "C:\\WINDOWS\\EXPLORER.EXE"}, {8, "C:\\APPS\\TOOL.EXE"}});
  os.platformId = 1;
  form.lngNonActivePriority = kBelowNormal;
  const int pumps = os.pumps;
  form.ListProcesses(false);
  EXPECT_EQ(form.lstProcessList.items(), (std::vector<std::string>{"EXPLORER.EXE", "TOOL.EXE"}));
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 2");
  EXPECT_TRUE(calls("set").empty());
  EXPECT_EQ(os.pumps - pumps, 2) << "a pump after each row";
  EXPECT_TRUE(os.openHandles.empty()) << "the snapshot is closed";

  os.snapshotFails = true;
  form.lblProcesses.setCaption("before");
  form.ListProcesses(true);
  EXPECT_EQ(form.lstProcessList.listCount(), 0);
  EXPECT_EQ(form.lblProcesses.caption(), "before");
  EXPECT_EQ(os.windowCalls.back(), "lock 0") << "the drawing lock is released";
}

TEST_F(PriorityTest, AnotherPlatformListsNothing) {
  machine({{4, "C:\\a.exe"}});
  os.platformId = 3;
  form.ListProcesses(true);
  EXPECT_EQ(form.lstProcessList.listCount(), 0);
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 0");
}

TEST_F(PriorityTest, TheWatchLowersAllThenRaisesTheForegroundThenListsAgain) {
  machine({{4, "C:\\editor.exe", kNormal}, {8, "C:\\player.exe", kNormal}});
  os.foreground = 0x5000;
  os.windowOwners[0x5000] = 4;
  form.lngActivePriority = kAboveNormal;
  form.lngNonActivePriority = kBelowNormal;
  std::vector<std::vector<std::string>> passes;
  form.lstProcessList.view = [&](forms::ListBox::Op op, int index) {
    if (op == forms::ListBox::Op::Cleared) passes.emplace_back();
    if (op == forms::ListBox::Op::Added) passes.back().push_back(form.lstProcessList.item(index));
  };
  form.WatchForegroundWindow();
  form.lstProcessList.view = nullptr;
  EXPECT_EQ(os.processCalls,
            (std::vector<std::string>{"open 4 1552", "set 4 16384", "open 8 1552", "set 8 16384",
                                      "open 4 512", "set 4 32768", "open 4 1552", "open 8 1552"}));
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0],
            (std::vector<std::string>{"C:\\editor.exe\tNORMAL", "C:\\player.exe\tNORMAL"}));
  EXPECT_EQ(
      form.lstProcessList.items(),
      (std::vector<std::string>{"C:\\editor.exe\tABOVE NORMAL", "C:\\player.exe\tBELOW NORMAL"}));
  EXPECT_TRUE(os.openHandles.empty());

  os.processCalls.clear();
  form.WatchForegroundWindow();
  EXPECT_TRUE(os.processCalls.empty()) << "same foreground window: nothing to do";

  // The foreground moves to the other application: it goes up, the first one down.
  os.foreground = 0x6000;
  os.windowOwners[0x6000] = 8;
  form.WatchForegroundWindow();
  EXPECT_EQ(classes(), (std::vector<uint32_t>{kBelowNormal, kAboveNormal}));
}

TEST_F(PriorityTest, TheOptionsSetTheirClassRecordTheChoiceAndForceACheck) {
  machine({{4, "C:\\editor.exe", kNormal}, {8, "C:\\player.exe", kNormal}});
  os.foreground = 0x5000;
  os.windowOwners[0x5000] = 4;
  form.WatchForegroundWindow();
  form.optActive.select(0);
  EXPECT_EQ(form.lngActivePriority, kAboveNormal);
  EXPECT_EQ(form.lstSettings.item(5), "0");
  EXPECT_EQ(classes(), (std::vector<uint32_t>{kAboveNormal, kNormal}))
      << "the check ran though the foreground window had not changed";
  form.optNonActive.select(1);
  EXPECT_EQ(form.lngNonActivePriority, kBelowNormal);
  EXPECT_EQ(form.lstSettings.item(6), "1");
  EXPECT_EQ(classes(), (std::vector<uint32_t>{kAboveNormal, kBelowNormal}));
  form.optActive.select(1);
  EXPECT_EQ(form.lngActivePriority, kNormal);
  EXPECT_EQ(form.lstSettings.item(5), "1");
  EXPECT_EQ(form.lngNonActivePriority, kBelowNormal) << "each handler sets only its own class";
}

TEST_F(PriorityTest, AForegroundWindowThatCannotBeBoostedChangesNothingElse) {
  machine({{4, "C:\\service.exe", kHigh, true, true, false}, {8, "C:\\b.exe", kNormal}});
  form.lngActivePriority = kAboveNormal;
  form.lngNonActivePriority = 0;
  os.foreground = 0x7000;
  os.windowOwners[0x7000] = 4;
  form.WatchForegroundWindow();
  EXPECT_EQ(classes(), (std::vector<uint32_t>{kHigh, kNormal}));
  os.foreground = 0;  // no foreground window at all
  form.WatchForegroundWindow();
  EXPECT_EQ(classes(), (std::vector<uint32_t>{kHigh, kNormal}));
  EXPECT_TRUE(os.openHandles.empty());
}

TEST_F(PriorityTest, StartUpSetsTheTabStopsAndFillsTheList) {
  FakePlatform fresh;
  fresh.processes = {{4, "C:\\a.exe"}};
  frmMain window(fresh);
  window.lstProcessList.hWnd = 77;
  window.Form_Load();
  ASSERT_FALSE(fresh.windowCalls.empty());
  EXPECT_EQ(fresh.windowCalls.front(), "tabstops 77 0 270");
  EXPECT_EQ(window.lstProcessList.items(), std::vector<std::string>{"C:\\a.exe\tNORMAL"});
  EXPECT_TRUE(fresh.processCalls.size() == 1) << "listing only at start-up";
}

}  // namespace
}  // namespace tarnwick
