#pragma once
#include "platform/TaskFile.h"

namespace korvane::access {

// The one register model, shared with the pass-through requests and the lab.
using platform::TaskFile;
namespace status = platform::status;
namespace error = platform::error;

} // namespace korvane::access
