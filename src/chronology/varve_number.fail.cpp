// Misuses of the NE and AM number types, which must not compile. The build
// compiles this file once per misuse, with VARVE_MISUSE_<name> defined, and
// expects each to fail; and once with none defined, which must compile, so
// that each failure is the misuse's own. Each misuse has its correct form
// beside it, which the build without a misuse compiles.

#include <cstdint>

#include "chronology/links.h"
#include "table/added_cells.h"

namespace {

using chronology::AmNumber;
using chronology::Link;
using chronology::NeNumber;

[[maybe_unused]] void uses() {
  // Each used by some cases only: no case may fail for a variable unused.
  [[maybe_unused]] NeNumber ne{4282};
  [[maybe_unused]] AmNumber am{4294};
  [[maybe_unused]] Link link = chronology::ne_to_am(ne)[0];
  [[maybe_unused]] table::NeToAmCells cells;

#if defined(VARVE_MISUSE_ne_for_am)
  chronology::am_to_ne(ne);  // An NE number looked up as an AM number.
#elif defined(VARVE_MISUSE_am_for_ne)
  chronology::ne_to_am(am);  // An AM number looked up as an NE number.
#elif defined(VARVE_MISUSE_ne_in_am_field)
  link.am_first = link.ne_first;  // An NE number stored as an AM number.
#elif defined(VARVE_MISUSE_int_as_ne)
  NeNumber unnamed = 4282;  // An integer taken for an NE number unasked.
  static_cast<void>(unnamed);
#elif defined(VARVE_MISUSE_ne_as_int)
  std::int32_t plain = ne;  // An NE number read as an integer unasked.
  static_cast<void>(plain);
#elif defined(VARVE_MISUSE_ne_equals_am)
  static_cast<void>(ne == am);  // Numbers of two chronologies compared.
#elif defined(VARVE_MISUSE_ne_minus_am)
  static_cast<void>(am - ne);  // Numbers of two chronologies subtracted.
#elif defined(VARVE_MISUSE_ne_in_added_am)
  cells.am_first = link.ne_first;  // An NE number written in an AM column.
#else
  chronology::am_to_ne(am);
  chronology::ne_to_am(ne);
  link.am_first = am;
  NeNumber named{4282};
  std::int32_t plain = ne.value();
  static_cast<void>(named == ne && plain == 4282 && link.am_first == am);
  static_cast<void>(am - link.am_first);
  static_cast<void>(am.value() - ne.value());
  cells.am_first = link.am_first;
#endif
}

}  // namespace
