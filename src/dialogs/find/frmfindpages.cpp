#include "dialogs/find/frmfindpages.h"

#include "core/appstate.h"
#include "editbox/maintextedit.h"
#include "editbox/textbox.h"
#include "files/documentwindow.h"
#include "files/filecommands.h"
#include "files/paths.h"
#include "platform/busycursor.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <algorithm>
#include <limits>

namespace tl
{

namespace
{

// Paths name the same page as the page list compares them: without regard to case.
bool SamePage(const QString& a, const QString& b)
{
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

QString PageName(const QString& path)
{
    return path.isEmpty() ? kUntitledCaption : FileNameOf(path);
}

} // namespace

PageSearchResult SearchSessionPages(AppState& state, bool currentShown, QStringView key,
                                    bool matchCase)
{
    PageSearchResult result;
    Document& doc = state.Doc;
    const QString currentPath = currentShown ? doc.path() : QString();
    QStringList paths;
    if (currentShown && doc.isUntitled())
        paths << QString();
    bool currentListed = false;
    for (int i = 0; i < UsedSlotCount(state.Docs); ++i) {
        const QString& path = state.Docs[size_t(i)].Path;
        currentListed = currentListed || SamePage(path, currentPath);
        paths << path;
    }
    if (currentShown && !doc.isUntitled() && !currentListed)
        paths.prepend(currentPath);

    // One page in memory at a time: fifty pages read from disk are never all held at once.
    for (int page = 0; page < int(paths.size()); ++page) {
        const QString& path = paths[page];
        std::vector<PageMatch> found;
        if (currentShown && (path.isEmpty() || SamePage(path, currentPath))) {
            found = FindInPages({doc.view(0, doc.length())}, key, matchCase);
        } else {
            const LoadedPage loaded = ReadPageFile(path);
            if (!loaded.opened) {
                result.unreadable << path;
                continue;
            }
            found = FindInPages({loaded.decoded.text}, key, matchCase);
        }
        for (PageMatch& m : found) {
            m.page = page;
            result.matches.push_back(std::move(m));
        }
    }
    result.paths = std::move(paths);
    return result;
}

QString PageSearchSummary(const PageSearchResult& result)
{
    QString text;
    if (result.matches.empty()) {
        text = QStringLiteral("見つかりません。");
    } else {
        int pages = 0;
        int last = -1;
        for (const PageMatch& m : result.matches) {
            pages += m.page != last ? 1 : 0;
            last = m.page;
        }
        text = QString::number(pages) + QStringLiteral(" ページで ") +
               QString::number(result.matches.size()) + QStringLiteral(" 件見つかりました。");
    }
    if (!result.unreadable.isEmpty()) {
        text +=
            QStringLiteral(" 読めなかったページ: ") + result.unreadable.join(QStringLiteral("、"));
    }
    return text;
}

// The result rows: page, line, the line's text.
class PageMatchModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setResult(const PageSearchResult* result)
    {
        beginResetModel();
        result_ = result;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !result_ ? 0 : int(result_->matches.size());
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
};

frmFindPages::frmFindPages(AppState& state, FileCommands& files, cTextBox& box, QWidget* parent)
    : QDialog(parent), state_(state), files_(files), box_(box), findField_(new QLineEdit(this)),
      matchCaseBox_(new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this)),
      findButton_(new QPushButton(QStringLiteral("検索(&F)"), this)), summary_(new QLabel(this)),
      list_(new QTableView(this)), model_(new PageMatchModel(this))
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
    connect(closeButton, &QPushButton::clicked, this, &frmFindPages::reject);
    connect(list_, &QTableView::activated, this,
            [this](const QModelIndex& index) { OpenMatch(index.row()); });
}

frmFindPages::~frmFindPages() = default;

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
    BusyCursor busy;
    model_->setResult(nullptr);
    result_ =
        SearchSessionPages(state_, files_.Window().EditorShown(), key, matchCaseBox_->isChecked());
    model_->setResult(&result_);
    list_->resizeColumnToContents(0);
    list_->resizeColumnToContents(1);
    summary_->setText(PageSearchSummary(result_));
    if (!result_.matches.empty())
        list_->selectRow(0);
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
    const bool current = shown && (path.isEmpty() ? doc.isUntitled() : SamePage(path, doc.path()));
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
