#pragma once
// The workspace: everything the main window holds, without widgets. The settings, the open
// history database, the ordered history in memory, the zodiac state, the next period id, the
// search targets and span, and every operation as a method whose widget reads are arguments.
// The window and the command line both drive this class.

#include "app/settings.h"
#include "history/attributes.h"
#include "history/history_table.h"
#include "history/zodiac.h"
#include "platform/database.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace app {

// What an operation did: ok, or a message for the user saying what went wrong and what to do.
struct Outcome {
    bool ok = true;
    std::string message;

    static Outcome success(std::string text = {}) { return {true, std::move(text)}; }
    static Outcome failure(std::string text) { return {false, std::move(text)}; }
};

struct WorkspaceOptions {
    std::string dataDir;
    // An INI file instead of the user's settings store.
    std::optional<std::string> settingsFile;
    // Today's date; the system clock when empty (tests set it).
    std::function<std::chrono::year_month_day()> today;
};

class Workspace {
  public:
    // Runs the start-up sequence: reads the settings, opens (or creates) the database, loads the
    // history, shows the next period, the zodiac year, the search span and the targets.
    explicit Workspace(WorkspaceOptions options);
    ~Workspace();

    // ---- state ----
    const Settings& settings() const { return settings_.values(); }
    const std::string& dataDir() const { return options_.dataDir; }
    std::string databasePath() const;
    bool databaseOpen() const { return db_.isOpen(); }
    // Why the database could not be opened; empty when it is open.
    const std::string& databaseProblem() const { return databaseProblem_; }

    // rsHistory: the stored draws in ascending SQQH. Numbers are always there; the values of the
    // other kinds are read from the database on first use (ensureKinds), so a long history opens
    // fast. Rows stored in this session carry every kind.
    const std::vector<history::HistoryRow>& rows() const { return rows_; }
    void ensureKinds(std::initializer_list<int> kinds);
    // Grows every time the stored draws change, so views know to reset.
    std::uint64_t historyVersion() const { return historyVersion_; }
    // Grows when stored draws were replaced, removed or re-read; not when draws were only added
    // after the newest one. While it stays, rows() only grew at its end, so what a reader keeps
    // about the earlier rows still holds.
    std::uint64_t historyGeneration() const { return historyGeneration_; }
    // The period column of the history grid for a row (eight or ten digits by game).
    std::string historyPeriodText(size_t row) const;

    int intQiPerDay() const { return intQiPerDay_; }
    // Text1: the next period id in ten-digit form; empty while the history is empty.
    const std::string& Text1() const { return text1_; }
    // lngNextQi: the newest row's QQH; 0 while the history is empty.
    std::int32_t lngNextQi() const { return lngNextQi_; }
    const history::Zodiac& zodiac() const { return zodiac_; }

    // Targets of the searches and what the first tab's boxes (Text2) show.
    const std::array<std::int16_t, 5>& intTarget() const { return intTarget_; }
    const std::array<std::string, 5>& targetTexts() const { return targetTexts_; }
    bool bolManualTab() const { return bolManualTab_; }

    // Text3(0), Text3(1): the search span as the boxes show it.
    const std::string& spanStart() const { return spanStart_; }
    const std::string& spanEnd() const { return spanEnd_; }
    void setSpan(std::string start, std::string end);

    // ---- draws ----
    // Stores a typed draw. boxes are the five entry texts (leading digits give the number, a box
    // starting with a non-digit is empty). The draw goes under the shown next period id; while
    // the history is empty, under firstPeriod (a ten-digit id the user typed). Nothing is stored
    // when a number is missing, outside 01..11 or repeated; the message says which.
    Outcome addDraw(const std::array<std::string, 5>& boxes, const std::string& firstPeriod = {});

    // ---- refresh operations ----
    // AddHaoma: re-reads the history from the database.
    void AddHaoma();
    // QihaoXianshi: the next period id (Text1) and lngNextQi from the newest draw.
    void QihaoXianshi();
    // LoadTargets: the targets from the reference draw (first tab) or the typed boxes.
    void LoadTargets();
    // MaskEdBox2_LostFocus: the period distance typed in the box. An empty box keeps the
    // previous distance.
    Outcome MaskEdBox2_LostFocus(const std::string& text);

    // ---- settings menus ----
    void mnu11S5_Click(int index);
    void mnuSxcs_Click(int index);
    void mnuDscs_Click(int index);
    void mnuSxsetup_Click(int index);

    // ---- search options ----
    // Option1: 0 固定位, 1 自由位, 2 前期, 3 上期.
    void Option1_Click(int index);
    // Option3: the search type.
    void Option3_Click(int index);
    // Option4: the result type.
    void Option4_Click(int index);
    // The target tab and the typed target boxes (Text22) as the window holds them.
    void setTargetTab(bool manualTab, const std::array<std::string, 5>& typed);

    // Combo1_LostFocus: the combination size typed or picked in the box (1 to 5).
    Outcome Combo1_LostFocus(const std::string& text);

    // ---- settings by key (command line) ----
    std::optional<std::string> settingText(const std::string& key) const;
    Outcome setSetting(const std::string& key, const std::string& value);

    // ---- text of the history, as the text export writes it (one line per draw) ----
    std::string historyLine(size_t row) const;

    // ---- for the operation services (search, import, maintenance, online update, export) ----
    // Each service is its own class over the workspace (app/<service>.h); these give it the
    // shared state. The database is open only when databaseOpen().
    platform::Database& database() {
        waitForWrites();
        return db_;
    }
    history::Zodiac& mutableZodiac() { return zodiac_; }
    SettingsFile& settingsFile() { return settings_; }
    // Fails with the message for the user when the database is not open.
    Outcome requireDatabase();
    // Writing that goes on in the background (a search's final state). Every use of the database
    // through database() or requireDatabase() waits for it first.
    void setPendingWrite(std::future<std::string> pending);
    // True while background writing goes on.
    bool writePending() const;
    // Waits for background writing; returns what went wrong with it, once (empty when nothing).
    std::string waitForWrites();
    // A failure of background writing not yet reported to the user.
    std::string takeWriteProblem();
    // After the stored draws changed: the history in memory is replaced by rows (already stored,
    // in the order of the ordered view) or, without rows, re-read from the database; then the
    // next period, the targets and the span follow. resetSpan puts the span over the whole
    // history (a replaced history); otherwise boxes that followed the history keep following.
    void historyChanged(bool resetSpan);
    void historyChanged(std::vector<history::HistoryRow> rows, bool resetSpan);

  private:
    void openDatabase();
    void resetSpanStart();
    void updateSpan();
    void afterHistoryChange();
    std::chrono::year_month_day today() const;

    WorkspaceOptions options_;
    SettingsFile settings_;
    platform::Database db_;
    std::string databaseProblem_;
    std::vector<history::HistoryRow> rows_;
    std::uint64_t historyVersion_ = 0;
    std::uint64_t historyGeneration_ = 0;

    int intQiPerDay_ = 84;
    std::string text1_;
    std::int32_t lngNextQi_ = 0;
    history::Zodiac zodiac_;

    std::array<std::int16_t, 5> intTarget_{};
    std::array<std::string, 5> targetTexts_{};
    bool bolManualTab_ = false;
    std::array<std::string, 5> typedTargets_{};

    std::string spanStart_;
    std::string spanEnd_;

    unsigned loadedKinds_ = 0; // bit per kind whose values rows_ holds
    std::future<std::string> pendingWrite_;
    std::string writeProblem_;
};

} // namespace app
