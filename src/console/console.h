#ifndef VARVE_CONSOLE_CONSOLE_H_
#define VARVE_CONSOLE_CONSOLE_H_

#include "console/input.h"
#include "console/output.h"
#include "console/system.h"

namespace console {

/// The two console channels of a process, on one System.
struct Console {
  /// Binds both channels to the standard streams of `system`.
  explicit Console(System& system) : system(system), output(system), input(system) {}

  System& system;
  ConsoleOutput output;
  ConsoleInput input;
};

}  // namespace console

#endif  // VARVE_CONSOLE_CONSOLE_H_
