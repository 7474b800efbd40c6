#include "platform/picturesize.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

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

QByteArray Be16(int v)
{
    QByteArray b(2, '\0');
    b[0] = char((v >> 8) & 0xFF);
    b[1] = char(v & 0xFF);
    return b;
}

QByteArray Be32(uint32_t v)
{
    return Be16(int(v >> 16)) + Be16(int(v & 0xFFFF));
}

QByteArray Le32(uint32_t v)
{
    return Le16(int(v & 0xFFFF)) + Le16(int(v >> 16));
}

// A JPEG segment: marker, length (counting itself), payload.
QByteArray Segment(int marker, const QByteArray& payload)
{
    return QByteArray(1, '\xFF') + char(marker) + Be16(int(payload.size()) + 2) + payload;
}

// A frame header of three components.
QByteArray Frame(int marker, int width, int height)
{
    return Segment(marker, QByteArray(1, 8) + Be16(height) + Be16(width) +
                               QByteArray("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10));
}

const QByteArray kSoi("\xFF\xD8", 2);
// What follows the frame header: tables, a scan with coded data holding FF 00, the end.
const QByteArray kScan =
    Segment(0xC4, QByteArray(1, '\x00') + QByteArray(1, '\x01') + QByteArray(16, '\x00')) +
    Segment(0xDA, QByteArray("\x01\x01\x00\x00\x3F\x00", 6)) +
    QByteArray("\x12\xFF\x00\x34\xFF\xD9", 6);

QByteArray Jpeg(const QByteArray& beforeFrame, int width, int height, int marker = 0xC0)
{
    return kSoi + beforeFrame + Frame(marker, width, height) + kScan;
}

// A JPEG saved by Qt, with segments put before all of its own.
QByteArray SavedJpegAfter(const QByteArray& segments, int width, int height)
{
    return Saved(width, height, "JPEG").insert(2, segments);
}

// count APP1 segments of 1 to 7 payload bytes.
QByteArray App1Segments(int count)
{
    QByteArray b;
    for (int i = 0; i < count; ++i)
        b += Segment(0xE1, QByteArray(1 + i % 7, char('a' + i % 26)));
    return b;
}

uint32_t Crc32(const QByteArray& bytes)
{
    uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        c ^= uint8_t(ch);
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return ~c;
}

// A PNG's signature and IHDR chunk (8-bit RGB), with the chunk's checksum.
QByteArray Png(uint32_t width, uint32_t height, bool rightChecksum = true)
{
    const QByteArray chunk =
        "IHDR" + Be32(width) + Be32(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + Be32(13) + chunk +
           Be32(Crc32(chunk) ^ (rightChecksum ? 0u : 1u)) + QByteArray(12, '\0');
}

// A BMP's file header and an information header of infoSize bytes; the old 12-byte kind has
// 16-bit sides.
QByteArray Bmp(int infoSize, int width, int height, int planes = 1, int bits = 24)
{
    QByteArray info = Le32(uint32_t(infoSize));
    if (infoSize == 12)
        info += Le16(width) + Le16(height) + Le16(planes) + Le16(bits);
    else
        info += Le32(uint32_t(width)) + Le32(uint32_t(height)) + Le16(planes) + Le16(bits) +
                QByteArray(infoSize - 16, '\0');
    return "BM" + Le32(uint32_t(14 + info.size() + 4)) + QByteArray(4, '\0') +
           Le32(uint32_t(14 + info.size())) + info + QByteArray(4, '\0');
}

// An icon (type 1) or cursor (type 2) directory with one 32-bit entry.
QByteArray Icon(int type, int width, int height)
{
    return Le16(0) + Le16(type) + Le16(1) + char(width) + char(height) + QByteArray(2, '\0') +
           Le16(1) + Le16(32) + Le32(40 + 4 * 256) + Le32(22) + QByteArray(40, '\0');
}

// A GIF header with a logical screen, then blocks, the trailer left to the caller.
QByteArray GifWith(int width, int height, const QByteArray& blocks)
{
    return "GIF89a" + Le16(width) + Le16(height) + QByteArray("\x00\x00\x00", 3) + blocks;
}

// An image descriptor and its data.
QByteArray GifImage(int left, int top, int width, int height)
{
    return "\x2C" + Le16(left) + Le16(top) + Le16(width) + Le16(height) +
           QByteArray("\x00\x02\x02\x44\x01\x00", 6);
}

// The size of the file at path, read on a worker so that a read that blocks fails the test
// instead of hanging it: after the bound, a writer opens the pipe at path, which lets a blocked
// open() of it return.
std::optional<QSize> BoundedFileSize(const QString& path, bool* blocked)
{
    auto measured = std::async(std::launch::async, [path] { return PictureFileSize(path); });
    *blocked = measured.wait_for(std::chrono::seconds(20)) != std::future_status::ready;
    if (*blocked) {
        const int writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    return measured.get();
}

} // namespace

class TestPictureSize : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void measured_data();
    void measured();
    void file();
    void notRegularFile_data();
    void notRegularFile();
};

void TestPictureSize::measured_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size"); // invalid: not a picture

    QTest::newRow("gif") << Gif(3, 2) << QSize(3, 2);
    QTest::newRow("gif, wide") << Gif(640, 1) << QSize(640, 1);
    // A screen of no width takes the width of the image it holds.
    QTest::newRow("gif, screen of no width") << Gif(0, 5) << QSize(1, 5);
    QTest::newRow("jpeg") << Saved(5, 4, "JPEG") << QSize(5, 4);
    QTest::newRow("bmp") << Saved(7, 1, "BMP") << QSize(7, 1);
    QTest::newRow("png") << Saved(1, 9, "PNG") << QSize(1, 9);
    QTest::newRow("icon") << Saved(16, 16, "ICO") << QSize(16, 16);
    QTest::newRow("metafile, 1440 per inch") << Metafile(0, 0, 1440, 720, 1440) << QSize(96, 48);
    QTest::newRow("metafile, negative box")
        << Metafile(-300, 200, 300, -100, 576) << QSize(100, 50);
    QTest::newRow("metafile, rounded") << Metafile(0, 0, 1000, 15, 1440) << QSize(67, 1);

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

    // The JPEG frame header, found by skipping segments by their lengths.
    QTest::newRow("jpeg, after 20,000 APP1 segments")
        << SavedJpegAfter(App1Segments(20000), 640, 480) << QSize(640, 480);
    QTest::newRow("jpeg, after long EXIF segments")
        << SavedJpegAfter(Segment(0xE1, QByteArray(65533, 'x')).repeated(40), 17, 3)
        << QSize(17, 3);
    QTest::newRow("jpeg, after 1.5 MB of empty comments")
        << SavedJpegAfter(QByteArray("\xFF\xFE\x00\x02", 4).repeated(3 << 17), 9, 8) << QSize(9, 8);
    QTest::newRow("jpeg, progressive (SOF2)") << Jpeg({}, 300, 200, 0xC2) << QSize(300, 200);
    QTest::newRow("jpeg, lossless (SOF3)") << Jpeg({}, 2, 65535, 0xC3) << QSize(2, 65535);
    QTest::newRow("jpeg, arithmetic (SOF9)") << Jpeg({}, 65535, 1, 0xC9) << QSize(65535, 1);
    QTest::newRow("jpeg, SOF15") << Jpeg({}, 4, 5, 0xCF) << QSize(4, 5);
    // Segments whose markers share the frame range and hold what looks like a frame header.
    QTest::newRow("jpeg, DHT, JPG and DAC are not frame headers")
        << Jpeg(Frame(0xC4, 999, 999) + Frame(0xC8, 999, 999) + Frame(0xCC, 999, 999), 12, 34)
        << QSize(12, 34);
    QTest::newRow("jpeg, fill bytes before markers")
        << Jpeg(QByteArray(3, '\xFF') + Segment(0xE0, "JFIF") + QByteArray(1, '\xFF'), 7, 6)
        << QSize(7, 6);
    QTest::newRow("jpeg, restart and TEM markers without length")
        << Jpeg(QByteArray("\xFF\xD0\xFF\x01\xFF\xD7", 6) + Segment(0xDB, QByteArray(65, 1)), 3, 3)
        << QSize(3, 3);
    QTest::newRow("jpeg, stray bytes between segments")
        << Jpeg(Segment(0xE0, "JFIF") + QByteArray("\x00\x12\xFF\x00\x34", 5), 5, 5) << QSize(5, 5);
    // The header is enough: a picture cut in its scan still has its size.
    QTest::newRow("jpeg, cut after the frame header")
        << (kSoi + Segment(0xE1, "Exif") + Frame(0xC0, 80, 60)) << QSize(80, 60);
    QTest::newRow("jpeg, cut inside the frame header")
        << Jpeg(Segment(0xE1, "Exif"), 80, 60).left(2 + 8 + 12) << QSize();
    QTest::newRow("jpeg, cut before the frame header")
        << Jpeg(App1Segments(100), 80, 60).left(300) << QSize();
    QTest::newRow("jpeg, cut in fill bytes") << (kSoi + QByteArray(5, '\xFF')) << QSize();
    // The frame header lies inside a segment that claims more bytes than the file holds.
    QTest::newRow("jpeg, segment length past the end")
        << (kSoi + QByteArray("\xFF\xE1\x01\x00", 4) + Frame(0xC0, 8, 8) + kScan) << QSize();
    QTest::newRow("jpeg, segment length below 2")
        << (kSoi + QByteArray("\xFF\xE1\x00\x01", 4) + Frame(0xC0, 8, 8)) << QSize();
    QTest::newRow("jpeg, scan before a frame header")
        << (kSoi + kScan + Frame(0xC0, 8, 8)) << QSize();
    QTest::newRow("jpeg, end of image before a frame header")
        << (kSoi + QByteArray("\xFF\xD9", 2) + Frame(0xC0, 8, 8)) << QSize();
    QTest::newRow("jpeg, second start of image") << Jpeg(kSoi, 8, 8) << QSize();
    QTest::newRow("jpeg, frame header length wrong")
        << (kSoi + Segment(0xC0, QByteArray("\x08\x00\x08\x00\x08\x01\x01\x11", 8)) + kScan)
        << QSize();
    QTest::newRow("jpeg, no components")
        << (kSoi + Segment(0xC0, QByteArray("\x08\x00\x08\x00\x08\x00", 6)) + kScan) << QSize();
    // A height of 0 leaves it to a later DNL segment, which no page reader follows.
    QTest::newRow("jpeg, height 0") << Jpeg({}, 8, 0) << QSize();
    QTest::newRow("jpeg, width 0") << Jpeg({}, 0, 8) << QSize();
    // Reading stops at a fixed budget: 2 MB of segments too short to skip ahead.
    QTest::newRow("jpeg, frame header past the read budget")
        << Jpeg(QByteArray("\xFF\xFE\x00\x02", 4).repeated(kPictureReadBudget / 4 + 1), 9, 8)
        << QSize();

    // Sizes no page could show are refused, in every format.
    QTest::newRow("metafile, whole 16-bit range at 1 per inch")
        << Metafile(-32768, -32768, 32767, 32767, 1) << QSize();
    QTest::newRow("metafile, 65,535 pixels wide")
        << Metafile(-32768, 0, 32767, 96, 96) << QSize(65535, 96);
    QTest::newRow("metafile, 65,536 pixels wide") << Metafile(-32768, 0, 32767, 96, 95) << QSize();
    QTest::newRow("png, 65,535 wide") << Png(65535, 1) << QSize(65535, 1);
    QTest::newRow("png, 65,536 wide") << Png(65536, 1) << QSize();
    QTest::newRow("png, 2^32 - 1 high") << Png(1, 0xFFFFFFFFu) << QSize();
    QTest::newRow("png, 0 high") << Png(5, 0) << QSize();
    QTest::newRow("png, header checksum wrong") << Png(5, 5, false) << QSize();
    QTest::newRow("bmp, old header") << Bmp(12, 20, 10) << QSize(20, 10);
    QTest::newRow("bmp, stored top down") << Bmp(40, 3, -7) << QSize(3, 7);
    QTest::newRow("bmp, version 5 header") << Bmp(124, 640, 480, 1, 32) << QSize(640, 480);
    QTest::newRow("bmp, 65,536 wide") << Bmp(40, 65536, 1) << QSize();
    QTest::newRow("bmp, 65,536 high top down") << Bmp(40, 1, -65536) << QSize();
    QTest::newRow("bmp, most negative height") << Bmp(40, 1, INT32_MIN) << QSize();
    QTest::newRow("bmp, negative width") << Bmp(40, -5, 5) << QSize();
    QTest::newRow("bmp, two planes") << Bmp(40, 5, 5, 2) << QSize();
    QTest::newRow("bmp, unknown bit count") << Bmp(40, 5, 5, 1, 7) << QSize();
    QTest::newRow("bmp, unknown header size") << Bmp(44, 5, 5) << QSize();
    QTest::newRow("text starting BM") << QByteArray("BM is a good name for a page.\r\n") << QSize();

    QTest::newRow("gif, extensions before the image")
        << GifWith(10, 20,
                   QByteArray("\x21\xF9\x04\x00\x00\x00\x00\x00", 8) +
                       QByteArray("\x21\xFE\xFF", 3) + QByteArray(255, 'c') + "\x2D" +
                       QByteArray(45, 'c') + QByteArray(1, '\0') +
                       QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19) +
                       GifImage(0, 0, 1, 1) + "\x3B")
        << QSize(10, 20);
    QTest::newRow("gif, screen of no size, image placed inside")
        << GifWith(0, 0, GifImage(2, 3, 4, 5) + "\x3B") << QSize(6, 8);
    QTest::newRow("gif, no image") << GifWith(10, 10, "\x3B") << QSize();
    QTest::newRow("gif, extension cut")
        << GifWith(10, 10, QByteArray("\x21\xFE\x10", 3) + QByteArray(8, 'c')) << QSize();
    QTest::newRow("gif, image descriptor cut")
        << GifWith(10, 10, GifImage(0, 0, 1, 1).left(6)) << QSize();

    QTest::newRow("cursor") << Icon(2, 32, 32) << QSize(32, 32);
    QTest::newRow("icon, 256 written as 0") << Icon(1, 0, 0) << QSize(256, 256);
    QTest::newRow("icon, unknown type") << Icon(3, 16, 16) << QSize();
    QTest::newRow("icon, directory alone") << Icon(1, 16, 16).left(6) << QSize();
}

