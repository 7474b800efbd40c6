#include "app/frmmain.h"
#include "app/registerdialogs.h"

#include "commands/tagreedit.h"
#include "core/appstate.h"
#include "core/dialogregistry.h"
#include "editbox/maintextedit.h"
#include "editing/editcommands.h"
#include "editing/keyhandler.h"
#include "files/diskwatch.h"
#include "files/filecommands.h"
#include "files/pagelist.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/fonts.h"
#include "platform/programfolder.h"
#include "recovery/journalkeeper.h"

#include "app/diskchangebar.h"
#include "app/frmabout.h"
#include "app/gutterruler.h"
#include "app/mainlayout.h"
#include "files/paths.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace tl
{

frmMain::frmMain(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), mainText_(new MainTextEdit(state.Doc)),
      gutter_(new RowsLabel(mainText_)), ruler_(new RulerLabel(mainText_)),
      caretMarker_(new RowsLabel(mainText_)), lineLabel_(new QLabel), central_(new QWidget(this)),
      diskBar_(new DiskChangeBar(central_))
{
    setObjectName(QStringLiteral("frmMain"));
    SetCaption(kNoDocumentCaption);
    setAcceptDrops(true);
    state_.InputMode = false;

    buildEditArea();
    connectFileCommands();

    buildToolbars();
    buildStatusBar();
    // The ruler never changes; drawing it now also covers a desktop that never activates us.
    DrawColumnRuler();
    // No document is open until one is loaded.
    ShowEditor(false);

    QDir::setCurrent(ProgramFolder());
    buildMenus();
    files_->LoadRecentFileMenu();
    addPageSearchKey();
    // The program's keys, the modified flag, stamps following their lines, and clicks.
    InstallMainTextHandlers(
        state_, textBox_, [this] { UpdateInputModeIndicator(); },
        [this](qint64 pos) { ReeditTagAt(state_, textBox_, this, pos); });
    RegisterDialogs(state_.Dialogs);
    UpdateCommandStates();
    // The registry belongs to the program state, which may outlive this window.
    state_.Dialogs.Watch([window = QPointer<frmMain>(this)] {
        if (window)
            window->UpdateCommandStates();
    });

    followDocument();
    resize(900, 680);
}

// The edit box and its companions (gutter, ruler, caret-line marker, line number) in the
// central widget.
void frmMain::buildEditArea()
{
    const QFont font = EditorFont();
    mainText_->setObjectName(QStringLiteral("MainText"));
    mainText_->setSyntaxColoring(state_.SyntaxColoring);
    // The edit box has no label; a screen reader announces it by this name.
    mainText_->setAccessibleName(QStringLiteral("ページのソース"));
    gutter_->setObjectName(QStringLiteral("subText1"));
    ruler_->setObjectName(QStringLiteral("subText2"));
    caretMarker_->setObjectName(QStringLiteral("subText3"));
    lineLabel_->setObjectName(QStringLiteral("LabLinNo"));
    for (QWidget* w : {static_cast<QWidget*>(mainText_), static_cast<QWidget*>(gutter_),
                       static_cast<QWidget*>(ruler_), static_cast<QWidget*>(caretMarker_),
                       static_cast<QWidget*>(lineLabel_)}) {
        w->setFont(font);
        w->setParent(central_);
    }
    gutter_->setTextColor(GutterColor());
    caretMarker_->setTextColor(MarkerColor());
    ruler_->setTextColor(QColor(Qt::black));
    lineLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lineLabel_->setContentsMargins(0, 0, 4, 0);
    QPalette blue = lineLabel_->palette();
    blue.setColor(QPalette::WindowText, MarkerColor());
    lineLabel_->setPalette(blue);
    gutter_->setAccessibleName(QStringLiteral("行番号"));
    caretMarker_->setAccessibleName(QStringLiteral("現在行の印"));
    ruler_->setAccessibleName(QStringLiteral("桁ルーラー"));
    setCentralWidget(central_);

    textBox_.SetTarget(mainText_);
    // The gutter and ruler follow scrolling at once rather than on the next tick.
    connect(mainText_, &MainTextEdit::viewChanged, this, [this] {
        UpdateLineGutter(true);
        ruler_->update();
    });
}

// The file commands, the changes-on-disk bar, the journal, and what the edit box reports.
void frmMain::connectFileCommands()
{
    files_ = std::make_unique<FileCommands>(state_, *this);
    // Changes on disk are told in the bar; the user answers there when it suits.
    connect(&files_->Disk(), &DiskWatch::Noticed, this, [this](const QString& text, bool reload) {
        diskBar_->Tell(text, reload);
        ApplyLayout();
    });
    connect(&files_->Disk(), &DiskWatch::NoticeWithdrawn, this, &frmMain::hideDiskBar);
    connect(diskBar_, &DiskChangeBar::ReloadChosen, this, [this] {
        hideDiskBar();
        files_->Disk().Reload();
        FocusEditor();
    });
    connect(diskBar_, &DiskChangeBar::IgnoreChosen, this, [this] {
        hideDiskBar();
        files_->Disk().Keep();
        FocusEditor();
    });
    journal_ = std::make_unique<JournalKeeper>(state_, *files_);
    connect(mainText_, &MainTextEdit::FilesDropped, this,
            [this](const QStringList& paths) { files_->OpenDroppedFiles(paths); });
    state_.ShowStatus = [this](const QString& text) { statusBar()->showMessage(text, 10000); };
    state_.ShowPageSearch = [this](const QString& text, bool matchCase) {
        ShowPageSearch(text, matchCase);
    };
    connect(&state_.Doc, &Document::encodingChanged, this, &frmMain::UpdateEncodingPanel);
    // A mixed page whose last odd line break goes (or comes back by undo) says so at once.
    connect(&state_.Doc, &Document::edited, this, [this] {
        if (mixedLineEnds_ != HasLineBreakVariants(state_.Doc.byteVariants()))
            UpdateEncodingPanel();
    });
    // The title's unsaved-changes mark follows every edit at once (and the timer, saves).
    connect(&state_.Doc, &Document::edited, this,
            [this] { setWindowModified(EditorShown() && state_.Doc.isModified()); });
    // Text from outside that held half of a surrogate pair: no file could save that half.
    connect(mainText_, &MainTextEdit::brokenTextRepaired, this, [this](qsizetype count) {
        state_.prompts->inform(
            QStringLiteral(
                "入力された文字列に、文字として成り立たないデータ (対のないサロゲート) が ") +
                QString::number(count) +
                QStringLiteral(
                    " 個ありました。保存できないため、代替文字 (U+FFFD) に置き換えました。"),
            kNoDocumentCaption, MsgIcon::Exclamation);
    });
    // A double click re-edits the tag at the clicked position.
    connect(mainText_, &MainTextEdit::DblClick, this,
            [this](qint64 pos) { ReeditTagAt(state_, textBox_, this, pos); });
}

void frmMain::addPageSearchKey()
{
    // Find across all pages has a key of its own and a button in the find dialog, no menu item.
    auto* findPages = new QAction(QStringLiteral("全ページから検索"), this);
    findPages->setObjectName(QStringLiteral("FindAllPages"));
    findPages->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    findPages->setShortcutContext(Qt::WindowShortcut);
    connect(findPages, &QAction::triggered, this, [this] {
        const QString selected = textBox_.Visible() ? textBox_.SelText() : QString();
        ShowPageSearch(selected.isEmpty() ? state_.Search.FindText : selected,
                       state_.Search.MatchCase);
    });
    addAction(findPages);
}

void frmMain::followDocument()
{
    // The companions and the status bar follow what they show, rather than a timer that would
    // wake the program twenty times a second while nothing happens.
    connect(&state_.Doc, &Document::edited, this, &frmMain::scheduleUpdate);
    connect(&state_.Doc, &Document::textReset, this, &frmMain::scheduleUpdate);
    connect(&state_.Doc, &Document::selectionChanged, this, &frmMain::scheduleUpdate);
    connect(&state_.Doc, &Document::modifiedSet, this,
            [this] { setWindowModified(EditorShown() && state_.Doc.isModified()); });
    // A switch of the input method comes with one of these; the program's own input mode is
    // reported by the key handler.
    QInputMethod* inputMethod = QGuiApplication::inputMethod();
    connect(inputMethod, &QInputMethod::localeChanged, this, &frmMain::UpdateInputModeIndicator);
    connect(inputMethod, &QInputMethod::visibleChanged, this, &frmMain::UpdateInputModeIndicator);
}

frmMain::~frmMain()
{
    // The program state outlives the window.
    state_.ShowStatus = nullptr;
    state_.ShowPageSearch = nullptr;
}

void frmMain::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    // The panels keep no accessible name of their own: a reader then reads what they show
    // ("全行数：12"), where a fixed name would hide the value.
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("Panel") + QString::number(i + 1));
        panel->setMinimumWidth(130);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        // Permanent: a toolbar button's tip shown in the status bar must not push them away.
        bar->addPermanentWidget(panel);
        panels_[size_t(i)] = panel;
    }
    buildEncodingMenu();
    UpdateStatusLine();
    UpdateInputModeIndicator();
}

