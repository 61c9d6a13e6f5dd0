// window_stall: the real main window, listening, takes a burst and then
// lock-step traffic from a sender thread while a probe timer measures how
// long the event loop is kept from everything else. Prints one key=value line.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "common/deadline.h"
#include "common/tcp.h"
#include "forms/interface_seam.h"
#include "window/fixed_operator_port.h"
#include "window/stall_probe.h"
#include "window/traffic.h"

namespace {

struct Settings {
    bench::TrafficPlan plan;
    int tickMs = 5;
    QString canonicalSettings = QStringLiteral(CORVANE_FIRST_START_INI);
};

Settings parse(const QStringList &arguments)
{
    Settings settings;
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        const QString &option = arguments[i];
        const QString &value = arguments[i + 1];
        if (option == QLatin1String("--count"))
            settings.plan.burstCount = value.toULongLong();
        else if (option == QLatin1String("--lockstep"))
            settings.plan.lockstepCount = value.toULongLong();
        else if (option == QLatin1String("--size"))
            settings.plan.size = value.toULongLong();
        else if (option == QLatin1String("--tick-ms"))
            settings.tickMs = value.toInt();
        else if (option == QLatin1String("--timeout"))
            settings.plan.timeoutSeconds = value.toDouble();
        else if (option == QLatin1String("--settings"))
            settings.canonicalSettings = value;
        else
            qFatal("window_stall: unknown option %s", qPrintable(option));
    }
    return settings;
}

// The canonical settings file with the value under each named heading replaced.
QByteArray settingsWith(const QByteArray &canonical, const QList<std::pair<QByteArray, QByteArray>> &changes)
{
    QList<QByteArray> lines = canonical.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        for (const auto &[heading, value] : changes) {
            if (lines[i] == heading + '\r')
                lines[i + 1] = value + '\r';
        }
    }
    return lines.join('\n');
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Settings settings = parse(app.arguments());

    QTemporaryDir programDirectory;
    QFile canonical(settings.canonicalSettings);
    if (!programDirectory.isValid() || !canonical.open(QIODevice::ReadOnly))
        qFatal("window_stall: no program directory or no canonical settings file");
    settings.plan.port = bench::freePort();
    settings.plan.dataFile = programDirectory.filePath(QStringLiteral("data.txt")).toStdString();
    const QByteArray configured = settingsWith(canonical.readAll(),
                                               {{"[AutoStart]", "On"},
                                                {"[Port]", QByteArray::number(settings.plan.port)},
                                                {"[Logfile Location]", QByteArray::fromStdString(settings.plan.dataFile)}});
    if (!writeFile(programDirectory.filePath(QStringLiteral("corvconf.ini")), configured))
        qFatal("window_stall: cannot write the settings file");

    FixedOperatorPort operatorPort(programDirectory.path());
    auto window = std::make_unique<frmInterface>(operatorPort);
    window->Form_Load();
    window->show();
    if (InterfaceSeam(*window).sockets().state(0) != SocketSet::State::Listening)
        qFatal("window_stall: the window is not listening after start-up");

    StallProbe probe(settings.tickMs);
    std::vector<StallProbe::Phase> phases;
    bool probing = false;
    // Called on the sender thread; the probe lives on the window's thread.
    const auto phaseBegins = [&](const char *name) {
        const QString phase = QString::fromLatin1(name);
        QMetaObject::invokeMethod(
            &app,
            [&, phase] {
                if (probing)
                    phases.push_back(probe.finish());
                probing = phase != QLatin1String("done");
                if (probing)
                    probe.begin(phase);
                else
                    QCoreApplication::exit(0);  // quit() would ask the window to close, and it asks the operator
            },
            Qt::QueuedConnection);
    };

    // Traffic starts once the window is on the screen, so painting is part of the cost.
    bench::TrafficResult result;
    std::thread sender;
    const bench::Deadline exposedBy(10);
    QTimer untilExposed;
    QObject::connect(&untilExposed, &QTimer::timeout, &app, [&] {
        if (window->windowHandle() && window->windowHandle()->isExposed()) {
            untilExposed.stop();
            sender = std::thread([&] { result = bench::sendTraffic(settings.plan, phaseBegins); });
        } else if (exposedBy.passed()) {
            qFatal("window_stall: the window was not exposed within 10 s");
        }
    });
    untilExposed.start(5);
    // The sender gives up at its own deadline; this catches a loop that never hears of it.
    QTimer::singleShot(int((settings.plan.timeoutSeconds + 30) * 1000), &app, [] {
        std::fprintf(stderr, "window_stall: no end of traffic within the deadline\n");
        QCoreApplication::exit(2);
    });
    const int loopStatus = app.exec();
    if (sender.joinable())
        sender.join();

    std::printf("scenario=window count=%llu size=%zu tick_ms=%d", static_cast<unsigned long long>(settings.plan.burstCount),
                settings.plan.size, settings.tickMs);
    for (const StallProbe::Phase &phase : phases)
        std::printf(" %s_max_stall_ms=%.1f %s_stalls_over_50ms=%lld %s_ticks=%lld", qPrintable(phase.name),
                    phase.longestGapMs, qPrintable(phase.name), static_cast<long long>(phase.gapsOver50Ms),
                    qPrintable(phase.name), static_cast<long long>(phase.ticks));
    std::printf(" burst_taken_s=%.4f burst_msgs_per_s=%.1f burst_acks=%llu burst_largest_arrival=%llu",
                result.burstTakenSeconds,
                result.burstTakenSeconds > 0 ? double(settings.plan.burstCount) / result.burstTakenSeconds : 0.0,
                static_cast<unsigned long long>(result.burstAcks),
                static_cast<unsigned long long>(result.burstLargestArrival));
    std::printf(" lockstep_count=%llu lockstep_acks_per_s=%.1f lockstep_acks=%llu",
                static_cast<unsigned long long>(settings.plan.lockstepCount),
                result.lockstepSeconds > 0 ? double(settings.plan.lockstepCount) / result.lockstepSeconds : 0.0,
                static_cast<unsigned long long>(result.lockstepAcks));
    std::printf(" bad_acks=%llu boxes=%d rows=%d\n", static_cast<unsigned long long>(result.badAcks), operatorPort.boxes,
                window->findChild<QLineEdit *>(QStringLiteral("txtItemCount"))->text().toInt());
    std::fflush(stdout);
    if (!result.failure.empty()) {
        std::fprintf(stderr, "window_stall: %s\n", result.failure.c_str());
        return 2;
    }
    return loopStatus;
}
