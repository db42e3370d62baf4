// The Unicode forms of the converter, converted by algorithm: UTF-16LE to
// and from UTF-8, and UTF-7 to UTF-16LE. Each appends to out.
//
// UTF-16 here is a sequence of 16-bit code units with no surrogate-pair
// processing: a surrogate is encoded on its own as a three-byte sequence,
// and UTF-8 three-byte sequences that encode surrogates are read back as
// such, so UTF-16 -> UTF-8 -> UTF-16 gives back every sequence of non-zero
// units. Four-byte UTF-8 sequences are not supported.
#pragma once

#include <cstdint>

class DataBuffer;

// NUL units give no output. False for an odd length (the last byte is
// dropped) or when out cannot grow.
bool utf16ToUtf8(const unsigned char* bytes, uint32_t n, DataBuffer& out);

// Bytes below 80 are units as they are (NUL included); a valid two- or
// three-byte sequence gives one unit; anything else (a stray continuation,
// C0, C1, F0-FF, an overlong three-byte form, a cut sequence) drops its
// first byte and decoding goes on with the next. False only when out cannot
// grow.
bool utf8ToUtf16(const unsigned char* bytes, uint32_t n, DataBuffer& out);

// RFC 2152 decoding, completely in any case. False when a shift sequence
// other than "+-" gave no unit, when a sequence leaves non-zero bits, when
// a byte of 80 or more occurs outside a sequence (it is dropped), or when
// out cannot grow. NUL bytes outside a sequence are dropped.
bool utf7ToUtf16(const unsigned char* bytes, uint32_t n, DataBuffer& out);

// Big-endian UTF-16 to little-endian: swaps every byte pair; an odd last
// byte is dropped. False only when out cannot grow.
bool swapUtf16Pairs(const unsigned char* bytes, uint32_t n, DataBuffer& out);
