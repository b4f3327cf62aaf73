#pragma once

#include "base/Seams.h"

#include <functional>

class QDialog;
class QString;
class QWidget;

namespace orbiplot {

// Message boxes as real Qt widgets, owned by the active window.
class QtMessageSeam : public MessageSeam {
public:
    MsgResult ShowMessage(const MessageRequest& request) override;
    void HideProgress() override {
        if (hideProgress_) hideProgress_();
    }
    // The document window supplies how its progress window is hidden.
    void SetHideProgress(std::function<void()> hook) { hideProgress_ = std::move(hook); }

private:
    std::function<void()> hideProgress_;
};

// The file and colour dialogs as QFileDialog and QColorDialog.
class QtDialogSeam : public DialogSeam {
public:
    std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) override;
    std::optional<Rgb> ShowColorDialog(Rgb initial, const std::array<Rgb, 16>& custom) override;
};

// A dialog's frame: title and close box, no minimise or maximise.
void UseDialogFrame(QWidget* dialog);
// A modal dialog of the program: its name, its title and the dialog frame.
void SetUpModalDialog(QDialog* dialog, const char* name, const QString& title);
// Loads the toolkit's own Chinese texts; false when none are installed.
bool LoadToolkitTranslations();
// A colour box: a flat button filled with the colour.
void PaintSwatch(QWidget* swatch, Rgb color);
// "Description (*.a *.b)" as the file dialog lists it.
QString NameFilter(const FileFilter& filter);

} // namespace orbiplot
