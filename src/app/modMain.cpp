#include "app/modMain.h"

#include "app/AppContext.h"
#include "app/frmMain.h"
#include "base/AppError.h"
#include "base/AppSettings.h"
#include "base/FileAccess.h"
#include "base/TextEncoding.h"
#include "base/WebAddresses.h"
#include "base/modError.h"
#include "docwin/frmProgress.h"
#include "expr/modConst.h"
#include "services/QtSeams.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// Resources linked from a static library are registered by hand.
static void InitResources() { Q_INIT_RESOURCE(orbiplot); }

namespace orbiplot::modMain {

namespace {

using Web::HomePage;
using Web::Mail;
constexpr const char* NewsAddress = Web::News;
constexpr const char* NewsFileName = "Orbiplot_News.txt";

// One copy per user answers on a local socket; a second copy asks it to flash.
class SingleInstance : public QObject {
public:
    // One name per user and graphical session: copies on other displays do not answer.
    static QString Name() { return QString::fromStdString(InstanceName()); }

    static bool OtherIsRunning() {
        QLocalSocket socket;
        socket.connectToServer(Name());
        return socket.waitForConnected(500);
    }

    static void AskToFlash() {
        QLocalSocket socket;
        socket.connectToServer(Name());
        if (!socket.waitForConnected(500)) return;
        socket.write("flash\n");
        socket.waitForBytesWritten(500);
    }

    void Listen(QWidget* mainWindow) {
        mainWindow_ = mainWindow;
        QLocalServer::removeServer(Name());
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (socket->readAll().startsWith("flash") && mainWindow_) {
                        // The caption and task bar entry flash until the window is focused.
                        QApplication::alert(mainWindow_, 0);
                    }
                    socket->deleteLater();
                });
            }
        });
        server_.listen(Name());
    }

private:
    QLocalServer server_;
    QWidget* mainWindow_ = nullptr;
};

MsgResult Message(AppContext& context, MsgIcon icon, MsgButtons buttons, MsgResult defaultButton,
                  const std::string& title, const std::string& text) {
    return context.Core.Messages.ShowMessage({icon, buttons, defaultButton, title, text});
}

} // namespace

CommandLine ParseCommandLine(const std::string& whole,
                             const std::function<bool(const std::string&)>& isDocumentFile) {
    CommandLine line;
    if (!whole.empty() && isDocumentFile(whole)) {
        line.OpenFromCommandLine = true;
        line.DocumentPath = whole;
        return line;
    }
    for (const std::string& argument : Split(whole, ' ')) {
        if (argument == "/winabout") {
            line.Actions.push_back(Switch::WinAbout);
        } else if (argument == "/nosplash") {
            line.ShowSplash = false;
        } else if (argument == "/?" || argument == "/help") {
            line.Actions.push_back(Switch::Help);
        } else if (argument == "/news") {
            line.Actions.push_back(Switch::News);
        } else {
            line.Actions.push_back(Switch::Unknown);
            break;
        }
    }
    return line;
}

std::string InstanceName() {
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY");
    display.replace(QRegularExpression("[^A-Za-z0-9_.-]"), "_");
    return QString("orbiplot-%1-%2").arg(getuid()).arg(display).toStdString();
}

bool IsDocumentFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".opd") == 0;
}

std::string GetLoginName() {
    if (const passwd* user = getpwuid(getuid()); user && user->pw_name && *user->pw_name)
        return user->pw_name;
    if (const char* login = getlogin(); login && *login) return login;
    return "<Unknown>";
}

void StoreNews(AppContext& context, std::string_view bytes) {
    try {
        WriteFileAtomically(JoinPath(context.Core.AppFolder, NewsFileName), bytes);
    } catch (...) {
        ReportCurrentError(context.Core.Messages);
    }
}

std::string CommandLineHelpText() {
    return std::string("/NoSplash - Not show splash form on startup\n") +
           "/Help(/?) - Show help of command line\n" + "/WinAbout - Show shell about dialog box\n" +
           "/News - Get news form Orbiplot Server\n\n" +
           "For more information, see Orbiplot help or contact us.\n" + "Web Site: " + HomePage +
           "\n" + "e-mail: mailto:" + Mail;
}

void RunWindowsTool(AppContext& context, int32_t index) {
    static const std::vector<std::vector<std::string>> tools{
        {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma", "xed", "featherpad",
         "leafpad", "geany"},
        {"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk", "speedcrunch",
         "xcalc"},
        {"nautilus", "dolphin", "thunar", "pcmanfm-qt", "pcmanfm", "caja", "nemo"},
    };
    try {
        if (index >= 0 && index < static_cast<int32_t>(tools.size())) {
            for (const std::string& name : tools[static_cast<size_t>(index)]) {
                const std::string program = context.FindProgram(name);
                if (!program.empty() && context.StartProgram(program, {})) return;
            }
            // Any desktop opens the home folder in its own file manager.
            if (index == 2) {
                const std::string opener = context.FindProgram("xdg-open");
                const char* home = std::getenv("HOME");
                if (!opener.empty() && home && context.StartProgram(opener, {home})) return;
            }
        }
        RaiseOwnError(ErrToolNotFound);
    } catch (...) {
        ReportCurrentError(context.Core.Messages);
    }
}

