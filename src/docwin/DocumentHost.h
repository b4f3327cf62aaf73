#pragma once

#include "plot/PlotEngine.h"

#include <QPoint>
#include <QString>

#include <string>

class QWidget;

namespace orbiplot {

class frmDocument;

// What a document window asks of the window that holds it.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    virtual void SetStatusText(StatusPanel panel, const QString& text) = 0;
    // A passing note over the status bar; the panels keep their texts.
    virtual void ShowNotice(const QString& /*text*/) {}
    virtual void DocumentLoaded() = 0;
    virtual void DocumentUnloaded() = 0;
    // The save command for a document that has no file yet; true when it was saved.
    virtual bool SaveUntitled(frmDocument& document) = 0;
    virtual void OpenCurveManager(frmDocument& document) = 0;
    // The document's context menu, at a point of the screen.
    virtual void ShowDocumentMenu(frmDocument& /*document*/, QPoint /*at*/) {}
    // A document was written to a file.
    virtual void DocumentSaved(const std::string& /*path*/) {}
    // Places a document's frame, just shown, among the others.
    virtual void PlaceNewWindow(QWidget& /*frame*/) {}
    virtual class frmProgress& Progress() = 0;
    // How long a window waits for a redraw before it goes on answering while the redraw
    // runs.
    virtual int RedrawWaitMilliseconds() const { return 100; }
};

} // namespace orbiplot
