#include "engine/core/file_io.h"

#include <cstring>
#include <vector>

#include "engine/core/byte_order.h"
#include "engine/core/messages.h"
#include "engine/core/text.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vok {

std::FILE* FileOpen(const char* path, const char* mode) {
  std::FILE* stream = (path && mode) ? std::fopen(path, mode) : nullptr;
  if (!stream) ErrorMessage("FileOpen(%s,%s) - Failed", path ? path : "", mode ? mode : "");
  return stream;
}

int FileClose(std::FILE* stream) {
  const int result = stream ? std::fclose(stream) : EOF;
  if (result != 0) ErrorMessage("FileClose(%p) - Failed", static_cast<void*>(stream));
  return result;
}

int FileWrite(std::FILE* stream, const void* data, std::size_t size) {
  if (size == 0) return 1;
  const std::size_t written = (stream && data) ? std::fwrite(data, size, 1, stream) : 0;
  if (written != 1) {
    ErrorMessage("FileWrite(%p,%p,0x%x) - Failed", static_cast<void*>(stream), data,
                 static_cast<unsigned>(size));
  }
  return static_cast<int>(written);
}

std::size_t FileRead(std::FILE* stream, void* buffer, std::size_t size, int mode) {
  const std::size_t n = (stream && buffer && size) ? std::fread(buffer, 1, size, stream) : 0;
  if (n == size) return n;
  switch (mode) {
    case RM_NOCHECK:
      break;
    case RM_EOFOK:
      if (n == 0) break;
      [[fallthrough]];
    case RM_EOFBAD:
      ErrorMessage("FileRead(%p,%p,0x%x,RM_EOFBAD): Unexpected end of file", static_cast<void*>(stream),
                   buffer, static_cast<unsigned>(size));
      break;
    default:
      ErrorMessage("FileRead(%p,%p,0x%x,%d): Unknown read mode", static_cast<void*>(stream), buffer,
                   static_cast<unsigned>(size), mode);
      break;
  }
  return n;
}

namespace {

// After a CR: consumes the LF of a CRLF pair.
void ConsumeLineFeedAfterCarriageReturn(std::FILE* stream) {
  const int next = std::getc(stream);
  if (next != '\n' && next != EOF) std::ungetc(next, stream);
}

// Reads one line ended by LF, CR LF or CR, handing each byte to `store`.
// When `store` refuses a byte, it goes back to the stream and the read ends
// there. Returns whether anything (a byte or a line end) was read.
template <typename Store>
bool ReadLine(std::FILE* stream, Store store) {
  bool any = false;
  for (;;) {
    const int c = std::getc(stream);
    if (c == EOF) return any;
    any = true;
    if (c == '\n') return true;
    if (c == '\r') {
      ConsumeLineFeedAfterCarriageReturn(stream);
      return true;
    }
    if (!store(static_cast<char>(c))) {
      std::ungetc(c, stream);
      return true;
    }
  }
}

}  // namespace

int FileReadLine(std::FILE* stream, char* buffer, int size, bool* truncated) {
  if (truncated) *truncated = false;
  if (!stream || !buffer || size < 1) return -1;
  int stored = 0;
  const bool any = ReadLine(stream, [&](char c) {
    if (stored == size - 1) {
      // The buffer is full and the line goes on: the byte stays in the
      // stream, so the next call starts with it.
      if (truncated) *truncated = true;
      return false;
    }
    buffer[stored++] = c;
    return true;
  });
  buffer[stored] = '\0';
  return any ? stored : -1;
}

int FileReadLine(std::FILE* stream, std::string* line) {
  if (!stream || !line) return -1;
  line->clear();
  const bool any = ReadLine(stream, [line](char c) {
    line->push_back(c);
    return true;
  });
  return any ? static_cast<int>(line->size()) : -1;
}

