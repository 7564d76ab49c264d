#pragma once
#include "form/PictureFiles.h"

namespace korvane::qt {

// The block map and the speed graph drawn offscreen by their widgets' painting code and written
// as PNG. Works without a display: a program without a Qt application gets an offscreen one.
class QtPictureFiles final : public form::PictureFiles {
public:
    std::string saveMap(const form::StringGrid& grid, const std::string& path) override;
    std::string saveGraph(const form::Canvas& canvas, const std::string& path) override;
};

} // namespace korvane::qt
