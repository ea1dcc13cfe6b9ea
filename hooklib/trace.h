// The program's debug trace, routed through the hook library's Dprint.
#pragma once

constexpr int TRACE_BUFFER_SIZE = 4096;

int Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
