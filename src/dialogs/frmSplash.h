#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QTimer;

namespace orbiplot {

class MessageSeam;
class clsMultimedia;

// The picture window: a splash for two seconds at start-up, or the about window with its
// music playing in a loop.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    struct Services {
        MessageSeam& Messages;
        // Opens an address with the desktop's default handler.
        std::function<void(const std::string&)> OpenUrl;
        // The music player and the music file; the player may be missing (no music).
        clsMultimedia* Music = nullptr;
        std::string MusicFile;
    };

    explicit frmSplash(Services services, QWidget* owner = nullptr);
    ~frmSplash() override;

    void ShowSplash();
    void ShowAbout();

    static QString VersionText();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // One tick of the one-second timer.
    void Timer1_Timer();
    // Closes the window, then asks whether to visit the discussion board.
    void CloseAction();
    void CentreOnOwner();

    Services services_;
    bool isSplash_ = true;
    bool closing_ = false;
    int tickCount_ = 0;
    QTimer* timer1_;
};

} // namespace orbiplot
