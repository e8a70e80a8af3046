// The viewer's own small test data, written into a folder of its own: patterned textures as
// 24-bit bitmaps and a text .x model with three materials, one of them untextured.
#pragma once

#include <string>

namespace viewer {

// Writes wall.bmp, floor.bmp, ball.bmp, stripes.bmp and model.x into `folder` (which must exist).
// Returns false when a file cannot be written.
bool WriteTestData(const std::string& folder);

}  // namespace viewer