void DocumentLoaded(AppContext& context) {
    ++context.OpenDocumentCount;
    UpdateCommandState(context);
}

void DocumentUnloaded(AppContext& context) {
    --context.OpenDocumentCount;
    UpdateCommandState(context);
}

bool NoDocumentOpen(const AppContext& context) { return context.OpenDocumentCount <= 0; }

void UpdateCommandState(AppContext& context) {
    if (context.MainForm)
        context.MainForm->SetDocumentCommandsEnabled(context.OpenDocumentCount >= 1);
}

std::unique_ptr<frmMain> StartUp(AppContext& context, const std::string& commandLine,
                                 const std::function<void(frmMain&)>& created) {
    modConst::LoadUserConstants(context.Core);
    context.OpenDocumentCount = 0;

    const CommandLine line = ParseCommandLine(commandLine, IsDocumentFile);
    for (Switch action : line.Actions) {
        switch (action) {
        case Switch::WinAbout:
            Message(context, MsgIcon::None, MsgButtons::OK, MsgResult::OK, "Orbiplot",
                    "Orbiplot - 平面曲线绘图程序");
            break;
        case Switch::Help:
            Message(context, MsgIcon::Information, MsgButtons::OK, MsgResult::OK,
                    "Orbiplot Command Line Help", CommandLineHelpText());
            break;
        case Switch::News: {
            // Fetched in the background into the application folder; nothing waits for it.
            auto* network = new QNetworkAccessManager(QCoreApplication::instance());
            QNetworkReply* reply = network->get(QNetworkRequest(QUrl(NewsAddress)));
            QObject::connect(reply, &QNetworkReply::finished, reply, [reply, &context] {
                // No news to be had (offline, say) leaves the old file without a word; the
                // person did not ask to be told.
                if (reply->error() == QNetworkReply::NoError) {
                    const QByteArray bytes = reply->readAll();
                    StoreNews(context, std::string_view(bytes.constData(),
                                                        static_cast<size_t>(bytes.size())));
                }
                reply->deleteLater();
            });
            break;
        }
        case Switch::Unknown:
            Message(context, MsgIcon::Critical, MsgButtons::OK, MsgResult::OK,
                    "Orbiplot 初始化错误", "未知的命令行或打开的文件不存在");
            break;
        }
    }

    const std::string settingsFile = context.Core.SettingsFile();
    if (!FileExists(settingsFile)) SaveFirstRunSettings(settingsFile);
    context.Core.Settings = LoadSettings(settingsFile);

    auto mainForm = std::make_unique<frmMain>(context);
    context.MainForm = mainForm.get();
    if (created) created(*mainForm);
    if (line.ShowSplash) mainForm->ShowSplash();
    mainForm->show();
    if (context.Core.Settings.IsShowTip) mainForm->ShowTip();

    if (!line.OpenFromCommandLine) {
        mainForm->LoadNewDoc();
    } else {
        mainForm->OpenDocument(line.DocumentPath); // raises the document counter
    }
    UpdateCommandState(context);
    return mainForm;
}

void ReportStartUpFailure(AppContext& context) {
    ReportCurrentError(context.Core.Messages);
    Message(context, MsgIcon::Information, MsgButtons::OK, MsgResult::OK, "Orbiplot 初始化错误",
            "Orbiplot 启动终止！\n\n请确认 Orbiplot 及其所需的运行库已正确安装。");
}

void SetUpApplication() {
    // No display name: the toolkit would append it to every title the program gives.
    QApplication::setApplicationName("Orbiplot");
    LoadToolkitTranslations();
}

int Main(int argc, char** argv) {
    QApplication app(argc, argv);
    InitResources();
    SetUpApplication();

    QtMessageSeam messages;
    QtDialogSeam dialogs;
    DefaultRandomSource random;
    SystemClock clock;
    AppContext context(messages, dialogs, random, clock, ApplicationFolder());

    try {
        if (SingleInstance::OtherIsRunning()) {
            const MsgResult answer =
                Message(context, MsgIcon::Exclamation, MsgButtons::YesNo, MsgResult::No, "Orbiplot",
                        "Orbiplot 已经运行！ 是否继续？");
            if (answer != MsgResult::Yes) {
                SingleInstance::AskToFlash();
                return 0;
            }
        }
        SingleInstance instance;

        std::string commandLine;
        for (int i = 1; i < argc; ++i) {
            if (i > 1) commandLine += ' ';
            commandLine += argv[i];
        }
        std::unique_ptr<frmMain> mainForm = StartUp(context, commandLine, [&](frmMain& form) {
            messages.SetHideProgress([&form] { form.Progress().hide(); });
            instance.Listen(&form);
        });
        const int code = QApplication::exec();
        mainForm.reset();
        context.MainForm = nullptr;
        return code;
    } catch (...) {
        ReportStartUpFailure(context);
        return 1;
    }
}

} // namespace orbiplot::modMain