void TestPictureSize::measured()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    const std::optional<QSize> got = PictureSize(bytes);
    QCOMPARE(got.value_or(QSize()), size);
    QCOMPARE(got.has_value(), size.isValid());

    // A file of the same bytes, read in windows, gives the same answer.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("picture")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
    f.close();
    const std::optional<QSize> fromFile = PictureFileSize(f.fileName());
    QCOMPARE(fromFile.value_or(QSize()), size);
    QCOMPARE(fromFile.has_value(), size.isValid());
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

// Only regular files are read; anything else is not a picture, and is answered at once.
void TestPictureSize::notRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");

    QTest::newRow("named pipe") << "pipe" << QSize();
    QTest::newRow("device") << "device" << QSize();
    QTest::newRow("folder named like a picture") << "folder" << QSize();
    QTest::newRow("link to a picture") << "link" << QSize(4, 3);
    QTest::newRow("link to a pipe") << "link to pipe" << QSize();
    QTest::newRow("dangling link") << "dangling link" << QSize();
}

void TestPictureSize::notRegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("x.gif"));
    const QByteArray name = QFile::encodeName(path);
    const QByteArray pipe = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
    const QByteArray picture = QFile::encodeName(dir.filePath(QStringLiteral("p.gif")));
    {
        QFile f(QFile::decodeName(picture));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(Gif(4, 3)) > 0);
    }
    QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
    if (kind == "pipe")
        QCOMPARE(::rename(pipe.constData(), name.constData()), 0);
    else if (kind == "device")
        QCOMPARE(::symlink("/dev/zero", name.constData()), 0);
    else if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "link")
        QCOMPARE(::symlink(picture.constData(), name.constData()), 0);
    else if (kind == "link to pipe")
        QCOMPARE(::symlink(pipe.constData(), name.constData()), 0);
    else
        QCOMPARE(::symlink("nowhere.gif", name.constData()), 0);

    bool blocked = false;
    const std::optional<QSize> got = BoundedFileSize(path, &blocked);
    QVERIFY2(!blocked, "reading the size blocked");
    QCOMPARE(got.value_or(QSize()), size);
    QCOMPARE(got.has_value(), size.isValid());
}

QTEST_MAIN(TestPictureSize)
#include "tst_picturesize.moc"
