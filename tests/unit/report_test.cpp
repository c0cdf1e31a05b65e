#include <gtest/gtest.h>

#include <stdexcept>

#include "base/report.h"
#include "boxed.h"

namespace tavo {
namespace {

class ErrorReport : public ::testing::Test, public test::Boxed {};
using ErrorScope = ErrorReport;

TEST_F(ErrorScope, StepReportsAndContinuesTestEntersGuardedBranch) {
  Scope scope(reporter, u"frmMain!ChkPika");
  int after = 0;
  scope.step([] { raise(err::kTypeMismatch); });
  scope.step([&] { after = 1; });
  EXPECT_EQ(after, 1);
  scope.step([] { throw std::out_of_range("no such field"); });  // never unwinds into the system
  EXPECT_TRUE(scope.test([]() -> bool { raise(err::kTypeMismatch); }));
  EXPECT_FALSE(scope.test([] { return false; }));
  // A test catches what a step catches.
  EXPECT_TRUE(scope.test([]() -> bool { throw std::bad_alloc(); }));
  EXPECT_TRUE(scope.test([]() -> bool { throw std::out_of_range("no such field"); }));
  // The second mismatch and the second library exception are identical reports.
  EXPECT_EQ(test::reportsIn(prompt.shown).size(), 3u);
  EXPECT_EQ(test::reportCount(prompt.shown, u"frmMain!ChkPika", err::kInvalidArgument), 1);
  EXPECT_EQ(test::reportCount(prompt.shown, u"frmMain!ChkPika", err::kOutOfMemory), 1);
}

}  // namespace
}  // namespace tavo
