#pragma once

#include "doc/DocumentModel.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QRadioButton;

namespace orbiplot {

class frmDocument;

// The document properties dialog: a new document's title, author, note and coordinate
// system, or an open document's properties.
class frmNewDoc : public QDialog {
    Q_OBJECT
public:
    struct Services {
        int32_t& DocumentCounter;
        std::string LoginName;
        QString Now; // the current date and time as text
        std::function<void(const DocInfo&)> CreateDocument;
    };

    frmNewDoc(Services services, QWidget* owner);

    // Proposes "函数 " and the counter; OK raises the counter and creates the document.
    void NewOne();
    void ModifyOne(frmDocument& document);

private:
    void cmdOK_Click();

    QLineEdit* txtDocName;
    QLineEdit* txtDocAuthor;
    QLineEdit* txtDocNote;
    QRadioButton* optCoo[3];

    Services services_;
    bool isNew_ = true;
    frmDocument* target_ = nullptr;
};

} // namespace orbiplot
