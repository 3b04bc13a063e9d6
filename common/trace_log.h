// Diagnostic trace shared by both deliverables, written to "c:\Capture_Log.txt".
// Built to an empty function unless VISTREL_TRACE is defined.
#pragma once

// One line: the module's four-byte prefix, the message cut at 99 characters, a line feed.
void TraceLog(const char* format, ...);
