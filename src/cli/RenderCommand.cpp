#include "cli/RenderCommand.h"

#include "base/TextEncoding.h"
#include "base/modError.h"
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "plot/PlotEngine.h"
#include "plot/View.h"
#include "services/PictureExport.h"

#include <QGuiApplication>

#include <cstdio>
#include <optional>
#include <ostream>

namespace orbiplot::cli {

namespace {

// Fonts and painting need a GUI application; without a display it runs offscreen.
void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    // stderr carries the program's own reports; the toolkit's chatter stays out of it.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "orbiplot-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

} // namespace

int RenderDocument(CoreContext& context, const std::string& documentPath,
                   const std::string& outputPath, const View& view, int dpi, std::ostream& err) {
    const int width = view.ClientWidthTwips() / TwipsPerPixel;
    const int height = view.ClientHeightTwips() / TwipsPerPixel;
    const std::optional<PictureFormat> format = FormatOfPath(outputPath);
    if (!format) {
        err << "orbiplot-cli: the picture must end in .png, .bmp, .svg or .pdf\n";
        return 2;
    }
    DocumentModel document(context);
    if (!document.LoadDoc(documentPath)) return 1;
    EnsureGuiApplication();

    // Drawn as the window draws it (on every core, failures reported in curve order), made
    // in memory and then written in one piece over the old file.
    // The window's size on a screen of 96 dpi, printed at dpi: a picture that says so.
    const QSize window(width, height);
    ExportSize size;
    size.Kind = ExportSize::Mode::Physical;
    size.WidthCm = width / 96.0 * 2.54;
    size.HeightCm = height / 96.0 * 2.54;
    const bool raster = *format == PictureFormat::Png || *format == PictureFormat::Bmp;
    size.Dpi = raster ? dpi : 96;
    SystemClock clock;
    try {
        ExportPicture(outputPath, *format, GeometryOf(size, window), false,
                      {document, view, context, clock, QFont(), nullptr, &context.Messages});
    } catch (...) {
        ReportCurrentError(context.Messages);
        return 1;
    }
    return 0;
}

} // namespace orbiplot::cli
