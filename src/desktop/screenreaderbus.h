#pragma once
// Whether a screen reader runs, as the desktop's accessibility bus tells it, and the choice
// made from that for the course pages, before the browser's engine starts.
#include "logic/screenreader.h"
#include "platform/environment.h"

#include <optional>

// What org.a11y.Status of the accessibility bus says, asked on the session bus. Nothing when
// there is no session bus (no connection is tried then: the bus library would start a bus
// of its own), no accessibility bus on it, or no answer within `timeoutMs`.
std::optional<screenreader::BusStatus> readAccessibilityStatus(const Environment& environment, int timeoutMs = 1000);

// Opens the course pages to screen readers for this process, or keeps them closed: sets
// QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY or removes it. Before the browser's engine is
// loaded, and so before the application object exists.
void applyScreenReaderChoice();
