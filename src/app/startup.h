#pragma once

#include "core/appstate.h"
#include "files/filecommands.h"
#include "platform/prompts.h"

#include <QString>
#include <QTimer>
#include <QWidget>
#include <future>
#include <memory>

namespace tl
{

class frmMain;

// Fifty rows of " " and CR LF appended to the marker column text.
void BuildMarkerColumn(QString& markerColumnText);

// Before the main window: the two INI files created when missing, the user texts, the marker
// column and the image mode.
void PrepareSettings(AppState& state);

// The splash window: the program's name while the settings are prepared.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    QTimer& Timer() { return timer_; }

Q_SIGNALS:
    void Activated();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTimer timer_;
    bool activated_ = false;
};

// The running program: the splash phase, then the main window until it closes.
class Application : public QObject
{
    Q_OBJECT
public:
    // argumentDecodes: false when the command line's bytes are not valid UTF-8
    // (NameDecodesExactly), so that argumentText names another file; it is then not opened.
    explicit Application(QString argumentText, bool argumentDecodes = true);
    ~Application() override;

    void Main();
    AppState& state() { return state_; }
    frmMain* mainWindow() const { return main_.get(); }

private:
    void splashActivated();
    void splashTimer();

    QString argumentText_;
    bool argumentDecodes_;
    WidgetPrompter prompter_;
    AppState state_;
    std::unique_ptr<frmSplash> splash_;
    std::future<LoadedPage> preload_;
    std::unique_ptr<frmMain> main_;
};

// With TAGLOOM_STARTUP_REPORT=<path> set, start-up writes to path when the main window has
// painted for the first time and when the program is then idle, in milliseconds since the
// process started (see bench/bench_startup.cpp).
void ReportWhenShown(QWidget* window, const QString& path);
// Notes a stage of start-up for that report ("settings", "window", "page").
void MarkStartup(const char* stage);

// The whole argument text of the command line: the arguments joined by single spaces.
QString ArgumentText(const QStringList& arguments);

} // namespace tl
