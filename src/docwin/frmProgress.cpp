#include "docwin/frmProgress.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orbiplot {

frmProgress::frmProgress(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName("frmProgress");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("正在绘制, 请稍候...", this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    cmdStop_ = new QPushButton("停止(&S)", this);
    cmdStop_->setObjectName("cmdStop");
    cmdStop_->hide();
    layout->addWidget(cmdStop_, 0, Qt::AlignCenter);
    connect(cmdStop_, &QPushButton::clicked, this, [this] {
        if (stop_) stop_();
    });
    setStyleSheet(
        "QWidget#frmProgress { border: 1px solid palette(mid); background: palette(window); }");
    setFixedSize(220, 60);
}

void frmProgress::ShowOver(QWidget* over) {
    if (over) {
        const QPoint centre = over->mapToGlobal(over->rect().center());
        move(centre - rect().center());
    }
    show();
    raise();
}

void frmProgress::Begin() {
    if (depth_++ == 0) timer_.start();
}

void frmProgress::Tick() {
    if (depth_ == 0 || isVisible() || timer_.elapsed() < DelayMilliseconds) return;
    ShowOver(parentWidget());
    repaint();
}

void frmProgress::End() {
    if (depth_ > 0 && --depth_ == 0 && !stop_) hide();
}

void frmProgress::ShowWorking(QWidget* over, std::function<void()> stop) {
    stop_ = std::move(stop);
    setFixedSize(220, 96);
    cmdStop_->show();
    ShowOver(over ? over : parentWidget());
}

void frmProgress::EndWorking() {
    stop_ = nullptr;
    cmdStop_->hide();
    setFixedSize(220, 60);
    if (depth_ == 0) hide();
}

} // namespace orbiplot
