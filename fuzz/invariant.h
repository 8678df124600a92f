// What every fuzz target does when an invariant it checks is broken.

#ifndef VARVE_FUZZ_INVARIANT_H_
#define VARVE_FUZZ_INVARIANT_H_

#include <cstdio>
#include <cstdlib>
#include <string>

/// Says which invariant broke, and on what, then aborts, so that the fuzzer
/// keeps the input that broke it.
[[noreturn]] inline void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "invariant broken: %s\n%s\n", what, detail.c_str());
  std::abort();
}

#endif  // VARVE_FUZZ_INVARIANT_H_
