#include "dialogs/frmHelp.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

namespace orbiplot {

frmHelp::frmHelp(const QString& startPage, QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName("frmHelp");
    setWindowTitle("Orbiplot 帮助");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    layout->addWidget(bar);
    auto* split = new QSplitter(this);
    layout->addWidget(split, 1);
    contents_ = new QListWidget(split);
    contents_->setObjectName("lstContents");
    browser_ = new QTextBrowser(split);
    browser_->setObjectName("txtPage");
    browser_->setOpenExternalLinks(true);
    split->setStretchFactor(1, 1);
    split->setSizes({180, 620});

    QAction* back = bar->addAction("后退");
    QAction* forward = bar->addAction("前进");
    QAction* home = bar->addAction("目录");
    back->setObjectName("actBack");
    forward->setObjectName("actForward");
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home, &QAction::triggered, browser_, &QTextBrowser::home);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    // The contents are the start page's own list, so the two never disagree.
    const QUrl start = QUrl::fromLocalFile(QFileInfo(startPage).absoluteFilePath());
    auto* top = new QListWidgetItem("目录", contents_);
    top->setData(Qt::UserRole, start);
    QFile file(startPage);
    if (file.open(QIODevice::ReadOnly)) {
        const QString html = QString::fromUtf8(file.readAll());
        static const QRegularExpression item("<li><a href=\"([^\"]+)\">([^<]+)</a></li>");
        for (auto match = item.globalMatch(html); match.hasNext();) {
            const auto m = match.next();
            auto* entry = new QListWidgetItem(m.captured(2), contents_);
            entry->setData(Qt::UserRole, start.resolved(QUrl(m.captured(1))));
        }
    }
    connect(contents_, &QListWidget::itemActivated, this, [this](QListWidgetItem* entry) {
        browser_->setSource(entry->data(Qt::UserRole).toUrl());
    });
    connect(contents_, &QListWidget::itemClicked, this, [this](QListWidgetItem* entry) {
        browser_->setSource(entry->data(Qt::UserRole).toUrl());
    });
    // The contents show where the reader is, however the page was reached.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& shown) {
        const QUrl page = shown.adjusted(QUrl::RemoveFragment);
        const QSignalBlocker quiet(contents_);
        contents_->setCurrentItem(nullptr);
        for (int i = 0; i < contents_->count(); ++i) {
            if (contents_->item(i)->data(Qt::UserRole).toUrl().adjusted(QUrl::RemoveFragment) ==
                page) {
                contents_->setCurrentRow(i);
                break;
            }
        }
    });
    browser_->setSource(start);
    resize(820, 600);
}

} // namespace orbiplot
