#include "services/PictureExport.h"

#include "base/AppError.h"
#include "base/TextEncoding.h"
#include "base/modError.h"
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "analysis/AreaValues.h"
#include "plot/PlotEngine.h"
#include "plot/View.h"
#include "services/PictureFile.h"
#include "services/PictureJob.h"
#include "services/QtCanvas.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace orbiplot {

namespace {

constexpr double MmPerInch = 25.4;
constexpr double ScreenDpi = 96;

int Side(double pixels) {
    return static_cast<int>(std::clamp(std::round(pixels), 1.0, double(MaxExportSide)));
}

// Nobody is asked anything while a picture is drawn for a file: the window has said it all.
class Quiet : public MessageSeam, public DialogSeam {
public:
    MsgResult ShowMessage(const MessageRequest& request) override { return request.DefaultButton; }
    std::optional<std::string> ShowFileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<Rgb> ShowColorDialog(Rgb, const std::array<Rgb, 16>&) override { return {}; }
};

// The window's view at the drawing's size: centre and scale kept.
View DrawingView(const View& window, QSize logical) {
    View view = window;
    if (logical.width() * TwipsPerPixel != window.ClientWidthTwips() ||
        logical.height() * TwipsPerPixel != window.ClientHeightTwips())
        view.Resize(logical.width() * TwipsPerPixel, logical.height() * TwipsPerPixel);
    return view;
}

// Draws the document on a device that holds a picture of the logical size scaled to fit.
void DrawVectors(QPaintDevice& device, const ExportGeometry& geometry, const ExportSource& source) {
    Quiet quiet;
    CoreContext context(source.Reports ? *source.Reports : quiet, quiet, source.Context.Random,
                        source.Context.AppFolder);
    context.Parser = source.Context.Parser;
    context.Settings = source.Context.Settings;
    DocumentModel document(context);
    document.CopyCurvesFrom(source.Document);
    View view = DrawingView(source.WindowView, geometry.Logical);
    QtCanvas canvas(device, view, source.Font, geometry.Logical);
    if (!canvas.IsActive()) RaiseRuntimeError(ErrOutOfMemory);
    PlotStatus status;
    PlotEngine engine(document, view, canvas, context, source.Timer, status);
    engine.SetUnderlay([&](Canvas& c, const View& v) { DrawDocumentAreas(c, v, document, context.Parser); });
    engine.RefreshAll();
    canvas.Finish();
}

} // namespace

std::optional<PictureFormat> FormatOfPath(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix == "bmp") return PictureFormat::Bmp;
    if (suffix == "png") return PictureFormat::Png;
    if (suffix == "svg") return PictureFormat::Svg;
    if (suffix == "pdf") return PictureFormat::Pdf;
    return std::nullopt;
}

ExportGeometry GeometryOf(const ExportSize& size, QSize window) {
    window = window.expandedTo(QSize(1, 1));
    ExportGeometry g;
    switch (size.Kind) {
    case ExportSize::Mode::Window: g.Pixels = window; break;
    case ExportSize::Mode::Pixels:
        g.Pixels = QSize(Side(size.Pixels.width()), Side(size.Pixels.height()));
        break;
    case ExportSize::Mode::Physical:
        g.Pixels = QSize(Side(size.WidthCm * 10 / MmPerInch * size.Dpi),
                         Side(size.HeightCm * 10 / MmPerInch * size.Dpi));
        break;
    }
    g.Ratio = double(g.Pixels.width()) / window.width();
    // The drawing is as wide as the window; its height rounds up, and the file takes the
    // pixels it asked for from the top.
    g.Logical = QSize(window.width(),
                      std::max(1, static_cast<int>(std::ceil(g.Pixels.height() / g.Ratio - 1e-9))));
    g.PageMm = size.Kind == ExportSize::Mode::Physical
                   ? QSizeF(size.WidthCm * 10, size.HeightCm * 10)
                   : QSizeF(g.Pixels) * (MmPerInch / ScreenDpi);
    return g;
}

std::string VectorPicture(PictureFormat format, const ExportGeometry& geometry,
                          const ExportSource& source) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QString title = QString::fromStdString(source.Document.GetDocInfo().Title);
    if (format == PictureFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(geometry.Pixels);
        generator.setViewBox(QRect(QPoint(0, 0), geometry.Pixels));
        // The size the file states: pixels at the screen's resolution, or the size asked.
        generator.setResolution(static_cast<int>(
            std::lround(geometry.Pixels.width() / (geometry.PageMm.width() / MmPerInch))));
        generator.setTitle(title);
        DrawVectors(generator, geometry, source);
    } else {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(geometry.PageMm, QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(1200);
        writer.setTitle(title);
        writer.setCreator("Orbiplot");
        DrawVectors(writer, geometry, source);
    }
    return bytes.toStdString();
}

void ExportPicture(const std::string& path, PictureFormat format, const ExportGeometry& geometry,
                   bool transparent, const ExportSource& source) {
    if (format == PictureFormat::Svg || format == PictureFormat::Pdf) {
        SavePicture(path, VectorPicture(format, geometry, source));
        return;
    }
    const QString kind = format == PictureFormat::Png ? "png" : "bmp";
    transparent = transparent && format == PictureFormat::Png;
    const QImage* shown = source.WindowPicture;
    if (shown && !transparent && geometry.Ratio == 1 &&
        QSizeF(shown->size()) / shown->devicePixelRatio() == QSizeF(geometry.Pixels)) {
        SaveImage(path, *shown, kind);
        return;
    }
    const View view = DrawingView(source.WindowView, geometry.Logical);
    PictureJob job(source.Document, view, source.Context, source.Timer, source.Font,
                   geometry.Logical, geometry.Ratio);
    job.SetTransparent(transparent);
    job.Run();
    if (source.Reports)
        for (const MessageRequest& message : job.Report().Messages)
            source.Reports->ShowMessage(message);
    const QImage& drawn = job.Picture();
    if (drawn.isNull() || drawn.width() < geometry.Pixels.width() ||
        drawn.height() < geometry.Pixels.height())
        RaiseRuntimeError(ErrOutOfMemory);
    // The rows asked for, from the top, without a copy of the picture.
    QImage picture(drawn.constBits(), geometry.Pixels.width(), geometry.Pixels.height(),
                   drawn.bytesPerLine(), drawn.format());
    const double dotsPerMeter = geometry.Pixels.width() / (geometry.PageMm.width() / 1000);
    picture.setDotsPerMeterX(static_cast<int>(std::lround(dotsPerMeter)));
    picture.setDotsPerMeterY(static_cast<int>(std::lround(dotsPerMeter)));
    SaveImage(path, picture, kind);
}

} // namespace orbiplot
