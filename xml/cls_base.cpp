#include "xml/cls_base.h"

#include "core/string_buffer.h"

ClsBase::ClsBase() = default;

ClsBase::~ClsBase() = default;

void ClsBase::lastErrorText(StringBuffer& out) {
  out.clear();
  log_.toText(out);
}
