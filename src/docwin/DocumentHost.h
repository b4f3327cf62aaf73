#pragma once

#include "plot/PlotEngine.h"

#include <QString>

namespace orbiplot {

class frmDocument;

// What a document window asks of the window that holds it.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    virtual void SetStatusText(StatusPanel panel, const QString& text) = 0;
    virtual void DocumentLoaded() = 0;
    virtual void DocumentUnloaded() = 0;
    // The save command for a document that has no file yet; true when it was saved.
    virtual bool SaveUntitled(frmDocument& document) = 0;
    virtual void OpenCurveManager(frmDocument& document) = 0;
    virtual class frmProgress& Progress() = 0;
};

} // namespace orbiplot
