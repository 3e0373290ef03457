#include "host/progress_monitor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host.h"

namespace {

using host::MonitorCall;

std::string describe(const MonitorCall &call) {
  return call.op + "|" + (call.text_was_null ? "<null>" : call.text) + "|" + std::to_string(call.number);
}

std::vector<std::string> describe(const std::vector<MonitorCall> &calls) {
  std::vector<std::string> lines;
  for (const auto &call : calls) lines.push_back(describe(call));
  return lines;
}

class MonitorFuncs : public ::testing::Test {
 protected:
  const LWLMonFuncs &funcs = host::monitor_funcs_table();
  host::Host host;
};

TEST_F(MonitorFuncs, RecordsEveryCallOfAScanInOrder) {
  LWLMonID mon = funcs.create();
  ASSERT_NE(mon, nullptr);
  char title[] = "Tavorix: Scan";
  funcs.setup(mon, title, 3, nullptr);
  funcs.init(mon, 8, "Scanning...");
  funcs.step(mon, 1, nullptr);
  funcs.step(mon, 4, "Scanned: 4 items");
  funcs.done(mon);
  funcs.destroy(mon);

  EXPECT_EQ(describe(host.monitor_calls()),
            (std::vector<std::string>{"create|<null>|0", "setup|Tavorix: Scan|3", "init|Scanning...|8",
                                      "step|<null>|1", "step|Scanned: 4 items|4", "done|<null>|0",
                                      "destroy|<null>|0"}));
  host.clear_monitor_calls();
  EXPECT_TRUE(host.monitor_calls().empty());
}

TEST_F(MonitorFuncs, CallsOnNullOrDestroyedMonitorsAreIgnored) {
  const std::size_t live_before = host::live_monitor_count();
  LWLMonID mon = funcs.create();
  EXPECT_EQ(host::live_monitor_count(), live_before + 1);
  funcs.destroy(mon);
  EXPECT_EQ(host::live_monitor_count(), live_before);
  host.clear_monitor_calls();

  char title[] = "x";
  for (LWLMonID ignored : {static_cast<LWLMonID>(nullptr), mon}) {
    funcs.setup(ignored, title, 0, nullptr);
    funcs.init(ignored, 1, "x");
    EXPECT_EQ(funcs.step(ignored, 1, "x"), 0);
    funcs.done(ignored);
    funcs.destroy(ignored);
  }
  EXPECT_TRUE(host.monitor_calls().empty());
  EXPECT_EQ(host::live_monitor_count(), live_before);
}

TEST_F(MonitorFuncs, StepAsksToStopOnlyWhenTheHostSaysSo) {
  LWLMonID mon = funcs.create();
  funcs.init(mon, 2, nullptr);
  EXPECT_EQ(funcs.step(mon, 1, nullptr), 0);
  host.set_monitor_requests_abort(true);
  EXPECT_EQ(funcs.step(mon, 1, nullptr), 1);
  funcs.destroy(mon);
}

TEST(ProgressLine, ShowsTitlePercentBarAndMessage) {
  EXPECT_EQ(host::render_progress_line("Scan", 5, 10, false, "Scanning...", 10),
            "Scan  50% [#####     ] Scanning...");
  EXPECT_EQ(host::render_progress_line("", 1, 3, false, "", 3), " 33% [#  ]");
}

TEST(ProgressLine, ClampsOverrunsAndHandlesAnEmptyTotal) {
  EXPECT_EQ(host::render_progress_line("T", 12, 8, false, "", 4), "T 100% [####]");
  EXPECT_EQ(host::render_progress_line("T", 0, 0, false, "", 4), "T   0% [    ]");
  EXPECT_EQ(host::render_progress_line("T", 0, 0, true, "", 4), "T 100% [####]");
}

}  // namespace
