#include "app/startup.h"

#include "app/frmmain.h"
#include "files/filecommands.h"
#include "files/settingsfiles.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/programfolder.h"
#include "recovery/journalkeeper.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include <ctime>
#include <unistd.h>

namespace tl
{

void BuildMarkerColumn(QString& markerColumnText)
{
    for (int i = 0; i < 50; ++i)
        markerColumnText += QStringLiteral(" \r\n");
}

void PrepareSettings(AppState& state)
{
    if (!FileExists(ProgramFile(kUserTextFile)))
        CreateUserTextFile(kUserTextFile);
    LoadUserTexts(state);
    BuildMarkerColumn(state.MarkerColumnText);
    if (!FileExists(ProgramFile(kPathFile)))
        CreatePathIniFile(kPathFile);
    state.ImageSelectMode = ReadImageSelectMode();
    state.SyntaxColoring = ReadSyntaxColoring();
}

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Tagloom"));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("Tagloom"), this);
    QFont big = name->font();
    big.setPointSize(36);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QStringLiteral("Version ") + QStringLiteral(TAGLOOM_VERSION), this);
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    layout->addWidget(version);
    setFixedSize(420, 200);
    // By object name: a type selector would have to spell the class with its namespace, and an
    // unmatched one left white text on the light default background.
    setStyleSheet(QStringLiteral("#frmSplash { background: #1f3a5f; } QLabel { color: white; }"));
    setAttribute(Qt::WA_StyledBackground);

    // The splash stays only as long as start-up needs it: the main window is built, and a page
    // named on the command line loaded, as soon as the settings are ready.
    timer_.setObjectName(QStringLiteral("Timer"));
    timer_.setInterval(0);
    timer_.setSingleShot(true);
}

void frmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    // The set-up runs once the window is on screen.
    QTimer::singleShot(0, this, &frmSplash::Activated);
}

Application::Application(QString argumentText, bool argumentDecodes)
    : argumentText_(std::move(argumentText)), argumentDecodes_(argumentDecodes), state_(prompter_)
{
    // A relative name means the folder the program was started in: the main window moves the
    // current folder to the program folder before it opens the page.
    if (!argumentText_.isEmpty())
        argumentText_ = QFileInfo(argumentText_).absoluteFilePath();
}

Application::~Application() = default;

void Application::Main()
{
    splash_ = std::make_unique<frmSplash>();
    connect(splash_.get(), &frmSplash::Activated, this, &Application::splashActivated);
    connect(&splash_->Timer(), &QTimer::timeout, this, &Application::splashTimer);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        splash_->move(screen->geometry().center() - splash_->rect().center());
    splash_->show();
}

void Application::splashActivated()
{
    MarkStartup("splash");
    // The page named on the command line is read and decoded on another thread while the
    // settings are read and the main window is built.
    // A pipe, a folder or a device is read too: the read refuses it at once and says why.
    // So is a symbolic link that leads nowhere.
    if (!argumentText_.isEmpty() && argumentDecodes_ &&
        (FileKindOf(argumentText_) != FileKind::Missing ||
         QFileInfo(NativePath(argumentText_)).isSymLink()))
        preload_ = std::async(std::launch::async, ReadPageFile, argumentText_);
    splash_->Timer().start();
    TrapErrors(prompter_, [&] { PrepareSettings(state_); });
    MarkStartup("settings");
}

void Application::splashTimer()
{
    TrapErrors(prompter_, [&] {
        main_ = std::make_unique<frmMain>(state_);
        prompter_.setParent(main_.get());
        connect(main_.get(), &frmMain::Unloaded, qApp, &QCoreApplication::quit,
                Qt::QueuedConnection);
        MarkStartup("window");
        std::optional<LoadedPage> page;
        if (preload_.valid())
            page = preload_.get();
        // A page that could not be read is told about over the shown window, not in its place.
        const bool unreadable = (page && !page->opened) || !argumentDecodes_;
        if (!unreadable)
            main_->OpenCommandLineFile(argumentText_, std::move(page));
        MarkStartup("page");
        splash_->close();
        if (const QString report = qEnvironmentVariable("TAGLOOM_STARTUP_REPORT");
            !report.isEmpty())
            ReportWhenShown(main_.get(), report);
        main_->show();
        if (!argumentDecodes_)
            prompter_.inform(CannotOpenText(argumentText_, kUndecodableNameReason),
                             kNoDocumentCaption);
        else if (unreadable)
            main_->OpenCommandLineFile(argumentText_, std::move(page));
        // A page a kill left half written in place is told first: its backup may be wanted.
        main_->Files().OfferTornPages();
        // Pages a crash or a kill left unsaved come back before the previous run's list.
        main_->Journal().OfferRecoveredPages();
        // A start with a file keeps the previous run's pages too: they stay in the list (for
        // the search over every page and the page commands) without the file list shown.
        main_->RestorePageList(argumentText_.isEmpty());
    });
}

namespace
{

// The start-up's stages, "name <ms>" each, kept while TAGLOOM_STARTUP_REPORT is set.
QByteArray& StartupMarks()
{
    static QByteArray marks;
    return marks;
}

qint64 MsSinceProcessStart();

} // namespace

void MarkStartup(const char* stage)
{
    static const bool reporting = !qEnvironmentVariableIsEmpty("TAGLOOM_STARTUP_REPORT");
    if (reporting)
        StartupMarks() +=
            QByteArray(stage) + ' ' + QByteArray::number(MsSinceProcessStart()) + '\n';
}

namespace
{

// The process's start as the kernel recorded it (clock ticks since boot) to now.
qint64 MsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double started = fields[19].toDouble() / double(::sysconf(_SC_CLK_TCK));
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64((double(now.tv_sec) + now.tv_nsec / 1e9 - started) * 1000.0);
}

// Writes "shown <ms>" and "idle <ms>" (milliseconds since the process started) to path once
// the window has painted for the first time and the event loop has nothing more to do: how
// long start-up took, measured by the start-up benchmark.
class StartupReporter : public QObject
{
public:
    StartupReporter(QWidget* window, QString path) : QObject(window), path_(std::move(path))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && shownMs_ < 0) {
            shownMs_ = MsSinceProcessStart();
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                QFile file(path_);
                if (file.open(QIODevice::WriteOnly))
                    file.write(StartupMarks() + "shown " + QByteArray::number(shownMs_) +
                               "\nidle " + QByteArray::number(MsSinceProcessStart()) + '\n');
                deleteLater();
            });
        }
        return false;
    }

private:
    QString path_;
    qint64 shownMs_ = -1;
};

} // namespace

void ReportWhenShown(QWidget* window, const QString& path)
{
    new StartupReporter(window, path);
}

QString ArgumentText(const QStringList& arguments)
{
    return arguments.mid(1).join(u' ');
}

} // namespace tl
