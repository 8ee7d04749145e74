// The engine's message printers: the recorded error list, the
// immediate error and warning lines, and the log stream filtered by
// System.Verbosity. The error list and the log are process-wide and guarded
// by a lock, so that several engine threads may report at once.
#pragma once

#include <cstdio>
#include <string>

#if defined(__MINGW32__)
#define VOK_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#elif defined(__GNUC__)
#define VOK_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define VOK_PRINTF_FORMAT(f, a)
#endif

namespace vok {

class Resources;

inline constexpr int kErrorSlots = 64;

// One slot of the error list. A slot recorded with no place has has_place
// false; one recorded with no format has has_message false.
struct ErrorRecord {
  int code = 0;
  bool has_place = false;
  std::string place;
  bool has_message = false;
  std::string message;
};

// Formats the message (at most 1023 bytes are kept) and records
// {code, place, message} in the next free slot; when all 64 slots are used the
// last one is overwritten. Returns `code`.
int ErrorSet(const char* place, int code, const char* format, ...) VOK_PRINTF_FORMAT(3, 4);
// Prints every recorded error in order to the standard output as
// "ERROR %d: %s: %s\n", or "ERROR %d: %s\n" for a slot without message.
void ErrorPrint();
// Empties the list.
void ErrorClear();
// Number of slots in use, and a copy of one of them (false outside the list).
int ErrorCount();
bool ErrorAt(int index, ErrorRecord* record);
// True when some recorded slot carries exactly this message.
bool ErrorRecorded(const char* message);

// "\n%s\n" on the error stream (message cut to 255 bytes).
void ErrorMessage(const char* format, ...) VOK_PRINTF_FORMAT(1, 2);
// "\nWARNING: %s\n" on the error stream (message cut to 255 bytes).
void WarningMessage(const char* format, ...) VOK_PRINTF_FORMAT(1, 2);

// Writes the text to the log stream when the verbosity is not negative and the
// log stream is set to something other than the standard output.
void LogWrite(const char* text);
// Formats (at most 9,999 bytes) and passes the text to LogWrite; nothing for
// an empty format or a negative verbosity.
void LogPrint(const char* format, ...) VOK_PRINTF_FORMAT(1, 2);
// As LogPrint, and prints the same text on the standard output.
void LogPrintEcho(const char* format, ...) VOK_PRINTF_FORMAT(1, 2);

// Prints "%s " on the standard output and returns `code`. Despite its name it
// never ends the process: the caller returns the code as its failure.
int PrintAndExit(const char* text, int code);

// The log stream: null sets it back to the standard output (the start state).
void SetLogStream(std::FILE* stream);
std::FILE* GetLogStream();
// The log stream when LogWrite would write to it, else null: for reports
// that print themselves to a stream.
std::FILE* LogReportStream();
// The store whose System.Verbosity filters the log; null (the start state)
// reads as verbosity 0. The store must outlive its use here.
void SetLogResources(const Resources* resources);
int LogVerbosity();

// Where "the standard output" and "the error stream" of these printers go;
// null restores stdout or stderr. Meant for tests and for a host that wants
// the engine's lines elsewhere.
void SetMessageStreams(std::FILE* standard_output, std::FILE* error_stream);
std::FILE* MessageOutput();
std::FILE* MessageErrorStream();

}  // namespace vok
