#include "platform/environment.h"

Environment processEnvironment() {
  return [](const char* name) { return qEnvironmentVariable(name); };
}
