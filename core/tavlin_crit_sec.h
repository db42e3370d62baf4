// Lock objects placed around logger and XML operations.
#pragma once

// The program runs on one thread, so there is nothing to exclude: enter and
// leave do nothing. The calls stay in the code so that the places that would
// need a lock in a threaded build are marked.
class TavlinCritSec {
 public:
  TavlinCritSec() = default;
  TavlinCritSec(const TavlinCritSec&) = delete;
  TavlinCritSec& operator=(const TavlinCritSec&) = delete;

  void enter() {}
  void leave() {}
};

// Enters a TavlinCritSec for the lifetime of the guard.
class TavlinCritSecGuard {
 public:
  explicit TavlinCritSecGuard(TavlinCritSec& cs) : cs_(cs) { cs_.enter(); }
  ~TavlinCritSecGuard() { cs_.leave(); }
  TavlinCritSecGuard(const TavlinCritSecGuard&) = delete;
  TavlinCritSecGuard& operator=(const TavlinCritSecGuard&) = delete;

 private:
  TavlinCritSec& cs_;
};
