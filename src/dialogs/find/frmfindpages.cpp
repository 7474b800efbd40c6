#include "dialogs/find/frmfindpages.h"

#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "files/documentwindow.h"
#include "files/filecommands.h"
#include "files/paths.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace tl
{

namespace
{

QString PageName(const QString& path)
{
    return path.isEmpty() ? kUntitledCaption : FileNameOf(path);
}

} // namespace

// The result rows: page, line, the line's text.
class PageMatchModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setResult(const PageSearchResult* result)
    {
        beginResetModel();
        result_ = result;
        rows_ = result ? int(result->matches.size()) : 0;
        endResetModel();
    }
    // The result's matches grew: the new rows are added behind the others.
    void addRows()
    {
        const int rows = result_ ? int(result_->matches.size()) : 0;
        if (rows <= rows_)
            return;
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : rows_;
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 3;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!result_ || !index.isValid())
            return {};
        const PageMatch& m = result_->matches[size_t(index.row())];
        const QString& path = result_->paths[m.page];
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
            switch (index.column()) {
            case 0:
                return PageName(path);
            case 1:
                return m.line;
            default:
                return m.lineText;
            }
        }
        if (role == Qt::ToolTipRole && index.column() == 0)
            return path.isEmpty() ? kUntitledCaption : path;
        if (role == Qt::TextAlignmentRole && index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char16_t* const kHeaders[] = {u"ページ", u"行", u"内容"};
        return QString::fromUtf16(kHeaders[std::clamp(section, 0, 2)]);
    }

private:
    const PageSearchResult* result_ = nullptr;
    int rows_ = 0;
};

frmFindPages::frmFindPages(AppState& state, FileCommands& files, cTextBox& box, QWidget* parent)
    : QDialog(parent), state_(state), files_(files), box_(box), findField_(new QLineEdit(this)),
      matchCaseBox_(new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this)),
      findButton_(new QPushButton(QStringLiteral("検索(&F)"), this)),
      stopButton_(new QPushButton(QStringLiteral("中止"), this)), summary_(new QLabel(this)),
      list_(new QTableView(this)), model_(new PageMatchModel(this)),
      collectTimer_(new QTimer(this)), reader_(ReadPageFile)
{
    setObjectName(QStringLiteral("frmFindPages"));
    setWindowTitle(QStringLiteral("全ページから検索"));
    setModal(false);

    auto* label = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(findField_);
    findField_->setObjectName(QStringLiteral("Text1"));
    findField_->setMaxLength(std::numeric_limits<int>::max());
    matchCaseBox_->setObjectName(QStringLiteral("chkCase"));
    findButton_->setObjectName(QStringLiteral("cmdFind"));
    findButton_->setToolTip(QStringLiteral("ページ一覧のすべてのページを検索します"));
    findButton_->setAutoDefault(false);
    stopButton_->setObjectName(QStringLiteral("cmdStop"));
    stopButton_->setToolTip(QStringLiteral("検索を中止します (Esc)"));
    stopButton_->setAutoDefault(false);
    stopButton_->setEnabled(false);
    summary_->setObjectName(QStringLiteral("lblResult"));
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::PlainText);
    list_->setObjectName(QStringLiteral("ResultList"));
    list_->setAccessibleName(QStringLiteral("検索結果"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setWordWrap(false);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setTabKeyNavigation(false);
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("cmdClose"));
    closeButton->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(findField_, 0, 1);
    grid->addWidget(findButton_, 0, 2);
    grid->addWidget(matchCaseBox_, 1, 1);
    grid->addWidget(stopButton_, 1, 2);
    grid->addWidget(summary_, 2, 0, 1, 3);
    grid->addWidget(list_, 3, 0, 1, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(closeButton);
    grid->addLayout(bottom, 4, 0, 1, 3);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);
    resize(720, 420);

    findButton_->setEnabled(false);
    connect(findField_, &QLineEdit::textChanged, this,
            [this](const QString& text) { findButton_->setEnabled(!text.isEmpty()); });
    connect(findField_, &QLineEdit::returnPressed, this, &frmFindPages::cmdFind_Click);
    connect(findButton_, &QPushButton::clicked, this, &frmFindPages::cmdFind_Click);
    connect(stopButton_, &QPushButton::clicked, this, &frmFindPages::cmdStop_Click);
    // Batches: a look every 50 ms, not a signal per match.
    collectTimer_->setInterval(50);
    connect(collectTimer_, &QTimer::timeout, this, &frmFindPages::collect);
    connect(closeButton, &QPushButton::clicked, this, &frmFindPages::reject);
    connect(list_, &QTableView::activated, this,
            [this](const QModelIndex& index) { OpenMatch(index.row()); });
}

