#pragma once

#include <iosfwd>
#include <string>

namespace orbiplot {
class CoreContext;
}

namespace orbiplot::cli {

// Draws the document as a window of width x height client pixels shows it after a full
// redraw and writes the picture as PNG, 24-bit BMP, SVG or PDF, chosen by the extension. A
// PNG or BMP at dpi other than 96 has width x height x dpi / 96 pixels, the same drawing
// scaled; SVG and PDF are vectors whatever the dpi.
int RenderDocument(CoreContext& context, const std::string& documentPath,
                   const std::string& outputPath, int width, int height, int dpi,
                   std::ostream& err);

} // namespace orbiplot::cli