// ---- Layout ----

void frmMain::ApplyLayout()
{
    int hidden = 0;
    for (QToolBar* bar : toolbars_)
        hidden += bar->isHidden() ? 1 : 0;
    // The client area as the arithmetic sees it: toolbars, central area and status bar.
    const int menuHeight = menuBar()->isVisible() ? menuBar()->height() : 0;
    const int toolbarPixels = std::max(0, central_->y() - menuHeight);
    const int clientHeight = toolbarPixels + central_->height() + statusBar()->height();
    // Past 9,999 lines the gutter widens by a digit's width for each digit more.
    const int digitTwips = QFontMetrics(mainText_->font()).horizontalAdvance(u'0') * kTwipsPerPixel;
    const MainLayout l =
        ComputeMainLayout(central_->width() * kTwipsPerPixel, clientHeight * kTwipsPerPixel, hidden,
                          (gutterDigits_ - 4) * digitTwips);
    // Twips count from the client's top, where the toolbars start; the central area begins
    // below the toolbars Qt actually drew.
    auto place = [&](QWidget* w, const QRect& twips) {
        w->setGeometry(twips.x() / kTwipsPerPixel, (twips.y() - l.toolbarHeight) / kTwipsPerPixel,
                       std::max(0, twips.width() / kTwipsPerPixel),
                       std::max(0, twips.height() / kTwipsPerPixel));
    };
    place(mainText_, l.mainText);
    place(gutter_, l.subText1);
    place(caretMarker_, l.subText3);
    place(ruler_, l.subText2);
    place(lineLabel_, l.labLinNo);
    // The bar over the changed file takes the top of the edit box, which gives up as much.
    if (!diskBar_->isHidden()) {
        const QRect box = mainText_->geometry();
        const int height = std::min(diskBar_->sizeHint().height(), box.height());
        diskBar_->setGeometry(box.x(), box.y(), std::max(0, central_->width() - box.x()), height);
        mainText_->setGeometry(box.adjusted(0, height, 0, 0));
    }
    // Toolbars drawn taller than 420 twips would push the box under the status bar.
    if (mainText_->geometry().bottom() >= central_->height())
        mainText_->resize(mainText_->width(), std::max(0, central_->height() - mainText_->y()));
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    ApplyLayout();
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        UpdateLineGutter(false);
        DrawColumnRuler();
        syncToolbarChecks();
        // Another program may have changed the page's file meanwhile. Looked at once the
        // activation is over, not from inside it.
        QMetaObject::invokeMethod(
            this, [this] { files_->Disk().Check(); }, Qt::QueuedConnection);
    }
}

