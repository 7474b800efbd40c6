// Reading a picture's size from its file: every case must take well under 10 ms, however the
// file is made. The files are written once into a temporary folder (so they are read from the
// page cache): a JPEG whose frame header follows 200,000 small APP1 segments, one behind long
// EXIF segments, the worst inputs the read budget allows (segments too short to skip, long
// ones that each need a window, a GIF's comment of tiny blocks), and a 16 MB file of every
// format.
#include "platform/picturesize.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>

using namespace tl;

namespace
{

QByteArray Le16(int v)
{
    QByteArray b(2, '\0');
    b[0] = char(v & 0xFF);
    b[1] = char((v >> 8) & 0xFF);
    return b;
}

QByteArray Le32(uint32_t v)
{
    return Le16(int(v & 0xFFFF)) + Le16(int(v >> 16));
}

QByteArray Be16(int v)
{
    QByteArray b(2, '\0');
    b[0] = char((v >> 8) & 0xFF);
    b[1] = char(v & 0xFF);
    return b;
}

QByteArray Segment(int marker, const QByteArray& payload)
{
    return QByteArray(1, '\xFF') + char(marker) + Be16(int(payload.size()) + 2) + payload;
}

QByteArray Jpeg(const QByteArray& beforeFrame, qsizetype scanBytes = 100)
{
    return QByteArray("\xFF\xD8", 2) + beforeFrame +
           Segment(0xC0, QByteArray("\x08\x01\xE0\x02\x80\x03\x01\x22\x00\x02\x11\x01\x03\x11"
                                    "\x01",
                                    15)) +
           Segment(0xDA, QByteArray("\x01\x01\x00\x00\x3F\x00", 6)) + QByteArray(scanBytes, 'x') +
           QByteArray("\xFF\xD9", 2);
}

// A file of the format whose header is given, filled to 16 MB.
QByteArray Large(QByteArray header)
{
    header.append(QByteArray(16 * 1024 * 1024 - header.size(), '\x5A'));
    return header;
}

const QByteArray kGifScreen = "GIF89a" + Le16(640) + Le16(480) + QByteArray("\x00\x00\x00", 3);
const QByteArray kGifImage =
    "\x2C" + Le16(0) + Le16(0) + Le16(640) + Le16(480) + QByteArray("\x00\x08", 2);

struct Case {
    const char* name;
    QByteArray bytes;
    bool picture; // whether a size is expected
};

std::vector<Case> Cases()
{
    const QByteArray longSegment = Segment(0xE1, QByteArray(65533, 'e'));
    return {
        {"jpeg_after_200000_app1_segments",
         Jpeg(Segment(0xE1, QByteArray("ab", 2)).repeated(200000)), true},
        {"jpeg_after_200_long_exif_segments", Jpeg(longSegment.repeated(200)), true},
        {"jpeg_past_budget_short_segments",
         Jpeg(QByteArray("\xFF\xFE\x00\x02", 4).repeated(kPictureReadBudget / 4 + 1)), false},
        {"jpeg_past_budget_long_segments",
         Jpeg(longSegment.repeated(kPictureReadBudget / kPictureWindowBytes + 1)), false},
        {"gif_past_budget_comment_blocks",
         kGifScreen + "\x21\xFE" +
             (QByteArray(1, '\x01') + 'c').repeated(kPictureReadBudget / 2 + 1) + '\0' + kGifImage,
         false},
        {"jpeg_16mb", Jpeg(Segment(0xE0, "JFIF"), 16 * 1024 * 1024), true},
        {"gif_16mb", Large(kGifScreen + kGifImage), true},
        {"png_16mb",
         Large(QByteArray("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR\x00\x00\x02\x80\x00\x00\x01\xE0"
                          "\x08\x02\x00\x00\x00\xBA\xB3\x4B\xB3",
                          33)),
         true},
        {"bmp_16mb",
         Large("BM" + Le32(16 * 1024 * 1024) + Le32(0) + Le32(54) + Le32(40) + Le32(640) +
               Le32(480) + Le16(1) + Le16(24)),
         true},
        {"ico_16mb",
         Large(Le16(0) + Le16(1) + Le16(1) + QByteArray("\x00\x00\x00\x00", 4) + Le16(1) +
               Le16(32) + Le32(16 * 1024 * 1024 - 22) + Le32(22)),
         true},
        {"wmf_16mb",
         Large(QByteArray("\xD7\xCD\xC6\x9A\x00\x00", 6) + Le16(0) + Le16(0) + Le16(9600) +
               Le16(7200) + Le16(1440) + QByteArray(6, '\0')),
         true},
    };
}

void MeasureFile(benchmark::State& state, const QString& path, bool picture, qint64 bytes)
{
    for (auto _ : state) {
        const std::optional<QSize> size = PictureFileSize(path);
        if (size.has_value() != picture) {
            state.SkipWithError(picture ? "not measured" : "measured");
            return;
        }
        benchmark::DoNotOptimize(size);
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

void MeasureBytes(benchmark::State& state, const QByteArray& bytes)
{
    for (auto _ : state) {
        const std::optional<QSize> size = PictureSize(bytes);
        if (!size) {
            state.SkipWithError("not measured");
            return;
        }
        benchmark::DoNotOptimize(size);
    }
    state.counters["MB"] = double(bytes.size()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const std::vector<Case> cases = Cases();
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(c.bytes) != c.bytes.size() || !f.flush()) {
            std::fprintf(stderr, "cannot write %s\n", c.name);
            return 1;
        }
        benchmark::RegisterBenchmark((std::string("BM_PictureFileSize/") + c.name).c_str(),
                                     MeasureFile, path, c.picture, qint64(c.bytes.size()))
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("BM_PictureSize/jpeg_after_200000_app1_segments", MeasureBytes,
                                 cases.front().bytes)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
