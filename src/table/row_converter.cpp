#include "table/row_converter.h"

namespace table {

std::string wider_row_message(std::size_t width, std::size_t columns, bool named) {
  return "the row has " + std::to_string(width) + " cells, more than the " +
         (named ? "header's " : "first row's ") + std::to_string(columns) +
         " (a separator too many, or one inside a cell without quotes?)";
}

}  // namespace table