void frmMain::hideDiskBar()
{
    if (diskBar_->isHidden())
        return;
    diskBar_->hide();
    ApplyLayout();
}

void frmMain::syncToolbarChecks()
{
    for (int i = 0; i < 4; ++i)
        if (toolbarItems_[size_t(i)])
            toolbarItems_[size_t(i)]->setChecked(!toolbars_[size_t(i)]->isHidden());
}

void frmMain::ToggleToolbar(int index)
{
    if (index < 0 || index > 3)
        return;
    // The toolbar's own state decides: a menu click has already flipped the item's check mark.
    const bool checked = toolbars_[size_t(index)]->isHidden();
    toolbarItems_[size_t(index)]->setChecked(checked);
    toolbars_[size_t(index)]->setVisible(checked);
    // The central area takes the toolbars' new height only once the window lays it out.
    layout()->activate();
    ApplyLayout();
}

// ---- Companions and status bar ----

void frmMain::UpdateLineGutter(bool onlyIfChanged)
{
    const int caret = textBox_.LineFromChar();
    const int top = textBox_.TopLine();
    if (caret != lastCaretLine_ || top != lastTopLine_) {
        // The marker's row counts from the first visible line, so scrolling moves it too.
        lastCaretLine_ = caret;
        caretMarker_->setText(CaretMarkerText(state_.MarkerColumnText, caret - top));
    }
    const int total = textBox_.TotalLine();
    if (onlyIfChanged && top == lastTopLine_ && total == lastTotalLine_)
        return;
    if (GutterDigits(total) != gutterDigits_) {
        gutterDigits_ = GutterDigits(total);
        ApplyLayout();
    }
    lastTotalLine_ = total;
    lastTopLine_ = top;
    gutter_->setText(LineGutterText(top, total));
}

