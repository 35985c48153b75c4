// The hall from the command line: hall [--json]. One line (or JSON object) per followed game: its
// newest draw, today's draws stored against those due, the draw clock, the automatic update and
// the runs its streak alerts watch. A game whose file cannot be read is listed with the reason;
// the others carry on.

#include "cli/commands.h"
#include "cli/live_commands.h"
#include "history/period.h"
#include "workspace/hall_service.h"
#include "workspace/json_text.h"
#include "workspace/omission_alerts.h"

#include <ostream>

namespace app {

namespace {

std::string twoDigits(int n) {
    return std::string(n < 10 ? "0" : "") + std::to_string(n);
}

const char* stateName(HallRow::State state) {
    switch (state) {
    case HallRow::State::NoHistory:
        return "no_history";
    case HallRow::State::Unreadable:
        return "unreadable";
    default:
        return "ready";
    }
}

Json rowJson(const HallRow& row) {
    Json json;
    json["game"] = static_cast<int>(row.game);
    json["name"] = row.name;
    json["file"] = row.file;
    json["state"] = stateName(row.state);
    if (!row.problem.empty()) json["problem"] = row.problem;
    if (row.state == HallRow::State::Ready) {
        json["newest"] = history::tenDigit(row.newest);
        Json numbers = Json::array();
        for (const int n : row.numbers) numbers.push_back(twoDigits(n));
        json["numbers"] = numbers;
        json["stored_today"] = row.storedToday;
        json["due_today"] = row.dueToday;
        json["missing_today"] = row.missingToday;
    }
    json["next"] = history::tenDigit(row.clock.nextPeriod);
    json["seconds_left"] = row.clock.secondsLeft;
    json["clock"] = row.clock.text;
    json["update"] = updateStateName(row.update.kind);
    Json streaks = Json::array();
    for (const auto& s : row.streaks)
        streaks.push_back({{"rule", s.rule},
                           {"shape", s.kind},
                           {"value", s.value},
                           {"length", s.length},
                           {"since", history::tenDigit(s.since)},
                           {"chance", roundedSignificant(s.chance, 4)}});
    json["streaks"] = streaks;
    return json;
}

std::string rowLine(const HallRow& row) {
    std::string line = row.name;
    if (row.state != HallRow::State::Ready) return line + "\t" + row.problem;
    line += "\t" + history::tenDigit(row.newest) + "\t";
    for (size_t i = 0; i < row.numbers.size(); ++i)
        line += (i ? " " : "") + twoDigits(row.numbers[i]);
    line += "\t今日" + std::to_string(row.storedToday) + "/" + std::to_string(row.dueToday);
    if (!row.missingToday.empty()) {
        line += " 缺";
        for (size_t i = 0; i < row.missingToday.size(); ++i)
            line += (i ? "、" : "第") + twoDigits(row.missingToday[i]);
        line += "期";
    }
    line += "\t" + row.clock.text;
    line += std::string("\t自动更新") + updateStateCaption(row.update.kind);
    for (const auto& s : row.streaks)
        line += "\t" + s.rule + "：" + s.value + " 连开" + std::to_string(s.length) + "期（自第" +
                history::tenDigit(s.since) + "期起，一天中出现的概率" + runChanceText(s.chance) +
                "）";
    return line;
}

int hall(CommandContext& c) {
    const bool json = c.given.has("--json");
    HallService service(c.workspace);
    const auto rows = service.rows();
    if (json) {
        Json list = Json::array();
        for (const auto& row : rows) list.push_back(rowJson(row));
        printJson(list, c.out);
        return kExitOk;
    }
    for (const auto& row : rows) c.out << rowLine(row) << "\n";
    return kExitOk;
}

} // namespace

void addHallCommand(std::vector<CommandSpec>& table) {
    table.push_back({"hall", {.options = {{"--json", "", "以JSON输出"}}}, false, hall});
}

} // namespace app
