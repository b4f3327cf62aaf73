#include "cli/RenderCommand.h"

#include "base/TextEncoding.h"
#include "base/modError.h"
#include "doc/DocumentModel.h"
#include "expr/CoreContext.h"
#include "plot/PlotEngine.h"
#include "plot/View.h"
#include "services/PictureFile.h"
#include "services/PictureJob.h"
#include "services/QtCanvas.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSvgGenerator>

#include <cstdio>
#include <memory>
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

void Draw(CoreContext& context, DocumentModel& document, QPaintDevice& device, int width,
          int height) {
    View view(width * TwipsPerPixel, height * TwipsPerPixel);
    QtCanvas canvas(device, view);
    SystemClock clock;
    PlotStatus status;
    PlotEngine engine(document, view, canvas, context, clock, status);
    engine.RefreshAll();
    canvas.Finish();
}

} // namespace

int RenderDocument(CoreContext& context, const std::string& documentPath,
                   const std::string& outputPath, int width, int height, std::ostream& err) {
    const std::string lower = AsciiLower(outputPath);
    const auto endsWith = [&](const char* ext) {
        const std::string e(ext);
        return lower.size() >= e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
    };
    const bool svg = endsWith(".svg");
    if (!svg && !endsWith(".png") && !endsWith(".bmp")) {
        err << "orbiplot-cli: the picture must end in .png, .bmp or .svg\n";
        return 2;
    }
    DocumentModel document(context);
    if (!document.LoadDoc(documentPath)) return 1;
    EnsureGuiApplication();

    // The picture is made in memory and then written in one piece over the old one.
    try {
        if (svg) {
            SavePicture(outputPath, EncodeSvg(QSize(width, height),
                                              QString::fromStdString(document.GetDocInfo().Title),
                                              [&](QPaintDevice& device) {
                                                  Draw(context, document, device, width, height);
                                              }));
        } else {
            // Drawn as the window draws it: on every core, then reported in curve order.
            const View view(width * TwipsPerPixel, height * TwipsPerPixel);
            SystemClock clock;
            PictureJob job(document, view, context, clock, QFont(), QSize(width, height), 1);
            job.Run();
            for (const MessageRequest& message : job.Report().Messages)
                context.Messages.ShowMessage(message);
            SaveImage(outputPath, job.Picture(), PictureKind(outputPath));
        }
    } catch (...) {
        ReportCurrentError(context.Messages);
        return 1;
    }
    return 0;
}

} // namespace orbiplot::cli
