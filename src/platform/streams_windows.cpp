// Byte I/O on Windows: the standard handles, CreateFileW, ReadFile and
// WriteFile. Bytes pass through unchanged: no text-mode line ends and no
// code-page conversion of the data; only file names travel as UTF-16.

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <limits>

#include "platform/streams.h"

namespace platform {
namespace {

DWORD clamp(std::size_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
}

HANDLE standard_handle(StandardStream stream) {
  switch (stream) {
    case StandardStream::kInput:
      return GetStdHandle(STD_INPUT_HANDLE);
    case StandardStream::kOutput:
      return GetStdHandle(STD_OUTPUT_HANDLE);
    case StandardStream::kError:
      break;
  }
  return GetStdHandle(STD_ERROR_HANDLE);
}

std::wstring wide(const std::string& utf8) {
  int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), length);
  }
  return out;
}

std::string utf8(const wchar_t* text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) {
    return {};
  }
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
  out.pop_back();  // The terminating NUL.
  return out;
}

}  // namespace

WriteResult write_all(StandardStream stream, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    BOOL ok =
        WriteFile(standard_handle(stream), bytes.data(), clamp(bytes.size()), &written, nullptr);
    if (!ok || written == 0) {
      auto error = static_cast<ErrorCode>(GetLastError());
      bool gone =
          error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA || error == ERROR_PIPE_NOT_CONNECTED;
      return {gone ? WriteOutcome::kReaderGone : WriteOutcome::kFailed, error};
    }
    bytes.remove_prefix(written);
  }
  return {};
}

ByteSource ByteSource::standard_input() {
  return ByteSource(Kind::kStandardInput, 0);
}

ByteSource ByteSource::open_file(const std::string& path, ErrorCode& error) {
  HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = static_cast<ErrorCode>(GetLastError());
    return ByteSource(Kind::kClosed, 0);
  }
  error = 0;
  return ByteSource(Kind::kFile, reinterpret_cast<std::intptr_t>(file));
}

void ByteSource::close_file(std::intptr_t handle) {
  CloseHandle(reinterpret_cast<HANDLE>(handle));
}

ReadResult ByteSource::read(char* buffer, std::size_t size) {
  if (kind_ == Kind::kClosed) {
    return {0, ERROR_INVALID_HANDLE};
  }
  HANDLE handle = kind_ == Kind::kFile ? reinterpret_cast<HANDLE>(handle_)
                                       : standard_handle(StandardStream::kInput);
  DWORD read = 0;
  if (!ReadFile(handle, buffer, clamp(size), &read, nullptr)) {
    DWORD error = GetLastError();
    // A pipe whose writer has gone is the end of its input.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) {
      return {0, 0};
    }
    return {0, static_cast<ErrorCode>(error)};
  }
  return {read, 0};
}

bool ByteSource::is_terminal() const {
  if (kind_ == Kind::kClosed) {
    return false;
  }
  HANDLE handle = kind_ == Kind::kFile ? reinterpret_cast<HANDLE>(handle_)
                                       : standard_handle(StandardStream::kInput);
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

std::string error_text(ErrorCode code) {
  char message[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(code), 0, message, sizeof message, nullptr);
  // The system's texts end with a line end, which the caller adds itself.
  while (length > 0 && (message[length - 1] == '\n' || message[length - 1] == '\r' ||
                        message[length - 1] == ' ')) {
    --length;
  }
  if (length == 0) {
    return "error " + std::to_string(code);
  }
  return std::string(message, length);
}

void report_io_signals_as_errors() {}

std::vector<std::string> arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide_arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide_arguments == nullptr) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  }
  std::vector<std::string> out;
  for (int i = 1; i < count; ++i) {
    out.push_back(utf8(wide_arguments[i]));
  }
  LocalFree(wide_arguments);
  return out;
}

}  // namespace platform
