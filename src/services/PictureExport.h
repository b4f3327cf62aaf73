#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <QSizeF>

#include <optional>
#include <string>

namespace orbiplot {

class Clock;
class CoreContext;
class MessageSeam;
class DocumentModel;
class View;

enum class PictureFormat { Bmp, Png, Svg, Pdf };

// The format a file's ending names, whatever its letter case; none for another ending.
std::optional<PictureFormat> FormatOfPath(const std::string& path);

// How large an exported picture is: the window's size, a size in pixels, or a physical size
// at a resolution.
struct ExportSize {
    enum class Mode { Window, Pixels, Physical };
    Mode Kind = Mode::Window;
    QSize Pixels;
    double WidthCm = 0, HeightCm = 0, Dpi = 96;
    bool Transparent = false; // a PNG's background left clear
};

// What a picture of that size is: its pixels, and the window's drawing scaled into them. The
// drawing keeps the window's width in logical pixels, so the plane shown is the window's,
// taller or lower where the shape differs, and lines and text grow with the scale.
struct ExportGeometry {
    QSize Pixels;  // of the file
    QSize Logical; // of the drawing, in the window's pixels
    double Ratio = 1;
    QSizeF PageMm; // the page of a PDF and the size an SVG states
};

// The largest side of an exported picture in pixels.
inline constexpr int MaxExportSide = 30000;

ExportGeometry GeometryOf(const ExportSize& size, QSize window);

// The document drawn for the geometry in the format, written whole or not at all. A picture
// of the window's own size without transparency is the window's picture itself, as shown;
// any other is drawn anew from the document, the view's centre and scale kept. Failing
// curves are told to Reports only. Raises the writing's error (or "out of memory").
struct ExportSource {
    const DocumentModel& Document;
    const View& WindowView;
    const CoreContext& Context;
    Clock& Timer;
    QFont Font;
    const QImage* WindowPicture = nullptr; // the window's picture, when there is one
    MessageSeam* Reports = nullptr;        // told of failing curves; none: nobody is
};
void ExportPicture(const std::string& path, PictureFormat format, const ExportGeometry& geometry,
                   bool transparent, const ExportSource& source);

// The document as SVG or PDF bytes for the geometry: vectors, text as text.
std::string VectorPicture(PictureFormat format, const ExportGeometry& geometry,
                          const ExportSource& source);

} // namespace orbiplot
