// Linked into every test program: the program and everything it starts (the program under test,
// stand-in desktops, what they open) share one job that ends with it. A test program killed by
// CTest's timeout, or one that crashes, leaves nothing behind to confuse the next test program on
// the shared desktop.
#include <windows.h>

namespace {

struct JobGuard {
  JobGuard() {
    job = CreateJobObjectA(nullptr, nullptr);
    if (job == nullptr) return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job, GetCurrentProcess())) {
      CloseHandle(job);
      job = nullptr;
    }
  }
  // The handle is left to the system: it closes it when this process ends, however it ends.
  HANDLE job = nullptr;
};

JobGuard jobGuard;

}  // namespace
