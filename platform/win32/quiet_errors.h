#pragma once
// Keeps the system from asking the user to insert a disk while a query touches a drive
// without a medium: the query fails with "not ready" instead.

#include <windows.h>

namespace keldra::platform::win32 {

class QuietErrors {
  public:
    QuietErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
    ~QuietErrors() { SetThreadErrorMode(old_, nullptr); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

  private:
    DWORD old_ = 0;
};

}  // namespace keldra::platform::win32