int FileReadInt(std::FILE* stream, void* buffer, int size) {
  if (!buffer || size < 0) return -1;
  unsigned char bytes[4];
  if (size == 2 || size == 4) {
    if (FileRead(stream, bytes, static_cast<std::size_t>(size), RM_NOCHECK) !=
        static_cast<std::size_t>(size)) {
      return -1;
    }
    if (size == 2) {
      const uint16_t v = LoadBigEndian16(bytes);
      std::memcpy(buffer, &v, 2);
    } else {
      const uint32_t v = LoadBigEndian32(bytes);
      std::memcpy(buffer, &v, 4);
    }
    return 0;
  }
  return FileRead(stream, buffer, static_cast<std::size_t>(size), RM_NOCHECK) ==
                 static_cast<std::size_t>(size)
             ? 0
             : -1;
}

int FileReadInt16(std::FILE* stream, int16_t* value) { return FileReadInt(stream, value, 2); }
int FileReadUInt16(std::FILE* stream, uint16_t* value) { return FileReadInt(stream, value, 2); }
int FileReadInt32(std::FILE* stream, int32_t* value) { return FileReadInt(stream, value, 4); }

int FileWriteUInt16(std::FILE* stream, uint16_t value) {
  unsigned char bytes[2];
  StoreBigEndian16(bytes, value);
  return FileWrite(stream, bytes, 2) == 1 ? 0 : -1;
}

int FileWriteInt16(std::FILE* stream, int16_t value) {
  return FileWriteUInt16(stream, static_cast<uint16_t>(value));
}

int FileWriteInt32(std::FILE* stream, int32_t value) {
  unsigned char bytes[4];
  StoreBigEndian32(bytes, static_cast<uint32_t>(value));
  return FileWrite(stream, bytes, 4) == 1 ? 0 : -1;
}

namespace {

// Reads a string field; the stored bytes pass through `transform`.
template <class Transform>
int ReadStringField(std::FILE* stream, char* buffer, int size, Transform transform) {
  if (!buffer || size < 1) return kBadStringField;
  buffer[0] = '\0';
  int16_t length = 0;
  if (FileReadInt16(stream, &length) != 0 || length < 0) return kBadStringField;
  const int fits = length < size ? length : size - 1;
  if (FileRead(stream, buffer, static_cast<std::size_t>(fits), RM_NOCHECK) !=
      static_cast<std::size_t>(fits)) {
    buffer[0] = '\0';
    return kBadStringField;
  }
  for (int i = 0; i < fits; ++i) buffer[i] = transform(buffer[i]);
  buffer[fits] = '\0';
  if (fits < length) {
    // Consume the rest so the stream stays at the next field.
    char skip[256];
    int left = length - fits;
    while (left > 0) {
      const int chunk = left < static_cast<int>(sizeof skip) ? left : static_cast<int>(sizeof skip);
      if (FileRead(stream, skip, static_cast<std::size_t>(chunk), RM_NOCHECK) !=
          static_cast<std::size_t>(chunk)) {
        break;
      }
      left -= chunk;
    }
    return kBadStringField;
  }
  return length;
}

template <class Transform>
int WriteStringField(std::FILE* stream, const char* text, std::size_t length, Transform transform) {
  if (!text) length = 0;
  if (length > 32767) {
    ErrorMessage("FileWriteString(%p): string of %u bytes is too long", static_cast<void*>(stream),
                 static_cast<unsigned>(length));
    return -1;
  }
  if (FileWriteInt16(stream, static_cast<int16_t>(length)) != 0) return -1;
  if (length == 0) return 0;
  std::vector<char> bytes(text, text + length);
  for (char& c : bytes) c = transform(c);
  return FileWrite(stream, bytes.data(), length) == 1 ? 0 : -1;
}

}  // namespace

int FileReadString(std::FILE* stream, char* buffer, int size) {
  return ReadStringField(stream, buffer, size, [](char c) { return c; });
}

