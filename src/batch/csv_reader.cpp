#include "batch/csv_reader.h"

namespace batch {

CsvReader::CsvReader(std::string_view separators, std::size_t max_record)
    : max_record_(max_record) {
  for (char separator : separators) {
    classes_[static_cast<unsigned char>(separator)] = kSeparator;
  }
  classes_['\r'] = kCr;
  classes_['\n'] = kLf;
}

bool CsvReader::keep(const char* start, const char* end) {
  partial_.append(start, end);
  if (partial_.size() > max_record_) {
    error_ = CsvError::kRecordTooLong;
    error_line_ = record_line_;
    partial_ = std::string();
    return false;
  }
  return true;
}

}  // namespace batch
