// The process list and the classes the program gives processes as the foreground changes.
#include "test_support.h"

namespace tarnwick {
namespace {

constexpr uint32_t kNormal = win::kNormalPriorityClass, kBelow = win::kBelowNormalPriorityClass,
                   kAbove = win::kAboveNormalPriorityClass, kHigh = win::kHighPriorityClass;

class PriorityTest : public ::testing::Test, protected testing::LoadedWindow {
 protected:
  void TearDown() override {
    EXPECT_TRUE(os.openHandles.empty()) << "every handle closed";
    EXPECT_EQ(os.zeroHandleCalls, 0) << "no call given a zero handle";
    EXPECT_TRUE(os.notDrawing.empty() && os.strayRedraws == 0) << "drawing given back once";
  }
};

TEST_F(PriorityTest, TheListShowsEveryProcessThatGrantsTheLimitedQueryAndCountsRows) {
  os.processes = {{4, "C:\\Windows\\explorer.exe"},
                  {8, "C:\\Windows\\System32\\services.exe", kHigh},  // refuses all but a query
                  {12, "C:\\locked.exe", kNormal, false},
                  {16, "D:\\\xc3\xa9t\xc3\xa9\\tool.exe", kAbove},
                  {20, "", kNormal},  // its path cannot be read
                  {24, "C:\\odd.exe", 0x1234}};
  os.process(8)->canSet = false;
  form.ListProcesses(true);
  EXPECT_EQ(form.lstProcessList.items(),
            (testing::Lines{"C:\\Windows\\explorer.exe\tNORMAL",
                            "C:\\Windows\\System32\\services.exe\tHIGH",
                            "D:\\\xc3\xa9t\xc3\xa9\\tool.exe\tABOVE NORMAL", "C:\\odd.exe\t"}));
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 4");
  EXPECT_EQ(os.classes(), (std::vector<uint32_t>{kNormal, kHigh, kNormal, kAbove, kNormal, 0x1234}))
      << "listing only changes nothing";

  // Every identifier is visited, however the buffer had to grow.
  for (int n : {0, 3, 4, 15, 16, 40}) {
    os.processes.clear();
    for (int i = 0; i < n; ++i) os.processes.push_back({uint32_t(100 + i), "C:\\p.exe"});
    form.ListProcesses(true);
    EXPECT_EQ(form.lstProcessList.listCount(), n);
  }
}

TEST_F(PriorityTest, APassThatSetsClassesLowersEveryProcessThatGrantsIt) {
  os.processes = {{4, "C:\\a.exe"},
                  {8, "C:\\locked.exe", kNormal, false, false},
                  {12, "C:\\service.exe", kHigh, false, true},
                  {16, "", kHigh}};
  form.lngNonActivePriority = kBelow;
  form.ListProcesses(false);
  EXPECT_EQ(os.classes(), (std::vector<uint32_t>{kBelow, kNormal, kBelow, kBelow}));
  EXPECT_EQ(form.lstProcessList.items(), testing::Lines{"C:\\a.exe\tNORMAL"})
      << "the rows show the classes from before";
  form.lngNonActivePriority = 0;  // no valid class: the system refuses, nothing changes
  os.processes[0].priorityClass = kNormal;
  form.ListProcesses(false);
  EXPECT_EQ(os.classes()[0], kNormal);
}

TEST_F(PriorityTest, TheOldFamilyListsNamesOnlyAndOthersNothing) {
  os.processes = {{4, "C:\\WINDOWS\\EXPLORER.EXE"}, {8, "C:\\APPS\\TOOL.EXE"}};
  os.platformId = 1;
  form.lngNonActivePriority = kBelow;
  int rowsAtPump = -1;  // this route lets events run between rows
  os.pending.push_back([&] { rowsAtPump = form.lstProcessList.listCount(); });
  form.ListProcesses(false);
  EXPECT_EQ(rowsAtPump, 1);
  EXPECT_EQ(form.lstProcessList.items(), (testing::Lines{"EXPLORER.EXE", "TOOL.EXE"}));
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 2");
  EXPECT_EQ(os.classes(), (std::vector<uint32_t>{kNormal, kNormal}));

  os.snapshotFails = true;
  form.lblProcesses.setCaption("before");
  form.ListProcesses(true);
  EXPECT_EQ(form.lstProcessList.listCount(), 0);
  EXPECT_EQ(form.lblProcesses.caption(), "before");

  os.platformId = 3;
  form.ListProcesses(true);
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 0");

  os.redrawRefused = true;  // drawing that could not be held off is not given back
  form.ListProcesses(true);
}

TEST_F(PriorityTest, TheWatchAndTheOptionsLowerAllThenRaiseTheForegroundThenListAgain) {
  os.processes = {{4, "C:\\editor.exe"},
                  {8, "C:\\player.exe"},
                  {30, "C:\\FrameHost.exe"},
                  {31, "C:\\Calculator.exe"}};
  // A Store app's frame belongs to the frame host; the app owns the core window inside it.
  os.windows = {{0x5000, {4, "Notepad"}},
                {0x6000, {8, "Player"}},
                {0x7000, {30, "ApplicationFrameWindow"}},
                {0x7001, {31, "Windows.UI.Core.CoreWindow", 0x7000}}};
  os.foreground = 0x5000;
  form.WatchForegroundWindow();
  std::vector<testing::Lines> passes;
  form.lstProcessList.view = [&](forms::ListBox::Op op, int index) {
    if (op == forms::ListBox::Op::Cleared) passes.emplace_back();
    if (op == forms::ListBox::Op::Added) passes.back().push_back(form.lstProcessList.item(index));
  };
  const auto classesAfter = [&](auto act) {
    passes.clear();
    act();
    return os.classes();
  };
  EXPECT_EQ(classesAfter([&] { form.optActive.select(0); }),
            (std::vector<uint32_t>{kAbove, kNormal, kNormal, kNormal}))
      << "a new choice acts at once, with the same window in front";
  EXPECT_EQ(form.lstSettings.item(5), "0");
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0][0] + passes[1][0], "C:\\editor.exe\tNORMALC:\\editor.exe\tABOVE NORMAL");
  EXPECT_EQ(classesAfter([&] { form.optNonActive.select(1); }),
            (std::vector<uint32_t>{kAbove, kBelow, kBelow, kBelow}));
  EXPECT_EQ(form.lstSettings.item(6), "1");
  EXPECT_TRUE(classesAfter([&] { form.WatchForegroundWindow(); }).size() && passes.empty())
      << "the same foreground window: nothing to do";
  os.foreground = 0x6000;
  EXPECT_EQ(classesAfter([&] { form.WatchForegroundWindow(); }),
            (std::vector<uint32_t>{kBelow, kAbove, kBelow, kBelow}));
  os.foreground = 0x7000;
  EXPECT_EQ(classesAfter([&] { form.WatchForegroundWindow(); }),
            (std::vector<uint32_t>{kBelow, kBelow, kBelow, kAbove}));
  os.foreground = 0;  // no foreground window at all: all down, none up
  EXPECT_EQ(classesAfter([&] { form.optActive.select(1); }),
            (std::vector<uint32_t>{kBelow, kBelow, kBelow, kBelow}));
  EXPECT_EQ(form.lstSettings.item(5), "1");
}

}  // namespace
}  // namespace tarnwick
