// Copying a finished picture into the output folder under the first free name.
#pragma once
#include <windows.h>

// The points between the copy's steps, handed to a CopyStepHook with the file concerned.
enum CopyStep {
  kCopyTempCreated = 1,  // the copy's temporary file exists in the output folder, empty
  kCopyTempWrote,        // another part of the picture is written into it
  kCopyNaming,           // the temporary file is whole; it is about to take this name
};
// Called at each step of the copy; returning 0 stops the copy right there, leaving
// the folder as a kill at that point would. The application passes none.
typedef int (*CopyStepHook)(int step, const char* path);

// Formats the first output name for that time and writes it to the trace log, the
// record of where the picture goes, before anything is written there. Returns 0
// (and traces so) when the name would not fit.
int TraceOutputName(const char* savePath, const SYSTEMTIME* time, int jpgFlag);

// Copies everything source holds, from its start, into a temporary file in the output
// folder, and once it is whole and on the disk gives it the first free output name for
// that time (output_name.h), dated as source. The caller traces the first name
// (TraceOutputName); names with a suffix are traced as they are tried. Returns 1 when the picture landed. A file under a
// picture's name is always a whole picture: an existing file is never replaced nor
// removed, and a copy that fails leaves nothing behind. *sourceFailed tells whether it
// failed reading source (1) rather than on the output folder's side (0).
int CopyToFreeName(HANDLE source, const char* savePath, const SYSTEMTIME* time, int jpgFlag, int* sourceFailed,
                   CopyStepHook step);

// Removes the temporary files that copies stopped by a kill left in the folder: only
// names the copy itself makes, not written for some minutes, and nobody holds open.
void RemoveStrayCopies(const char* savePath);
