// The engine's file wrappers, binary convention and text blocks.
// Engine binary files store 16- and 32-bit integers big-endian and strings as
// an int16 big-endian length followed by the bytes. The wrappers never stop
// the program: they print and return the result, and the caller decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vok {

// Read modes of FileRead.
enum ReadMode : int { RM_NOCHECK = 0, RM_EOFOK = 1, RM_EOFBAD = 2 };

// What FileReadString and FileReadScrambledString return for a field that
// cannot be read (-1 as int16).
inline constexpr int kBadStringField = 0xFFFF;

std::FILE* FileOpen(const char* path, const char* mode);
int FileClose(std::FILE* stream);
// Writes the block as one item: 1 when written (a block of 0 bytes counts as
// written), another value after printing "FileWrite(%p,%p,0x%x) - Failed".
int FileWrite(std::FILE* stream, const void* data, std::size_t size);
// Reads up to `size` bytes and returns the number read, printing the engine's
// messages on a short read according to `mode`.
std::size_t FileRead(std::FILE* stream, void* buffer, std::size_t size, int mode);

// Reads one line into the caller's buffer of `size` bytes: at most size - 1
// bytes are stored and the buffer is terminated. A line ends at LF, CRLF or a
// lone CR; the end is consumed and not stored. When the buffer fills before
// the end of the line, no byte is lost: the rest of the line stays in the
// stream for the next call and *truncated (when given) is set. Returns the
// number of bytes stored, or -1 when the end of the file (or size < 1) comes
// before any byte.
int FileReadLine(std::FILE* stream, char* buffer, int size, bool* truncated = nullptr);
// Reads one whole line of any length (same line ends). Returns its length, or
// -1 at the end of the file before any byte. The engine's text readers use
// this form, so a long line is never split into two lines.
int FileReadLine(std::FILE* stream, std::string* line);

// Reads `size` bytes; 2 and 4 are taken as big-endian and stored in host
// order, other sizes unswapped. -1 on a short read, else 0.
int FileReadInt(std::FILE* stream, void* buffer, int size);
int FileReadInt16(std::FILE* stream, int16_t* value);
int FileReadUInt16(std::FILE* stream, uint16_t* value);
int FileReadInt32(std::FILE* stream, int32_t* value);
// Big-endian writers; 0, or -1 when the write failed.
int FileWriteInt16(std::FILE* stream, int16_t value);
int FileWriteUInt16(std::FILE* stream, uint16_t value);
int FileWriteInt32(std::FILE* stream, int32_t value);

// Reads a string field into the caller's buffer of `size` bytes and
// terminates it; returns the length. kBadStringField when the length cannot
// be read, is negative, fewer bytes than announced arrive, or the text does
// not fit in size - 1 bytes (its bytes are then consumed, so the stream stays
// at the next field, and the buffer holds the part that fits).
int FileReadString(std::FILE* stream, char* buffer, int size);
// Writes a string field (length 0 for none). 0, or -1 when the write failed or
// the text is longer than 32767 bytes.
int FileWriteString(std::FILE* stream, const char* text);
int FileWriteString(std::FILE* stream, const char* text, std::size_t length);
// The same fields with every stored byte shifted by `key_byte` (added on
// writing, subtracted on reading, modulo 256). Reading returns 0 or
// kBadStringField.
int FileReadScrambledString(std::FILE* stream, char* buffer, int size, uint8_t key_byte);
int FileWriteScrambledString(std::FILE* stream, const char* text, uint8_t key_byte);

// 1 when the path can be accessed, else 0.
int FileExists(const char* path);
// Bytes between the stream's position and its end, or -1 when the stream
// cannot tell. Readers check the counts of a file against it before they size
// anything.
long long FileRemainingBytes(std::FILE* stream);

// Text blocks framed by "%BEGIN name" and "%END". FileFindBlock returns the
// open stream positioned after the block's "%BEGIN" line (after the first
// meaningful line when `name` is null), or null.
std::FILE* FileFindBlock(const char* path, const char* name);
// The next line of the block in the caller's buffer (lines beginning with '#'
// and empty lines skipped); its length, or -1 at "%END" or the end of the
// file. A line longer than the buffer is cut at a character boundary, the
// rest of that line is skipped (it never comes back as a line of its own) and
// *truncated is set.
int FileReadBlockLine(std::FILE* stream, char* buffer, int size, bool* truncated = nullptr);
// Number of lines FileReadBlockLine yields in the named block (0 when it is
// not found); the file is closed afterwards.
int FileCountBlockLines(const char* path, const char* name);

}  // namespace vok
