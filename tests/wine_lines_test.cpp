// The rule by which the tests set Wine's own lines aside from a program's
// standard error: by their form only, whole lines only, and never hiding a
// fault of the program itself.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "process.h"

namespace {

TEST(WineLines, AreKnownByTheirFormAlone) {
  struct Case {
    const char* line;
    bool wine;
  };
  const Case cases[] = {
      {"wine: Unhandled page fault on read access to 0000000000000008 at address "
       "000000031CAA2391 (thread 008c), starting debugger...",
       true},
      {"wine: configuration in L\"/tmp/prefix\" has been updated.", true},
      {"0024:fixme:ntdll:NtQuerySystemInformation info_class SYSTEM_PERFORMANCE_INFORMATION", true},
      {"err:module:import_dll Library MSVCP140.dll not found", true},
      {"0000008c:warn:seh:dispatch_exception unhandled", true},
      // The programs' own texts, however close.
      {"? Run-time error:", false},
      {"varve-batch: line 1: not a whole number: 'wine: x'", false},
      {"wine:no blank after the colon", false},
      {" wine: indented", false},
      {"fixme: no channel", false},
      {"err:Module:capital letters", false},
      {"12:fixme:ntdll:too few digits", false},
      {"Unhandled exception: page fault on read access to 0x0 in 64-bit code", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(testing_process::is_wine_line(c.line), c.wine) << c.line;
  }
}

TEST(WineLines, OnlyWholeLinesAreSetAsideAndTheRestKeepsItsBytes) {
  std::string error =
      "? Run-time error:\r\n"
      "wine: a line of Wine's\n"
      "? Attempt to read past end of file\n"
      "0024:err:seh:x y\r\n"
      "wine: half a line";
  EXPECT_EQ(testing_process::take_wine_lines(error),
            "wine: a line of Wine's\n0024:err:seh:x y\r\n");
  EXPECT_EQ(error, "? Run-time error:\r\n? Attempt to read past end of file\nwine: half a line");
}

#ifdef VARVE_WINDOWS_PROGRAMS  // Built to test the Windows build under Wine.

/// The probe built for Windows beside the programs, started through Wine.
std::vector<std::string> probe(const char* argument) {
  std::vector<std::string> command = testing_process::program("VARVE_WINE_PROBE", "");
  if (argument) {
    command.emplace_back(argument);
  }
  return command;
}

TEST(WineLines, APlantedWineLineIsSetAsideAndTheProgramsOwnKept) {
  testing_process::Result r = testing_process::run(probe(nullptr), "");
  EXPECT_EQ(r.output, "ok\r\n");
  EXPECT_EQ(r.error, "a line of its own\r\n");
  EXPECT_EQ(r.wine, "wine: a line as Wine writes its own\r\n");
  EXPECT_EQ(r.status, 0);
}

TEST(WineLines, AProgramThatCrashesStillFailsItsTest) {
  testing_process::Result r = testing_process::run(probe("crash"), "");
  // Wine's word on the crash is set aside, and no debugger's dump follows it...
  EXPECT_NE(r.wine.find("wine: Unhandled page fault"), std::string::npos) << r.wine;
  EXPECT_EQ(r.error, "");
  // ...but what a test compares still tells the crash from a clean run.
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.output, "");
}

#endif  // VARVE_WINDOWS_PROGRAMS

}  // namespace
