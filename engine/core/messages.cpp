#include "engine/core/messages.h"

#include <array>
#include <cstdarg>
#include <cstring>
#include <mutex>

#include "engine/core/resources.h"

namespace vok {
namespace {

struct MessageState {
  std::mutex lock;
  std::array<ErrorRecord, kErrorSlots> errors;
  int error_count = 0;
  std::FILE* log_stream = nullptr;  // null: the standard output
  const Resources* log_resources = nullptr;
  std::FILE* output = nullptr;        // null: stdout
  std::FILE* error_stream = nullptr;  // null: stderr
};

MessageState& State() {
  static MessageState state;
  return state;
}

// vsnprintf into a fixed buffer of `size` bytes, like the engine's fixed message buffers.
std::string FormatBounded(std::size_t size, const char* format, std::va_list args) {
  std::string text(size, '\0');
  const int n = std::vsnprintf(text.data(), size, format, args);
  if (n < 0) return std::string();
  text.resize(static_cast<std::size_t>(n) < size ? static_cast<std::size_t>(n) : size - 1);
  return text;
}

std::FILE* OutputLocked(MessageState& s) { return s.output ? s.output : stdout; }
std::FILE* ErrorStreamLocked(MessageState& s) { return s.error_stream ? s.error_stream : stderr; }

int VerbosityOf(const Resources* resources) {
  if (!resources) return 0;
  int verbosity = 0;
  if (resources->GetInt("System", "Verbosity", &verbosity) != 0) return 0;
  return verbosity;
}

void LogWriteLocked(MessageState& s, const char* text) {
  if (!s.log_stream || s.log_stream == stdout) return;
  if (VerbosityOf(s.log_resources) < 0) return;
  std::fputs(text, s.log_stream);
  std::fflush(s.log_stream);
}

}  // namespace

int ErrorSet(const char* place, int code, const char* format, ...) {
  ErrorRecord record;
  record.code = code;
  if (place) {
    record.has_place = true;
    record.place = place;
  }
  if (format) {
    std::va_list args;
    va_start(args, format);
    record.message = FormatBounded(1024, format, args);
    va_end(args);
    record.has_message = true;
  }
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.error_count < kErrorSlots) {
    s.errors[static_cast<std::size_t>(s.error_count++)] = std::move(record);
  } else {
    s.errors[kErrorSlots - 1] = std::move(record);
  }
  return code;
}

void ErrorPrint() {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  std::FILE* out = OutputLocked(s);
  for (int i = 0; i < s.error_count; ++i) {
    const ErrorRecord& e = s.errors[static_cast<std::size_t>(i)];
    if (e.has_message) {
      std::fprintf(out, "ERROR %d: %s: %s\n", e.code, e.place.c_str(), e.message.c_str());
    } else {
      std::fprintf(out, "ERROR %d: %s\n", e.code, e.place.c_str());
    }
  }
  std::fflush(out);
}

void ErrorClear() {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  for (auto& e : s.errors) e = ErrorRecord();
  s.error_count = 0;
}

int ErrorCount() {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.error_count;
}

bool ErrorAt(int index, ErrorRecord* record) {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (index < 0 || index >= s.error_count || !record) return false;
  *record = s.errors[static_cast<std::size_t>(index)];
  return true;
}

bool ErrorRecorded(const char* message) {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  for (int i = 0; i < s.error_count; ++i) {
    const ErrorRecord& e = s.errors[static_cast<std::size_t>(i)];
    if (e.has_message && e.message == message) return true;
  }
  return false;
}

namespace {

// Prints a message to the error stream at once, framed by `layout`.
void PrintMessage(const char* layout, const char* format, std::va_list args) {
  const std::string text = FormatBounded(256, format, args);
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  std::fprintf(ErrorStreamLocked(s), layout, text.c_str());
  std::fflush(ErrorStreamLocked(s));
}

}  // namespace

void ErrorMessage(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  PrintMessage("\n%s\n", format, args);
  va_end(args);
}

void WarningMessage(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  PrintMessage("\nWARNING: %s\n", format, args);
  va_end(args);
}

void LogWrite(const char* text) {
  if (!text) return;
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  LogWriteLocked(s, text);
}

namespace {

// Writes the formatted report to the log stream, and with `echo` to the
// output stream too, unless the verbosity drops reports.
void LogReport(bool echo, const char* format, std::va_list args) {
  MessageState& s = State();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (VerbosityOf(s.log_resources) < 0) return;
  }
  const std::string text = FormatBounded(10000, format, args);
  std::lock_guard<std::mutex> guard(s.lock);
  LogWriteLocked(s, text.c_str());
  if (echo) {
    std::fputs(text.c_str(), OutputLocked(s));
    std::fflush(OutputLocked(s));
  }
}

}  // namespace

void LogPrint(const char* format, ...) {
  if (!format || !*format) return;
  std::va_list args;
  va_start(args, format);
  LogReport(false, format, args);
  va_end(args);
}

void LogPrintEcho(const char* format, ...) {
  if (!format || !*format) return;
  std::va_list args;
  va_start(args, format);
  LogReport(true, format, args);
  va_end(args);
}

int PrintAndExit(const char* text, int code) {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  std::fprintf(OutputLocked(s), "%s ", text ? text : "");
  std::fflush(OutputLocked(s));
  return code;
}

void SetLogStream(std::FILE* stream) {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.log_stream = stream;
}

std::FILE* GetLogStream() {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.log_stream ? s.log_stream : stdout;
}

std::FILE* LogReportStream() {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.log_stream || s.log_stream == stdout || VerbosityOf(s.log_resources) < 0) return nullptr;
  return s.log_stream;
}

void SetLogResources(const Resources* resources) {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.log_resources = resources;
}

int LogVerbosity() {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return VerbosityOf(s.log_resources);
}

void SetMessageStreams(std::FILE* standard_output, std::FILE* error_stream) {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.output = standard_output;
  s.error_stream = error_stream;
}

std::FILE* MessageOutput() {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return OutputLocked(s);
}

std::FILE* MessageErrorStream() {
  MessageState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  return ErrorStreamLocked(s);
}

}  // namespace vok
