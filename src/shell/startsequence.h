#pragma once
// What every copy of the program does first, before it knows whether it is the reader or a
// launcher: fix the course base and the folders, open the shared blocks and mark the course
// running. The previous-copy test comes after it and decides what the copy builds.
#include <QString>

#include <optional>

struct Platform;

// The places a copy works with, fixed once at its start.
struct CourseSetup {
  QString FileLocn;            // the course base, ending in "qx2/"
  QString UserDir;             // the per-user folder, ending with a slash
  QString ProgramFilesFolder;  // where the simulators are looked for
  QString ApplicationData;     // where the simulators' exercise folders are
};

// The start-up steps in their order. Empty when the copy has ended (a refused course base).
std::optional<CourseSetup> startEveryCopy(Platform& platform);

// The way any copy ends itself: the blocks are let go and the process ends at once, with no
// close handling.
void endCopy(Platform& platform);
