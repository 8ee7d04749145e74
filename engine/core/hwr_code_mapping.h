// Class indexes of the handwriting recognizers and the character codes they
// stand for. Codes carry the lead byte high (GB 0xB0A1, Big5 0xA440); Latin
// codes are the ASCII characters. Every mapping answers -1 for a code or an
// index with no class.
#pragma once

#include <cstdint>

namespace vok {

inline constexpr int kScLevel1Count = 3755;
inline constexpr int kScLevel2Count = 3008;
inline constexpr int kScClasses = 6763;
inline constexpr uint16_t kScLevel1First = 0xB0A1;
inline constexpr uint16_t kScLevel2First = 0xD8A1;

inline constexpr int kTcLevel1Count = 5401;
inline constexpr int kTcLevel2Count = 10708;
inline constexpr int kTcClasses = 16109;
inline constexpr uint16_t kTcLevel1First = 0xA440;
inline constexpr uint16_t kTcLevel2First = 0xC940;
// Level-2 indexes from here on come from the table of further codes.
inline constexpr int kTcFurtherFirstIndex = 7659;
inline constexpr int kTcFurtherCodeCount = 3048;

inline constexpr int kLatinClasses = 62;

int ScLevel1Index(uint16_t code);
int ScLevel1Code(int index);
int ScLevel2Index(uint16_t code);
int ScLevel2Code(int index);
int ScIndex(uint16_t code);
int ScCode(int index);

int TcLevel1Index(uint16_t code);
int TcLevel1Code(int index);
int TcLevel2Index(uint16_t code);
int TcLevel2Code(int index);
int TcIndex(uint16_t code);
int TcCode(int index);
// The further Big5 codes, ascending.
const uint16_t* TcFurtherCodes();

int LatinIndex(uint16_t code);
int LatinCode(int index);

}  // namespace vok
