#include "access/ErrorText.h"

#include <cstdio>

namespace korvane::access {

std::string errorText(uint16_t code) {
    const std::string p = " Error: ";
    switch (code) {
    case 0: return " Timeout";
    case 1: return p + "AMNF";
    case 2: return p + "T0NF";
    case 4: return p + "ABRT";
    case 16: return p + "IDNF";
    case 50: return p + "Request not supported";
    case 64: return p + "UNCR";
    case 72: return p + "Write protect";
    case 73: return " - 48 bit addresing error";
    case 128: return p + "BBK";
    case 255: return " - Unknown error";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "%02X", unsigned(code));
        return std::string(" Error #") + text;
    }
    }
}

} // namespace korvane::access
