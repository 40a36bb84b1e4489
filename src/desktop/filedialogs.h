#pragma once
// The desktop's dialogs for picking a file to save into or to open.
#include "platform/platform.h"

// The file the user picked for `question`; empty when the dialog was cancelled.
QString askForFile(const Platform::FileQuestion& question);
