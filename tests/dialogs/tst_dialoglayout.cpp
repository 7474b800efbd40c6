// Every dialog the program registers, opened as the user opens it, shows each caption whole and
// names each control for a screen reader.
// CTest runs this twice: at scale 1 and with QT_SCALE_FACTOR=1.5.
#include "captionfit.h"
#include "core/appstate.h"
#include "fixtures.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QtTest>

using namespace tl;

class TestDialogLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void captionsAreWhole_data();
    void captionsAreWhole();
    void aCutCaptionIsFound();
    void mainWindowControlsAreNamed();
};

void TestDialogLayout::captionsAreWhole_data()
{
    QTest::addColumn<QString>("name");
    test::WindowFixture f;
    for (const QString& name : f.state.Dialogs.Names()) {
        if (name.startsWith(u"frm"))
            QTest::newRow(qPrintable(name)) << name;
    }
}

void TestDialogLayout::captionsAreWhole()
{
    QFETCH(QString, name);
    test::WindowFixture f(QStringLiteral("<P>text</P>"));
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));

    QStringList problems;
    bool seen = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        problems = test::CutCaptions(dialog) + test::UnnamedControls(dialog);
        // TAGLOOM_DIALOG_SHOTS=<folder> keeps a picture of each dialog, to look at.
        if (const QString shots = qEnvironmentVariable("TAGLOOM_DIALOG_SHOTS"); !shots.isEmpty())
            dialog->grab().save(shots + u'/' + name + QStringLiteral(".png"));
        dialog->reject();
    });
    f.state.Dialogs.Open(name, DialogRequest{f.state, f.box(), &f.window, QString()});
    QCoreApplication::processEvents();
    // Windows that are not modal dialogs (the search window) are closed here.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != &f.window && w->isVisible()) {
            if (!seen)
                problems = test::CutCaptions(w) + test::UnnamedControls(w);
            seen = true;
            w->close();
        }
    }
    // A registered dialog that shows nothing is a fault (a missing opener), not a pass.
    QVERIFY2(seen, "opens no window");
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

// The check itself: a caption squeezed by a fixed width is reported, a free one is not.
void TestDialogLayout::aCutCaptionIsFound()
{
    QWidget window;
    auto* squeezed = new QLabel(QStringLiteral("アクセス済リンク"), &window);
    squeezed->setObjectName(QStringLiteral("Label5"));
    squeezed->setFixedWidth(30);
    auto* free = new QCheckBox(QStringLiteral("背景固定"), &window);
    free->move(0, 40);
    free->resize(free->sizeHint());
    window.show();
    const QStringList problems = test::CutCaptions(&window);
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems[0].startsWith(QStringLiteral("Label5 「アクセス済リンク」: 30x")));
}

void TestDialogLayout::mainWindowControlsAreNamed()
{
    test::WindowFixture f(QStringLiteral("<P>text</P>"));
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const QStringList problems = test::UnnamedControls(&f.window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestDialogLayout)
#include "tst_dialoglayout.moc"
