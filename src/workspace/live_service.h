#pragma once
// The live side of the program, beside the workspace: the draw clock of the current game, the
// plan of the automatic update, and what is new since the last look (the draws stored by any
// means, and the omission alerts they set off). The window shows it; the watch mode prints it.

#include "history/history_table.h"
#include "workspace/draw_clock.h"
#include "workspace/omission_alerts.h"
#include "workspace/update_plan.h"
#include "workspace/workspace.h"

#include <string>
#include <vector>

namespace app {

struct LiveNews {
    std::vector<history::HistoryRow> draws; // stored since the last look, oldest first
    std::vector<std::string> notices; // one a draw: "江西11选5 第2025020961期：01 02 03 04 05"
    // The alerts these draws set off, draw by draw in the order of the draws (rule indexes into
    // rules, each with the period where it crossed), each with its notice.
    std::vector<AlertRule> rules;
    std::vector<FiredAlert> alerts;
    std::vector<std::string> alertNotices;
};

class LiveService {
  public:
    // The alerts of a batch are looked for over its newest kAlertDraws draws (about six days).
    static constexpr size_t kAlertDraws = 500;

    explicit LiveService(Workspace& workspace, NowFunction now = {},
                         UpdateTimings timings = UpdateTimings{});

    SystemTime now() const { return now_(); }
    ClockReading clock() const;
    // The newest stored draw, 0 when none.
    int newestStored() const;
    UpdatePlan& plan() { return plan_; }
    // The plan's step now.
    UpdateStep updateStep();

    // The draws stored since the last look (none on the first look, after a switch of the game,
    // or when the history was replaced by an older one).
    LiveNews takeNews();

    // The saved alert rules, and the selections that meet each now.
    std::vector<AlertRule> rules() const;
    std::vector<AlertSelection> meetingNow(const AlertRule& rule) const;
    // Every item of the saved rules in its order, the ones that cannot be read included.
    std::vector<AlertRuleItem> ruleItems() const;
    // Adds a rule written as the command line writes it, or removes the index-th item (from 0).
    // Both change the rules as they are stored now, another process's changes included; a removal
    // given the item's text as it was shown removes that item wherever it is now, and none when
    // it is gone.
    Outcome addRule(const std::string& text);
    Outcome removeRule(size_t index, const std::string& shown = {});

    // A new draw as its notice says it.
    std::string noticeText(const history::HistoryRow& row) const;

  private:
    AlertHistory alertHistory(size_t end) const;

    Workspace& workspace_;
    NowFunction now_;
    UpdatePlan plan_;
    bool looked_ = false;
    int seenGame_ = 0;
    int seenNewest_ = 0;
};

} // namespace app
