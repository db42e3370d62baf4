// ClsBase: the base of the library's public document objects.
//
// Each object owns a Logger. Operations that stand for a whole task
// (loading a document, for instance) clear it first and then record their
// context, data and result in it, so after a call the log explains that
// call and nothing older.
#pragma once

#include "core/tavlin_object.h"
#include "log/logger.h"

class ClsBase : public TavlinObject {
 public:
  ClsBase();
  ~ClsBase() override;
  ClsBase(const ClsBase&) = delete;
  ClsBase& operator=(const ClsBase&) = delete;

  // The object's log, as the last task left it.
  Logger& log() { return log_; }
  // The log rendered as indented text (out is cleared first).
  void lastErrorText(StringBuffer& out);

 protected:
  Logger log_;
};
