#pragma once
// Whether the page renderers can have the first layer of Chromium's sandbox on Linux: user,
// process and network namespaces of their own. Where the system refuses those to ordinary
// users (a sysctl, a container's seccomp profile, an AppArmor rule), the engine starts the
// renderers without them and says nothing; the program says it, once.
#include <QString>

#include <optional>

namespace sandbox {

// Why the renderers cannot have their namespaces; nothing when they can, or when the sandbox
// was switched off on purpose (QTWEBENGINE_DISABLE_SANDBOX, --no-sandbox).
std::optional<QString> namespacesRefused();

// Writes namespacesRefused() to tavrin.browser, once in a process.
void noteMissingNamespaces();

}  // namespace sandbox
