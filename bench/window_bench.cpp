// From start to a shown window holding a long history: the workspace opens the database and reads
// the history, the window is built, shown and painted once. Then the loop of a day in the window:
// a draw typed box by box, a search, until the database holds the search's final state.

#include "benchmarks.h"

#include "gui/common/prompter.h"
#include "gui/window/main_window.h"
#include "workspace/workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <ostream>
#include <thread>

namespace bench {

namespace {

// Keeps one core busy, as other work on the machine would, while it lives.
class BusyCore {
  public:
    BusyCore()
        : thread_([this] {
              volatile std::uint64_t spin = 0;
              while (!stop_) spin = spin + 1;
          }) {}
    ~BusyCore() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

template <typename T> T* find(app::gui::MainWindow& window, const QString& name) {
    auto* found = window.findChild<T*>(name);
    if (!found) throw std::runtime_error("no widget " + name.toStdString());
    return found;
}

// Milliseconds from the first key of a typed draw to the database's final state after a search
// of positions 1 to 3: best and median of `rounds`.
std::pair<double, double> typedDrawThenSearch(app::Workspace& workspace,
                                              app::gui::MainWindow& window, int rounds) {
    auto* search = find<QPushButton>(window, QStringLiteral("Command1"));
    std::vector<double> ms;
    for (int round = 0; round < rounds; ++round) {
        // Each draw differs from the one before, so the targets (the newest draw) change and
        // the search rewrites the working columns.
        const int shift = round % 7;
        const size_t before = workspace.rows().size();
        const auto start = std::chrono::steady_clock::now();
        for (int box = 0; box < 5; ++box) {
            const int number = (box * 2 + shift) % 11 + 1;
            QTest::keyClicks(find<QLineEdit>(window, QStringLiteral("MaskEdBox1_%1").arg(box + 1)),
                             QString::asprintf("%02d", number));
        }
        QTest::mouseClick(search, Qt::LeftButton);
        if (!workspace.waitForWrites().empty()) throw std::runtime_error("write failed");
        if (workspace.rows().size() != before + 1) throw std::runtime_error("draw not stored");
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        QApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

} // namespace

void runWindowBenchmarks(std::ostream& out) {
    for (size_t draws : {size_t{1400}, size_t{300000}}) {
        const std::string folder = folderWithHistory(draws);
        double openSeconds = 0;
        const double seconds = medianSeconds(5, [&] {
            const auto start = std::chrono::steady_clock::now();
            app::WorkspaceOptions options = workspaceOptions(folder);
            app::Workspace workspace(options);
            openSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            app::gui::WidgetPrompter prompter;
            app::gui::MainWindow window(workspace, prompter);
            window.resize(1366, 768);
            window.show();
            if (!QTest::qWaitForWindowExposed(&window)) throw std::runtime_error("not shown");
            QApplication::processEvents();
        });
        out << "window shown with " << draws << " draws: " << seconds
            << " s median of 5 (workspace open " << openSeconds << " s)\n";
    }

    for (const bool free : {false, true}) {
        const std::string folder = folderWithHistory(1400);
        app::Workspace workspace(workspaceOptions(folder));
        workspace.setPositionMode(free ? search::PositionMode::Free : search::PositionMode::Fixed);
        workspace.setPeriodMode(free ? search::PeriodMode::Back : search::PeriodMode::Last);
        workspace.setBackDistance("3");
        app::gui::WidgetPrompter prompter;
        app::gui::MainWindow window(workspace, prompter);
        window.resize(1366, 768);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) throw std::runtime_error("not shown");
        for (int p = 1; p <= 3; ++p)
            find<QCheckBox>(window, QStringLiteral("Check1_%1").arg(p))->setChecked(true);
        // The read-ahead and the first search, which writes every working column, done.
        QTest::mouseClick(find<QPushButton>(window, QStringLiteral("Command1")), Qt::LeftButton);
        workspace.waitForWrites();
        QApplication::processEvents();
        const char* mode = free ? "free 前期 N=3" : "fixed 上期";
        const auto [best, median] = typedDrawThenSearch(workspace, window, 15);
        out << "1400 draws, typed draw then " << mode
            << " search, to the database's final state: " << best << " ms best, " << median
            << " ms median of 15\n";
        BusyCore busy;
        const auto [busyBest, busyMedian] = typedDrawThenSearch(workspace, window, 15);
        out << "  the same with another core kept busy: " << busyBest << " ms best, " << busyMedian
            << " ms median of 15\n";
    }
}

} // namespace bench
