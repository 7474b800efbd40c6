#include "app/startup.h"

#include "app/frmmain.h"
#include "documents/journalkeeper.h"
#include "documents/settingsfiles.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/programfolder.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

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

    timer_.setObjectName(QStringLiteral("Timer"));
    timer_.setInterval(1000);
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

Application::Application(QString argumentText)
    : argumentText_(std::move(argumentText)), state_(prompter_)
{
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
    splash_->Timer().start();
    TrapErrors(prompter_, [&] { PrepareSettings(state_); });
}

void Application::splashTimer()
{
    TrapErrors(prompter_, [&] {
        main_ = std::make_unique<frmMain>(state_);
        prompter_.setParent(main_.get());
        connect(main_.get(), &frmMain::Unloaded, qApp, &QCoreApplication::quit,
                Qt::QueuedConnection);
        main_->OpenCommandLineFile(argumentText_);
        splash_->close();
        main_->show();
        // Pages a crash or a kill left unsaved come back before the previous run's list.
        main_->Journal().OfferRecoveredPages();
        if (argumentText_.isEmpty())
            main_->RestorePageList();
    });
}

QString ArgumentText(const QStringList& arguments)
{
    return arguments.mid(1).join(u' ');
}

} // namespace tl
