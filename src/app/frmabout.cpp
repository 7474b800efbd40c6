#include "app/frmabout.h"

#include "platform/prompts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>

namespace tl
{

QString VersionLabelText(const QString& version)
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + version;
}

QString FindSystemInfoProgram()
{
    // Desktop system information tools, most specific first.
    for (const char* name : {"hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

// Room a title bar takes beside the title: icon, buttons, margins.
constexpr int kTitleBarExtra = 140;

frmAbout::frmAbout(Prompter& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Tagloomのﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    const QIcon appIcon = QApplication::windowIcon().isNull()
                              ? style()->standardIcon(QStyle::SP_FileDialogInfoView)
                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(32, 32));
    auto* title = new QLabel(QStringLiteral("Tagloom"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    auto* description = new QLabel(QStringLiteral("ホームページ作成ツール"), this);
    description->setObjectName(QStringLiteral("lblDescription"));
    auto* version = new QLabel(VersionLabelText(QStringLiteral(TAGLOOM_VERSION)), this);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    auto* sysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(sysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1, 1, 2);
    grid->addWidget(description, 1, 1, 1, 2);
    grid->addWidget(version, 2, 1, 1, 2);
    grid->setRowMinimumHeight(3, 16);
    grid->addWidget(ok, 4, 2);
    grid->addWidget(sysInfo, 5, 2);
    grid->setColumnStretch(1, 1);
    // Wide enough for the whole title in the title bar, its buttons beside it.
    setMinimumWidth(
        std::max(sizeHint().width(),
                 QFontMetrics(font()).horizontalAdvance(windowTitle()) + kTitleBarExtra));
    // Esc closes the box, as QDialog does by itself.
}

void frmAbout::StartSysInfo()
{
    const QString program = FindSystemInfoProgram();
    if (program.isEmpty() || !QProcess::startDetached(program, {}))
        prompts_.inform(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"),
                        QStringLiteral("Tagloom"));
}

} // namespace tl
