#include "hooklib/trace.h"

#include <cstdarg>
#include <cstdio>

#include "hooklib/vmh.h"

static char TraceBuffer[TRACE_BUFFER_SIZE];

int Trace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(TraceBuffer, sizeof TraceBuffer, format, args);  // bounded, always terminated
  va_end(args);
  return Dprint(TraceBuffer);
}
