// The root class of the library's objects, and the stop for programming
// errors.
#pragma once

#include <cstdint>

// Prints `what` to standard error and aborts the process. Used when an
// object's marker shows that it was destroyed (or never built) and is being
// used anyway: carrying on would only corrupt memory further.
[[noreturn]] void tavlinFatal(const char* what);

// Root of most library classes. Objects are deleted through the virtual
// destructor (containers hold TavlinObject pointers). Each construction takes
// the next value of a process-wide counter that starts at 0, which makes
// objects easy to tell apart in logs and in a debugger. The counter has no
// lock: the program has one thread.
class TavlinObject {
 public:
  TavlinObject();
  TavlinObject(const TavlinObject&);             // a copy gets its own serial
  TavlinObject& operator=(const TavlinObject&);  // keeps this object's serial
  virtual ~TavlinObject();

  uint64_t serialNumber() const { return serial_; }

 private:
  uint64_t serial_;
};
