#include "platform/inifile.h"
#include "temphome.h"

#include <QtTest>

using namespace tl;

class TestIniFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placeholder() { QVERIFY(true); }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
