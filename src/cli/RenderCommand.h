#pragma once

#include <iosfwd>
#include <string>

namespace orbiplot {
class CoreContext;
}

namespace orbiplot::cli {

// Draws the document as a window of width x height client pixels shows it after a full
// redraw and writes the picture as PNG, 24-bit BMP or SVG, chosen by the extension.
int RenderDocument(CoreContext& context, const std::string& documentPath,
                   const std::string& outputPath, int width, int height, std::ostream& err);

} // namespace orbiplot::cli
