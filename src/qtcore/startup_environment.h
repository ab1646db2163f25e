// The machine facts the configuration needs, taken from Qt: the user's
// language and where the supplied files are installed.
#pragma once

#include <string>

#include "config/configuration.h"

namespace kestrel {

StartupEnvironment systemStartupEnvironment(const std::string& executablePath);

}  // namespace kestrel
