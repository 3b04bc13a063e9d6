// Loading Vistrel.dll and Encoder.dll and binding their exports by name.
#include "app/app_state.h"
#include "common/trace_log.h"

HMODULE ghCaptureLib;
InitHookFn pInitHook;
StartHookFn pStartHook;
StopHookFn pStopHook;
MoveMaskWindowFn pMoveMaskWindow;
SetConfigFn pSetConfig;
HMODULE ghEncoderLib;
BmpToJpgFn pBmpToJpg;

int BindCaptureLibrary(void) {
  ghCaptureLib = LoadLibraryA("Vistrel.dll");
  if (ghCaptureLib == NULL) {
    TraceLog("LoadLibrary Failed");
    return 0;
  }
  // All five are looked up before any is checked.
  pInitHook = (InitHookFn)GetProcAddress(ghCaptureLib, "InitHook");
  pStartHook = (StartHookFn)GetProcAddress(ghCaptureLib, "StartHook");
  pStopHook = (StopHookFn)GetProcAddress(ghCaptureLib, "StopHook");
  pMoveMaskWindow = (MoveMaskWindowFn)GetProcAddress(ghCaptureLib, "MoveMaskWindow");
  pSetConfig = (SetConfigFn)GetProcAddress(ghCaptureLib, "SetConfig");
  if (!pInitHook || !pStartHook || !pStopHook || !pMoveMaskWindow || !pSetConfig) {
    TraceLog("GetProcAddress Failed");
    return 0;
  }
  return 1;
}

int BindEncoder(void) {
  ghEncoderLib = LoadLibraryA("Encoder.dll");
  pBmpToJpg = ghEncoderLib ? (BmpToJpgFn)GetProcAddress(ghEncoderLib, "BmpToJpg") : NULL;
  if (pBmpToJpg == NULL) {
    TraceLog("GetProcAddress BmpToJpg Failed");
    return 0;
  }
  return 1;
}