void frmMain::DrawColumnRuler()
{
    ruler_->setText(ColumnRulerText());
}

void frmMain::UpdateStatusLine()
{
    const StatusTexts t =
        ComputeStatusTexts(textBox_.Visible(), textBox_.TotalLine(), textBox_.LineFromChar());
    // The label shows a bare number; its name says what the number is. Set only on a change:
    // this runs on every caret move, and each new name is an event for assistive technology.
    if (lineLabel_->text() != t.lineLabel || lineLabel_->accessibleName().isEmpty())
        lineLabel_->setAccessibleName(QStringLiteral("現在行：") + t.lineLabel);
    lineLabel_->setText(t.lineLabel);
    panels_[1]->setText(t.lineCount);
    panels_[2]->setText(t.currentLine);
}

void frmMain::UpdateInputModeIndicator()
{
    const int ime = state_.ImeStatus ? state_.ImeStatus() : 0;
    const InputModeIndicator m = ComputeInputModeIndicator(ime, state_.InputMode);
    panels_[0]->setText(m.text);
    gutter_->setTextColor(m.color);
    ruler_->setTextColor(m.color);
}

void frmMain::SetCaption(const QString& caption)
{
    caption_ = caption;
    // "[*]" marks where Qt shows the unsaved-changes mark; a "[*]" in a path is doubled to be
    // shown as itself.
    QString shown = caption;
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(shown + QStringLiteral("[*]"));
}

void frmMain::scheduleUpdate()
{
    // One update after the edit or the command that moved things: a burst of changes (a
    // replace-all, a reload) costs one, and it reads the box once its view has followed.
    if (updatePending_)
        return;
    updatePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            updatePending_ = false;
            UpdateCompanions();
        },
        Qt::QueuedConnection);
}

void frmMain::UpdateCompanions()
{
    setWindowModified(EditorShown() && state_.Doc.isModified());
    UpdateLineGutter(true);
    UpdateStatusLine();
    UpdateInputModeIndicator();
}

// ---- Menu commands of the window ----

void frmMain::InsertChosenFilePath()
{
    const QString path = files_->AskDocumentFileName();
    if (path.isEmpty())
        return;
    const qint64 start = textBox_.SelStart();
    textBox_.SetSelText(path);
    textBox_.SetSelStart(start);
    textBox_.SetSelLength(path.size());
}

void frmMain::InsertImageReference()
{
    textBox_.SetFocus();
    if (state_.ImageSelectMode != 1) {
        state_.Dialogs.Open(QStringLiteral("frmImgBrow"),
                            DialogRequest{state_, textBox_, this, QString()});
        return;
    }
    const QString path = files_->AskOpenFileName(
        QStringLiteral("*.gif *.jpg *.bmp ﾌｧｲﾙ |*.gif;*.jpg;*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*"),
        ProgramFolder());
    if (!path.isEmpty())
        textBox_.SetSelText(FileNameOf(path));
}

void frmMain::ShowAbout()
{
    frmAbout about(*state_.prompts, this);
    about.exec();
}

