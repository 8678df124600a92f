// The console's System on Windows: the standard handles, ReadFile, WriteFile
// and ExitProcess. Bytes pass through unchanged: no code-page conversion and no
// text-mode line ends, so each record's CR LF is written exactly once.

#include <windows.h>

#include <algorithm>
#include <limits>

#include "console/system.h"

namespace console {
namespace {

class WindowsSystem final : public System {
 public:
  std::size_t read_input(char* buffer, std::size_t size) override {
    // The handle is looked up anew for every read, as the process's standard
    // handles may be changed under it.
    DWORD read = 0;
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, clamp(size), &read, nullptr)) {
      return 0;  // A failed read is the end of input.
    }
    return read;
  }

  std::optional<FailureCode> write_output(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      BOOL ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), clamp(bytes.size()),
                          &written, nullptr);
      if (!ok || written == 0) {
        return static_cast<FailureCode>(GetLastError());
      }
      bytes.remove_prefix(written);
    }
    return std::nullopt;
  }

  void write_error(std::string_view bytes) override {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), clamp(bytes.size()), &written, nullptr);
  }

  std::string_view error_text(FailureCode code) override {
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, message_, sizeof message_, nullptr);
    // The system's texts end with a line end, which the report adds itself.
    while (length > 0 && (message_[length - 1] == '\n' || message_[length - 1] == '\r' ||
                          message_[length - 1] == ' ')) {
      --length;
    }
    return std::string_view(message_, length);
  }

  void end_process(int status) override { ExitProcess(static_cast<UINT>(status)); }

 private:
  static DWORD clamp(std::size_t size) {
    return static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
  }

  char message_[512] = {};
};

}  // namespace

System& process_system() {
  static WindowsSystem system;
  return system;
}

}  // namespace console
