#pragma once

#include <iosfwd>
#include <string>

namespace orbiplot {
class CoreContext;
class View;
} // namespace orbiplot

namespace orbiplot::cli {

// Draws the document as a window showing view shows it after a full redraw and writes the
// picture as PNG, 24-bit BMP, SVG or PDF, chosen by the extension. A PNG or BMP at dpi other
// than 96 has the window's pixels times dpi / 96, the same drawing scaled; SVG and PDF are
// vectors whatever the dpi.
int RenderDocument(CoreContext& context, const std::string& documentPath,
                   const std::string& outputPath, const View& view, int dpi, std::ostream& err);

} // namespace orbiplot::cli
