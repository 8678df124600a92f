// The console's System on Windows: the standard handles through the
// platform's byte streams (ReadFile, WriteFile), FormatMessage and ExitProcess. Bytes pass through
// unchanged: no code-page conversion and no text-mode line ends, so each record's CR LF is written
// exactly once.

#include <windows.h>

#include "console/system.h"
#include "platform/streams.h"

namespace console {
namespace {

class WindowsSystem final : public System {
 public:
  std::size_t read_input(char* buffer, std::size_t size) override {
    // The handle is looked up anew for every read, as the process's standard
    // handles may be changed under it. A failed read is the end of input.
    return platform::ByteSource::standard_input().read(buffer, size).count;
  }

  std::optional<FailureCode> write_output(std::string_view bytes) override {
    platform::WriteResult result = platform::write_all(platform::StandardStream::kOutput, bytes);
    if (result.outcome == platform::WriteOutcome::kWritten) {
      return std::nullopt;
    }
    return static_cast<FailureCode>(result.error);
  }

  void write_error(std::string_view bytes) override {
    (void)platform::write_all(platform::StandardStream::kError, bytes);
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
  char message_[512] = {};
};

}  // namespace

System& process_system() {
  static WindowsSystem system;
  return system;
}

}  // namespace console
