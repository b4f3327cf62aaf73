#include "dialogs/frmSplash.h"

#include "base/AppSettings.h"
#include "base/Seams.h"
#include "base/WebAddresses.h"
#include "services/clsMultimedia.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>

namespace orbiplot {

namespace {

constexpr int PictureWidth = 506;
constexpr int PictureHeight = 277;

QPixmap SplashPicture() {
    QPixmap picture(PictureWidth, PictureHeight);
    picture.fill(QColor(0x0f, 0x2b, 0x4c));
    QSvgRenderer svg(QString::fromStdString(FindDataFile("splash.svg")));
    if (svg.isValid()) {
        QPainter painter(&picture);
        svg.render(&painter, QRectF(0, 0, PictureWidth, PictureHeight));
    }
    return picture;
}

} // namespace

QString frmSplash::VersionText() {
    return QString("Version %1 R3")
        .arg(QCoreApplication::applicationVersion().isEmpty()
                 ? QString(ORBIPLOT_VERSION)
                 : QCoreApplication::applicationVersion());
}

frmSplash::frmSplash(Services services, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), services_(std::move(services)) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(PictureWidth, PictureHeight);
    auto* image1 = new QLabel(this);
    image1->setObjectName("Image1");
    image1->setPixmap(SplashPicture());
    image1->setGeometry(0, 0, PictureWidth, PictureHeight);
    image1->setAttribute(Qt::WA_TransparentForMouseEvents);

    QFont font("Arial");
    font.setPointSizeF(7.5);
    const auto label = [&](const char* name, const QColor& colour) {
        auto* l = new QLabel(VersionText(), this);
        l->setObjectName(name);
        l->setFont(font);
        l->setStyleSheet(QString("color: %1; background: transparent;").arg(colour.name()));
        l->adjustSize();
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        return l;
    };
    QLabel* shadow = label("lblVersionS", QColor(0x60, 0x60, 0x60));
    QLabel* version = label("lblVersion", QColor(0xC0, 0xC0, 0xC0));
    // The right edge at 4980 twips from the left; the shadow a little lower and right.
    const int right = 4980 / 15;
    version->move(right - version->width(), PictureHeight - version->height() - 14);
    shadow->move(version->x() + 1, version->y() + 1);

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    timer1_->start();
}

frmSplash::~frmSplash() {
    if (services_.Music) services_.Music->mmClose();
}

void frmSplash::CentreOnOwner() {
    if (QWidget* owner = parentWidget()) move(owner->frameGeometry().center() - rect().center());
}

void frmSplash::ShowSplash() {
    isSplash_ = true;
    CentreOnOwner();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    raise();
}

void frmSplash::ShowAbout() {
    isSplash_ = false;
    CentreOnOwner();
    if (services_.Music) {
        services_.Music->mmOpen(services_.MusicFile);
        services_.Music->mmPlay();
    }
    show();
    raise();
    activateWindow();
}

void frmSplash::Timer1_Timer() {
    if (isSplash_) {
        if (++tickCount_ >= 2) close();
        return;
    }
    // The piece has ended: play it again from the start.
    if (services_.Music && services_.Music->Status() == "stopped") {
        services_.Music->mmClose();
        services_.Music->mmOpen(services_.MusicFile);
        services_.Music->mmPlay();
    }
}

void frmSplash::CloseAction() {
    if (closing_) return;
    closing_ = true;
    MessageSeam& messages = services_.Messages;
    const auto openUrl = services_.OpenUrl;
    close(); // deletes this window; only locals are used from here on
    const MsgResult answer = messages.ShowMessage(
        {MsgIcon::Information, MsgButtons::YesNo, MsgResult::Yes, "特别感谢",
         "感谢 Orbiplot 论坛和论坛里的每一位朋友，你们的建议与帮助让 Orbiplot 越来越好。\n"
         "感谢网站空间的提供者为 Orbiplot 主页提供的空间。\n\n\n"
         "现在就去 Orbiplot 论坛看看吗？"});
    if (answer == MsgResult::Yes && openUrl) openUrl(Web::Board);
}

void frmSplash::keyPressEvent(QKeyEvent*) { CloseAction(); }

void frmSplash::mousePressEvent(QMouseEvent*) { CloseAction(); }

void frmSplash::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The about window goes away when the user turns to another window.
    if (event->type() == QEvent::ActivationChange && !isSplash_ && !isActiveWindow() && isVisible())
        QTimer::singleShot(0, this, &frmSplash::CloseAction);
}

void frmSplash::closeEvent(QCloseEvent* event) {
    closing_ = true;
    timer1_->stop();
    if (services_.Music) services_.Music->mmClose();
    QWidget::closeEvent(event);
}

} // namespace orbiplot
