#pragma once

namespace korvane::access {

enum class AccessMode { Api, Pio };

} // namespace korvane::access
