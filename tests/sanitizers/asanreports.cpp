// Linked into an executable that hosts WebEngine under AddressSanitizer (see README.md here):
// a report ASan's own runtime makes (its allocator, its interceptors) goes on only when its type
// and the caller of the faulting function are listed in asan.supp, as `<report type>:<name>`;
// every other report ends the process as abort_on_error would. The run sets halt_on_error=0,
// without which ASan would end the process before this is asked. Reports from instrumented
// code stay fatal whatever this says: the build does not ask ASan to recover from them.
#include <sanitizer/asan_interface.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Allowed {
  std::string type;  // "new-delete-type-mismatch"
  std::string name;  // a function or library, as frame #1 of the report names it
};

std::vector<Allowed>& allowedReports() {
  static std::vector<Allowed> allowed;
  return allowed;
}

// "ERROR: AddressSanitizer: <type> on ..." -> "<type>".
std::string reportType(const char* report) {
  static const char kMarker[] = "ERROR: AddressSanitizer: ";
  const char* at = std::strstr(report, kMarker);
  if (!at) return {};
  at += sizeof kMarker - 1;
  const char* end = at;
  while (*end && *end != ' ' && *end != '\n') ++end;
  return std::string(at, end);
}

// The line of frame #1 of the first stack the report shows.
std::string callerFrame(const char* report) {
  const char* at = std::strstr(report, "    #1 ");
  if (!at) return {};
  const char* end = std::strchr(at, '\n');
  return end ? std::string(at, end) : std::string(at);
}

void onReport(const char* report) {
  const std::string type = reportType(report);
  const std::string caller = callerFrame(report);
  for (const Allowed& allowed : allowedReports()) {
    if (allowed.type == type && !allowed.name.empty() && caller.find(allowed.name) != std::string::npos) {
      std::fprintf(stderr, "asanreports: %s in %s is listed in asan.supp; going on\n", type.c_str(),
                   allowed.name.c_str());
      return;
    }
  }
  std::fprintf(stderr, "asanreports: %s is not listed in asan.supp; aborting\n", type.c_str());
  std::abort();
}

struct Install {
  Install() {
    if (std::FILE* file = std::fopen(TAVRIN_ASAN_REPORTS, "r")) {
      char line[512];
      while (std::fgets(line, sizeof line, file)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
        const auto colon = text.find(':');
        if (text.empty() || text[0] == '#' || colon == std::string::npos) continue;
        allowedReports().push_back({text.substr(0, colon), text.substr(colon + 1)});
      }
      std::fclose(file);
    }
    __asan_set_error_report_callback(onReport);
  }
} install;

}  // namespace
