#include "console/failure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/test_system.h"

namespace console {
namespace {

struct ReportCase {
  FailureCode code;
  StatementKind statement;
  std::string report;
};

TEST(RunFailure, WritesThreeLinesOnStandardErrorAndEndsWithMinusOne) {
  const std::vector<ReportCase> cases = {
      {10004, StatementKind::kRead,
       "? Run-time error:\n? Buffer allocation failed\n? READ(UNIT=*,...\n"},
      {10013, StatementKind::kRead,
       "? Run-time error:\n? Attempt to read past end of file\n? READ(UNIT=*,...\n"},
      {10016, StatementKind::kRead,
       "? Run-time error:\n? Illegal character in numeric input\n? READ(UNIT=*,...\n"},
      {10004, StatementKind::kWrite,
       "? Run-time error:\n? Buffer allocation failed\n? WRITE(UNIT=*,...\n"},
      // A console failure without a text of its own keeps the three lines.
      {10072, StatementKind::kWrite, "? Run-time error:\n? \n? WRITE(UNIT=*,...\n"},
      {0, StatementKind::kWrite, "? System Error:\n? NO_ERROR\n? WRITE(UNIT=*,...\n"},
      {5, StatementKind::kWrite, "? System Error:\n? Access Denied.\n? WRITE(UNIT=*,...\n"},
      {109, StatementKind::kWrite,
       "? System Error:\n? The pipe has been ended.\n? WRITE(UNIT=*,...\n"},
      {10073, StatementKind::kWrite, "? System Error:\n? \n? WRITE(UNIT=*,...\n"},
      {-28, StatementKind::kWrite, "? System Error:\n? \n? WRITE(UNIT=*,...\n"},
  };
  for (const ReportCase& c : cases) {
    TestSystem system;
    try {
      RunFailure(system, c.code, c.statement);
    } catch (const ProcessExit& exit) {
      EXPECT_EQ(exit.status, -1);
    }
    EXPECT_EQ(system.error, c.report) << c.code;
    EXPECT_EQ(system.output, "");
  }
}

}  // namespace
}  // namespace console
