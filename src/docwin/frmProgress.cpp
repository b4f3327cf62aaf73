#include "docwin/frmProgress.h"

#include <QLabel>
#include <QVBoxLayout>

namespace orbiplot {

frmProgress::frmProgress(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName("frmProgress");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("正在绘制, 请稍候...", this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    setFixedSize(220, 60);
    setStyleSheet("QWidget#frmProgress { border: 1px solid palette(mid); background: palette(window); }");
}

void frmProgress::Begin() {
    if (depth_++ == 0) timer_.start();
}

void frmProgress::Tick() {
    if (depth_ == 0 || isVisible() || timer_.elapsed() < DelayMilliseconds) return;
    if (QWidget* owner = parentWidget()) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - rect().center());
    }
    show();
    raise();
    repaint();
}

void frmProgress::End() {
    if (depth_ > 0 && --depth_ == 0) hide();
}

} // namespace orbiplot
