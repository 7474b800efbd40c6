// Start-up of the real executable: from starting the process with a page on its command line to
// the main window having painted it ("shown") and the program being idle again ("idle"). The
// wall time from the start of the process to the report is the benchmark's time.
//
// scripts/bench runs it offscreen; for a real X server run
// `xvfb-run -a build/release/bench/bench_startup` with QT_QPA_PLATFORM unset.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace
{

const QTemporaryDir& Folder()
{
    static const QTemporaryDir folder;
    return folder;
}

// A 20 MB page of ASCII and Shift-JIS lines, CR LF line breaks.
QString LargePage()
{
    static const QString path = [] {
        const QString file = Folder().filePath(QStringLiteral("large.htm"));
        const QByteArray lines[] = {
            "<tr><td class=\"item\">0123</td><td><a href=\"p0123.asp\">link</a></td></tr>\r\n",
            "<p>\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67 0123</p>\r\n",
            "<% Response.Write \"0123\" %> <IMG SRC=\"img/pic0123.gif\">\r\n"};
        QByteArray page;
        page.reserve(21'000'000);
        for (int i = 0; page.size() < 20'000'000; ++i)
            page += lines[i % 3];
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(page);
        return file;
    }();
    return path;
}

// One start: the wall time until the report came, and the report's own figures.
void Start(benchmark::State& state, const QStringList& arguments)
{
    std::map<std::string, double> stages;
    for (auto _ : state) {
        QTemporaryDir home;
        const QString report = home.filePath(QStringLiteral("report"));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TAGLOOM_HOME"), home.path());
        env.insert(QStringLiteral("TAGLOOM_STARTUP_REPORT"), report);
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        program.start(QStringLiteral(TAGLOOM_EXE), arguments);
        QByteArray text;
        while (!text.contains("idle") && clock.elapsed() < 60000) {
            QThread::usleep(500);
            QFile file(report);
            if (file.open(QIODevice::ReadOnly))
                text = file.readAll();
        }
        const double wall = clock.nsecsElapsed() / 1e9;
        program.kill();
        program.waitForFinished();
        if (!text.contains("idle")) {
            state.SkipWithError("the program reported no start-up");
            return;
        }
        state.SetIterationTime(wall);
        // "stage ms" lines: the stages of start-up, then shown and idle.
        for (const QByteArray& line : text.split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() == 2)
                stages[f[0].toStdString()] += f[1].toDouble();
        }
    }
    for (const auto& [name, total] : stages)
        state.counters[name + "_ms"] =
            benchmark::Counter(total, benchmark::Counter::kAvgIterations);
}

void BM_StartWithoutPage(benchmark::State& state)
{
    Start(state, {});
}

void BM_StartWithLargePage(benchmark::State& state)
{
    Start(state, {LargePage()});
}

} // namespace

BENCHMARK(BM_StartWithoutPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartWithLargePage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
