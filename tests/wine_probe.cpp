// Built for Windows only, for the end-to-end tests under Wine: with the
// argument "crash" it dies of a page fault; with none it writes a line of its
// own and a line as Wine writes its own on standard error, and "ok" on
// standard output.

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "crash") == 0) {
    volatile int* nowhere = nullptr;
    return *nowhere;
  }
  std::fputs("a line of its own\n", stderr);
  std::fputs("wine: a line as Wine writes its own\n", stderr);
  std::fflush(stderr);
  std::puts("ok");
  return 0;
}