void frmMain::ShowEditor(bool visible)
{
    for (QWidget* w : {static_cast<QWidget*>(mainText_), static_cast<QWidget*>(gutter_),
                       static_cast<QWidget*>(ruler_), static_cast<QWidget*>(caretMarker_),
                       static_cast<QWidget*>(lineLabel_)})
        w->setVisible(visible);
    if (!visible)
        hideDiskBar();
    UpdateCommandStates();
    UpdateEncodingPanel();
    // No page shows 0 and 0.
    scheduleUpdate();
}

bool frmMain::EditorShown() const
{
    return !mainText_->isHidden();
}

QString frmMain::EditorText() const
{
    return textBox_.Text();
}

void frmMain::ResetEditor(const QString& text)
{
    // Another page, or the page read again: a notice about the old one no longer applies.
    hideDiskBar();
    mainText_->clearTextColors();
    textBox_.SetText(text);
    ClearCompanions();
    textBox_.SetModify(false);
}

void frmMain::FocusEditor()
{
    textBox_.SetFocus();
}

void frmMain::MarkEditorUnmodified()
{
    textBox_.SetModify(false);
    setWindowModified(false);
}

void frmMain::ClearCompanions()
{
    gutter_->setText(QString());
    caretMarker_->setText(QString());
    // The next update draws them afresh.
    lastCaretLine_ = lastTopLine_ = lastTotalLine_ = 0;
}

void frmMain::OpenCommandLineFile(const QString& argumentText, std::optional<LoadedPage> preloaded)
{
    if (argumentText.isEmpty())
        return;
    if (FileKindOf(argumentText) == FileKind::Missing) {
        // Nothing by that name: the page is to be written, as an editor started on a new
        // file's name is expected to do. A symbolic link that leads nowhere (its file missing,
        // or links in a loop) is no new name: the open refuses it and says why.
        const QFileInfo info(NativePath(argumentText));
        if (!info.isSymLink()) {
            if (!info.exists())
                files_->OpenMissingDocument(argumentText);
            return;
        }
    }
    // Anything at that path but a regular file is refused by the open, which says why.
    files_->OpenDocument(argumentText, std::move(preloaded));
}

void frmMain::RestorePageList(bool showList)
{
    const QString path = ProgramFile(kPageListFile);
    if (!QFileInfo::exists(path))
        return;
    const PageListRead read = LoadSessionPageList(state_.Docs, state_.PageList, path);
    if (const QString message = PageListReadMessage(read, path); !message.isEmpty())
        state_.prompts->inform(message, kNoDocumentCaption, MsgIcon::Exclamation);
    if (showList && read.found && read.error == 0)
        ShowFileList();
}

void frmMain::ShowFileList()
{
    state_.Dialogs.Open(QStringLiteral("frmFileNames"), DialogRequest{state_, textBox_, this, {}});
}

QDialog* frmMain::PageSearch() const
{
    return findChild<QDialog*>(QStringLiteral("frmFindPages"), Qt::FindDirectChildrenOnly);
}

void frmMain::ShowPageSearch(const QString& text, bool matchCase)
{
    state_.Search.PagesText = text;
    state_.Search.PagesMatchCase = matchCase;
    state_.Dialogs.Open(QStringLiteral("frmFindPages"), DialogRequest{state_, textBox_, this, {}});
}

bool frmMain::QueryUnload()
{
    bool cancel = false;
    TrapErrors(*state_.prompts, [&] {
        cancel = files_->ConfirmSaveChanges(Caption());
        // A list that was not read whole stays as it is (the user was told at start).
        if (!state_.PageList.keepFile &&
            !WritePageList(state_.Docs, ProgramFile(kPageListFile), state_.PageList.leftOut))
            throw RunTimeError(CannotWriteFileText(ProgramFile(kPageListFile)));
    });
    return cancel;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
    if (!unloaded_) {
        unloaded_ = true;
        // The user has answered for the page: its journal is no longer needed.
        journal_->Finish();
        textBox_.SetTarget(nullptr);
        Q_EMIT Unloaded();
    }
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    files_->OpenDroppedFiles(paths);
}

} // namespace tl
