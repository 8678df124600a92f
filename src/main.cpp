// varve-convert: converts varve numbers between the New England and the North
// American varve chronologies, one number at a time, at the console.

#include <new>

#include "console/console.h"
#include "console/failure.h"
#include "dialogue/dialogue.h"

int main() {
  console::System& system = console::process_system();
  try {
    console::Console console(system);
    dialogue::Dialogue(console).run();
  } catch (const std::bad_alloc&) {
    // Storage for the console channels themselves could not be had.
    console::RunFailure(system, console::kBufferAllocationFailed, console::StatementKind::kWrite);
  }
}
