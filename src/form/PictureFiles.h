#pragma once
#include "form/Canvas.h"
#include "form/StringGrid.h"

#include <string>

namespace korvane::form {

// Pictures of the block map and the speed graph as PNG files, drawn by the window's own painting
// code. The window toolkit provides them; a build without it has none.
class PictureFiles {
public:
    virtual ~PictureFiles() = default;
    // Each returns "" when the file was written, else the reason it was not.
    // The map: every row, or the first kMaxMapRows of a longer one.
    virtual std::string saveMap(const StringGrid& grid, const std::string& path) = 0;
    virtual std::string saveGraph(const Canvas& canvas, const std::string& path) = 0;

    static constexpr size_t kMaxMapRows = 2048;
};

} // namespace korvane::form