int FileWriteString(std::FILE* stream, const char* text) {
  return WriteStringField(stream, text, text ? std::strlen(text) : 0, [](char c) { return c; });
}

int FileWriteString(std::FILE* stream, const char* text, std::size_t length) {
  return WriteStringField(stream, text, length, [](char c) { return c; });
}

int FileReadScrambledString(std::FILE* stream, char* buffer, int size, uint8_t key_byte) {
  const int result = ReadStringField(stream, buffer, size, [key_byte](char c) {
    return static_cast<char>(static_cast<unsigned char>(static_cast<unsigned char>(c) - key_byte));
  });
  return result == kBadStringField ? kBadStringField : 0;
}

int FileWriteScrambledString(std::FILE* stream, const char* text, uint8_t key_byte) {
  return WriteStringField(stream, text, text ? std::strlen(text) : 0, [key_byte](char c) {
    return static_cast<char>(static_cast<unsigned char>(static_cast<unsigned char>(c) + key_byte));
  });
}

int FileExists(const char* path) {
  if (!path) return 0;
#if defined(_WIN32)
  return _access(path, 0) == 0 ? 1 : 0;
#else
  return access(path, F_OK) == 0 ? 1 : 0;
#endif
}

long long FileRemainingBytes(std::FILE* stream) {
  if (!stream) return -1;
  const long here = std::ftell(stream);
  if (here < 0) return -1;
  if (std::fseek(stream, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(stream);
  std::fseek(stream, here, SEEK_SET);
  if (end < here) return -1;
  return static_cast<long long>(end) - here;
}

namespace {

// The token of `line` that starts at `*pos` (separators skipped first).
std::string NextToken(const std::string& line, std::size_t* pos, const char* separators) {
  std::size_t start = line.find_first_not_of(separators, *pos);
  if (start == std::string::npos) {
    *pos = line.size();
    return std::string();
  }
  std::size_t end = line.find_first_of(separators, start);
  if (end == std::string::npos) end = line.size();
  *pos = end;
  return line.substr(start, end - start);
}

bool IsEndLine(const std::string& line) {
  return line.compare(0, 4, "%END") == 0 && (line.size() == 4 || line[4] == ' ' || line[4] == '\t');
}

}  // namespace

std::FILE* FileFindBlock(const char* path, const char* name) {
  std::FILE* stream = path ? std::fopen(path, "r") : nullptr;
  if (!stream) return nullptr;
  std::string line;
  while (FileReadLine(stream, &line) >= 0) {
    if (line.empty() || line[0] == '#') continue;
    if (!name) return stream;
    std::size_t pos = 0;
    if (NextToken(line, &pos, " \t\r") != "%BEGIN") continue;
    if (NextToken(line, &pos, " \t\n\r") == name) return stream;
  }
  std::fclose(stream);
  return nullptr;
}

int FileReadBlockLine(std::FILE* stream, char* buffer, int size, bool* truncated) {
  if (truncated) *truncated = false;
  if (!stream || !buffer || size < 1) return -1;
  buffer[0] = '\0';
  std::string line;
  while (FileReadLine(stream, &line) >= 0) {
    if (line.empty() || line[0] == '#') continue;
    if (IsEndLine(line)) return -1;
    std::size_t length = line.size();
    if (length > static_cast<std::size_t>(size - 1)) {
      length = CharacterPrefix(line.data(), line.size(), static_cast<std::size_t>(size - 1));
      if (truncated) *truncated = true;
    }
    std::memcpy(buffer, line.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
  }
  return -1;
}

int FileCountBlockLines(const char* path, const char* name) {
  std::FILE* stream = FileFindBlock(path, name);
  if (!stream) return 0;
  int count = 0;
  std::vector<char> buffer(1024);
  while (FileReadBlockLine(stream, buffer.data(), static_cast<int>(buffer.size())) >= 0) ++count;
  std::fclose(stream);
  return count;
}

}  // namespace vok
