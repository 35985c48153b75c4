// The window's pages at 300,000 draws: the basic trend chart over the whole history (全部), the
// first switch to the trend page (chart built, sized and painted), later switches between the
// pages, and the trend page following a draw typed on it.

#include "benchmarks.h"

#include "gui/common/prompter.h"
#include "gui/window/main_window.h"
#include "search/basic_trend.h"
#include "workspace/workspace.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include <algorithm>
#include <array>
#include <ctime>
#include <ostream>

namespace bench {

namespace {

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Processor time of this process, in milliseconds: on a machine shared with other work the wall
// clock counts their time too.
double cpuMs() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Shows the page and waits until it is painted; the wall time, and the processor time in cpu.
double switchTo(QTabBar& pages, QWidget& window, int page, double* cpu = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuMs();
    pages.setCurrentIndex(page);
    window.repaint();
    QApplication::processEvents();
    if (cpu) *cpu = cpuMs() - cpuStart;
    return msSince(start);
}

} // namespace

void runPagesBenchmarks(std::ostream& out) {
    const size_t draws = 300000;
    const std::string folder = folderWithHistory(draws);
    app::Workspace workspace(workspaceOptions(folder));
    workspace.ensureKinds({history::Number});

    const double chart = medianSeconds(5, [&] {
        search::OmissionRequest all;
        const search::BasicTrend trend(workspace.rows(), all, workspace.zodiac());
        if (trend.periods() != workspace.rows().size()) throw std::runtime_error("wrong span");
    });
    out << "basic trend chart of " << draws << " draws (全部): " << chart * 1000
        << " ms median of 5\n";

    app::gui::WidgetPrompter prompter;
    app::gui::MainWindow window(workspace, prompter);
    window.resize(1366, 768);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) throw std::runtime_error("not shown");
    QApplication::processEvents();
    auto* pages = window.findChild<QTabBar*>(QStringLiteral("pageTabs"));
    if (!pages) throw std::runtime_error("no page tabs");

    double cpu = 0;
    const double first = switchTo(*pages, window, 1, &cpu);
    out << "first switch to 走势图 (basic chart of " << draws
        << " draws built, sized, painted): " << first << " ms (" << cpu << " ms processor)\n";
    for (int page : {2, 3}) {
        const double ms = switchTo(*pages, window, page, &cpu);
        out << "first switch to page " << page << ": " << ms << " ms (" << cpu
            << " ms processor)\n";
    }
    std::array<std::vector<double>, 4> switches, processor;
    for (int round = 0; round < 5; ++round) {
        for (int page : {0, 1, 2, 3}) {
            switches[static_cast<size_t>(page)].push_back(switchTo(*pages, window, page, &cpu));
            processor[static_cast<size_t>(page)].push_back(cpu);
        }
    }
    for (int page : {0, 1, 2, 3}) {
        const auto& times = switches[static_cast<size_t>(page)];
        out << "switch to page " << page << " afterwards: " << median(times) << " ms median of 5, "
            << *std::max_element(times.begin(), times.end()) << " ms slowest ("
            << median(processor[static_cast<size_t>(page)]) << " ms processor)\n";
    }

    // A draw typed on the trend page: stored, and the chart rebuilt with it in view.
    switchTo(*pages, window, 1);
    std::vector<double> typed;
    for (int round = 0; round < 5; ++round) {
        const size_t before = workspace.rows().size();
        const auto start = std::chrono::steady_clock::now();
        for (int box = 0; box < 5; ++box) {
            auto* entry =
                window.findChild<QLineEdit*>(QStringLiteral("MaskEdBox1_%1").arg(box + 1));
            QTest::keyClicks(entry, QString::asprintf("%02d", (box * 2 + round) % 11 + 1));
        }
        if (!workspace.waitForWrites().empty()) throw std::runtime_error("write failed");
        window.repaint();
        QApplication::processEvents();
        if (workspace.rows().size() != before + 1) throw std::runtime_error("draw not stored");
        typed.push_back(msSince(start));
    }
    out << "draw typed on 走势图 at " << draws
        << " draws, stored and the basic chart rebuilt: " << median(typed) << " ms median of 5\n";
}

} // namespace bench
