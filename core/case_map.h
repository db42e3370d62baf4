// Lower-casing of UTF-16 code units, shared by DataBuffer::toLowerCaseU16
// and the multi-encoding string.
#pragma once

#include <cstdint>

// 0 stays 0; 0x0001-0x007F are lower-cased as ASCII; every other unit that
// is an upper-case letter of the Basic Multilingual Plane with a simple
// lower-case mapping in Unicode 5.0 (809 pairs, U+0041 to U+FF3A; title-case
// and circled letters excluded) becomes its lower-case partner; all other
// units are unchanged.
uint16_t toLowerU16(uint16_t u);
