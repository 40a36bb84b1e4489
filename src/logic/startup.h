#pragma once
// Start-up decisions that depend only on the environment: where the course is served
// from, and the folders the program uses on this system.
#include "platform/environment.h"
#include "platform/result.h"

#include <QString>

namespace startup {

// The built-in course base location.
inline constexpr const char* kBuiltInCourseBase = "https://cbt.vendrel.example/qx_cbt/qx2/";

// The built-in base, or TAVRIN_COURSE_BASE when it is a usable mirror of the course:
// an http or https address whose first "qx2/" is its end and that holds none of the
// fragments the resize handling rewrites. Ends in "qx2/"; the message to show when
// TAVRIN_COURSE_BASE is refused.
Result<QString> courseBase(const Environment& env);

// "APPDATA" when set and not empty; else XDG_DATA_HOME; else $HOME/.local/share.
QString applicationDataFolder(const Environment& env);
// "ProgramFiles(x86)", else "ProgramFiles", else /opt; never with a trailing slash.
QString programFilesFolder(const Environment& env);
// The per-user folder; ends with a slash.
QString userDir(const QString& applicationData);
// The program's settings file: under XDG_CONFIG_HOME, else $HOME/.config; "" when
// neither is set, and nothing is kept then.
QString settingsFile(const Environment& env);

}  // namespace startup
