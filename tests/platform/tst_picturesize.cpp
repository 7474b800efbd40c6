#include "platform/picturesize.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace tl;

namespace
{

QByteArray Saved(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray Le16(int v)
{
    QByteArray b(2, '\0');
    b[0] = char(v & 0xFF);
    b[1] = char((v >> 8) & 0xFF);
    return b;
}

// A GIF whose logical screen is width x height, holding one 1 x 1 image.
QByteArray Gif(int width, int height)
{
    return "GIF89a" + Le16(width) + Le16(height) +
           QByteArray("\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00"
                      "\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                      "\x02\x02\x44\x01\x00\x3B",
                      26);
}

// A metafile's placeable header with its bounding box and units per inch, then the start of
// a metafile record stream.
QByteArray Metafile(int left, int top, int right, int bottom, int unitsPerInch)
{
    return QByteArray("\xD7\xCD\xC6\x9A\x00\x00", 6) + Le16(left) + Le16(top) + Le16(right) +
           Le16(bottom) + Le16(unitsPerInch) + QByteArray(6, '\0') +
           QByteArray("\x01\x00\x09\x00\x00\x03", 6);
}

} // namespace

class TestPictureSize : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void measured_data();
    void measured();
    void file();
};

void TestPictureSize::measured_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size"); // invalid: not a picture

    QTest::newRow("gif") << Gif(3, 2) << QSize(3, 2);
    QTest::newRow("gif, wide") << Gif(640, 1) << QSize(640, 1);
    // A screen narrower than the image it holds is widened to show it.
    QTest::newRow("gif, screen of no width") << Gif(0, 5) << QSize(1, 5);
    QTest::newRow("jpeg") << Saved(5, 4, "JPEG") << QSize(5, 4);
    QTest::newRow("bmp") << Saved(7, 1, "BMP") << QSize(7, 1);
    QTest::newRow("png") << Saved(1, 9, "PNG") << QSize(1, 9);
    QTest::newRow("icon") << Saved(16, 16, "ICO") << QSize(16, 16);
    QTest::newRow("metafile, 1440 per inch") << Metafile(0, 0, 1440, 720, 1440) << QSize(96, 48);
    QTest::newRow("metafile, negative box")
        << Metafile(-300, 200, 300, -100, 576) << QSize(100, 50);
    QTest::newRow("metafile, rounded") << Metafile(0, 0, 1000, 15, 1440) << QSize(67, 1);
    QTest::newRow("metafile, whole 16-bit range")
        << Metafile(-32768, -32768, 32767, 32767, 1) << QSize(6291360, 6291360);

    QTest::newRow("empty") << QByteArray() << QSize();
    QTest::newRow("a page") << QByteArray("<HTML><BODY>GIF89a</BODY></HTML>\r\n") << QSize();
    QTest::newRow("gif header cut") << QByteArray("GIF89a\x03") << QSize();
    QTest::newRow("png signature alone") << Saved(2, 2, "PNG").left(8) << QSize();
    QTest::newRow("metafile, no units per inch") << Metafile(0, 0, 100, 100, 0) << QSize();
    QTest::newRow("metafile, empty box") << Metafile(10, 10, 10, 50, 96) << QSize();
    QTest::newRow("metafile header cut") << Metafile(0, 0, 96, 96, 96).left(14) << QSize();
    // Formats Qt can read that a page does not show: an X bitmap is a text file.
    QTest::newRow("x bitmap") << QByteArray("#define a_width 4\n#define a_height 2\n"
                                            "static char a_bits[] = { 0x00, 0x00 };\n")
                              << QSize();
    QTest::newRow("pbm") << QByteArray("P1\n2 2\n0 1\n1 0\n") << QSize();
}

void TestPictureSize::measured()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    const std::optional<QSize> got = PictureSize(bytes);
    QCOMPARE(got.value_or(QSize()), size);
    QCOMPARE(got.has_value(), size.isValid());
}

void TestPictureSize::file()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto write = [&dir](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    };
    // The name's suffix does not matter: the content decides.
    write("photo.gif", Saved(12, 3, "JPEG"));
    write("logo.wmf", Metafile(0, 0, 2880, 1440, 1440));
    write("notes.jpg", "not a picture");
    QCOMPARE(PictureFileSize(dir.filePath("photo.gif")).value_or(QSize()), QSize(12, 3));
    QCOMPARE(PictureFileSize(dir.filePath("logo.wmf")).value_or(QSize()), QSize(192, 96));
    QVERIFY(!PictureFileSize(dir.filePath("notes.jpg")));
    QVERIFY(!PictureFileSize(dir.filePath("missing.gif")));
    QVERIFY(!PictureFileSize(dir.path()));
}

QTEST_MAIN(TestPictureSize)
#include "tst_picturesize.moc"
