// window_stall: the real main window, listening, takes the load generator's
// burst and then its lock-step scenario from a sender thread while a probe
// timer measures how long the event loop is kept from everything else.
// Runs from a program directory holding corvconf.ini (bench/run.sh makes
// one); prints one key=value line and exits 2 on any fault.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <thread>

#include "forms/frm_interface.h"
#include "load/scenarios.h"
#include "load/wire.h"
#include "widgets/qt_operator_port.h"

namespace {

// Ticks every few milliseconds on the window's event loop; the longest gap
// between two ticks is how long the window could neither paint nor react.
struct StallProbe {
    QTimer timer;
    QElapsedTimer sinceTick;
    double longestMs = 0;
    int over50Ms = 0;

    void tick()
    {
        const double gapMs = double(sinceTick.nsecsElapsed()) / 1e6;
        sinceTick.start();
        longestMs = std::max(longestMs, gapMs);
        over50Ms += gapMs > 50;
    }
};

// Counts and closes every box the window shows: nobody is there to answer,
// and an open box would hold the window for good.
struct BoxCloser : QObject {
    int boxes = 0;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (auto *box = qobject_cast<QMessageBox *>(watched); box && event->type() == QEvent::Show) {
            ++boxes;
            std::fprintf(stderr, "window_stall: box \"%s\"\n", qPrintable(box->text()));
            QMetaObject::invokeMethod(box, &QDialog::reject, Qt::QueuedConnection);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    bench::Options options;
    try {
        options = bench::parseOptions(argc, argv);
    } catch (const std::exception &problem) {
        std::fprintf(stderr, "window_stall: %s\n", problem.what());
        return 2;
    }
    // Without its settings file the window would ask the operator, and nobody answers here.
    if (!QDir(QCoreApplication::applicationDirPath()).exists(QStringLiteral("corvconf.ini"))) {
        std::fprintf(stderr, "window_stall: no corvconf.ini beside the program\n");
        return 2;
    }
    BoxCloser closer;
    app.installEventFilter(&closer);
    QtOperatorPort operatorPort;
    frmInterface window(operatorPort);
    window.Form_Load();
    window.show();
    // Traffic starts once the window is on the screen, so that painting is part of the cost.
    if (!bench::listening(options.port) || !QTest::qWaitForWindowExposed(&window, 10000)) {
        std::fprintf(stderr, "window_stall: the window is not listening on port %u or not shown\n", options.port);
        return 2;
    }

    StallProbe probe;
    probe.timer.setTimerType(Qt::PreciseTimer);
    probe.timer.setInterval(5);
    QObject::connect(&probe.timer, &QTimer::timeout, [&] { probe.tick(); });
    bench::Report figures;  // the probe's, phase by phase
    std::vector<std::pair<std::string, bench::Report>> phases;
    const auto onLoop = [&](auto step) { QMetaObject::invokeMethod(&app, step, Qt::QueuedConnection); };
    std::thread sender([&] {
        for (const std::string scenario : {"burst", "lockstep"}) {
            bench::Options phase = options;
            phase.scenario = scenario;
            phase.count = scenario == "burst" ? options.count : options.lockstep;
            if (phase.count == 0)
                continue;
            onLoop([&] {
                probe.longestMs = probe.over50Ms = 0;
                probe.sinceTick.start();
                probe.timer.start();
            });
            phases.emplace_back(scenario, bench::runScenario(phase));
            onLoop([&, scenario] {
                probe.tick();  // a stall still going on counts up to now
                probe.timer.stop();
                figures.add(scenario + "_max_stall_ms", probe.longestMs, 1);
                figures.add(scenario + "_stalls_over_50ms", probe.over50Ms);
            });
        }
        // Not quit(): that asks the window to close, and the window asks the operator first.
        onLoop([] { QCoreApplication::exit(0); });
    });
    app.exec();
    sender.join();

    std::string line = "scenario=window " + figures.line();
    std::vector<std::string> faults;
    std::uint64_t arrivals = 0;
    for (const auto &[scenario, report] : phases) {
        line.append(" ").append(report.line(scenario + "_"));
        for (const std::string &fault : report.faults)
            faults.push_back(scenario + ": " + fault);
        for (const auto &[key, value] : report.pairs)
            arrivals += key == "stored_lines" ? std::stoull(value) : 0;
    }
    // The counter box follows the arrivals once a paint interval.
    const auto *itemCount = window.findChild<QLineEdit *>(QStringLiteral("txtItemCount"));
    const bool counted =
        itemCount && QTest::qWaitFor([&] { return itemCount->text() == QString::number(arrivals); }, 2000);
    std::printf("%s rows=%s boxes=%d\n", line.c_str(), itemCount ? qPrintable(itemCount->text()) : "-",
                closer.boxes);
    if (!counted)
        faults.push_back("the counter box does not show the " + std::to_string(arrivals) + " arrivals");
    if (closer.boxes > 0)
        faults.emplace_back("the window showed a box");
    for (const std::string &fault : faults)
        std::fprintf(stderr, "window_stall: %s\n", fault.c_str());
    return faults.empty() ? 0 : 2;
}
