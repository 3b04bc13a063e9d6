// The output stage: the captured picture into the user's folder.
#include "app/app_state.h"

void OutputCaptureFile(void) {
}
