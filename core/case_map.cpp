#include "core/case_map.h"

#include "core/case_map_table.h"

uint16_t toLowerU16(uint16_t u) {
  if (u < 0x80) return (u >= 'A' && u <= 'Z') ? static_cast<uint16_t>(u + 0x20) : u;
  // Latin-1 capitals are by far the most frequent non-ASCII letters in the
  // names this is used on; they skip the table.
  if (u >= 0x00C0 && u <= 0x00DE) return u == 0x00D7 ? u : static_cast<uint16_t>(u + 0x20);
  const int b = u % case_map_table::kBucketCount;
  for (int i = case_map_table::kBucketStart[b]; i < case_map_table::kBucketStart[b + 1]; ++i) {
    if (case_map_table::kPairs[i].upper == u) return case_map_table::kPairs[i].lower;
  }
  return u;
}