frmFindPages::~frmFindPages()
{
    stopRun();
}

void frmFindPages::Search(const QString& text, bool matchCase)
{
    findField_->setText(text);
    matchCaseBox_->setChecked(matchCase);
    if (!text.isEmpty())
        cmdFind_Click();
}

void frmFindPages::cmdFind_Click()
{
    const QString key = findField_->text();
    if (key.isEmpty())
        return;
    stopRun();
    model_->setResult(nullptr);
    // The current page's text is copied here; every other page is read by the worker.
    auto run =
        std::make_shared<PageSearchRun>(SessionSearchRequest(state_, files_.Window().EditorShown(),
                                                             key, matchCaseBox_->isChecked()),
                                        reader_);
    result_ = PageSearchResult{};
    result_.paths = run->Paths();
    model_->setResult(&result_);
    run_ = run;
    PageSearchThreads().start([run] { run->Run(); });
    stopButton_->setEnabled(true);
    summary_->setText(PageSearchSummary(result_));
    collectTimer_->start();
}

void frmFindPages::cmdStop_Click()
{
    if (!run_)
        return;
    run_->Stop();
    // What the worker handed over so far is shown; anything later is dropped with the run.
    collect();
    if (!run_)
        return; // it had ended on its own
    result_.finished = true;
    result_.stopped = true;
    stopRun();
    summary_->setText(PageSearchSummary(result_));
}

void frmFindPages::collect()
{
    if (!run_ || !run_->Take(result_))
        return;
    const bool first = model_->rowCount() == 0;
    model_->addRows();
    if (first && model_->rowCount() > 0) {
        list_->resizeColumnToContents(0);
        list_->resizeColumnToContents(1);
        list_->selectRow(0);
    }
    summary_->setText(PageSearchSummary(result_));
    if (result_.finished)
        stopRun();
}

void frmFindPages::stopRun()
{
    collectTimer_->stop();
    if (run_)
        run_->Stop();
    run_.reset();
    stopButton_->setEnabled(false);
}

void frmFindPages::keyPressEvent(QKeyEvent* event)
{
    // Esc stops a running search and leaves the window open; otherwise it closes the window.
    if (run_ && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdStop_Click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmFindPages::hideEvent(QHideEvent* event)
{
    cmdStop_Click();
    QDialog::hideEvent(event);
}

bool frmFindPages::OpenMatch(int row)
{
    if (row < 0 || size_t(row) >= result_.matches.size())
        return false;
    // A copy: opening a page may run a search that replaces the results.
    const PageMatch m = result_.matches[size_t(row)];
    const QString path = result_.paths[m.page];
    Document& doc = state_.Doc;
    const bool shown = files_.Window().EditorShown();
    // Letter case counts: Index.htm and index.htm are two files.
    const bool current = shown && (path.isEmpty() ? doc.isUntitled() : path == doc.path());
    if (!current && (path.isEmpty() || files_.OpenDocument(path) != 0))
        return false;
    // The page may have changed since the search: positions are kept inside its lines.
    auto place = [&doc](int line, qsizetype column) {
        const int l = std::clamp(line - 1, 0, std::max(0, doc.lineCount() - 1));
        return std::min(doc.lineStart(l) + column, doc.lineEnd(l));
    };
    if (MainTextEdit* edit = box_.Target())
        edit->setSelection(place(m.line, m.column), place(m.endLine, m.endColumn));
    if (QWidget* window = box_.Target() ? box_.Target()->window() : nullptr)
        window->activateWindow();
    box_.SetFocus();
    return true;
}

} // namespace tl
