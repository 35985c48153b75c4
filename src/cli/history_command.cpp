// Commands on the stored draws and the settings: add, next, history, get, set.

#include "cli/commands.h"

#include <ostream>

namespace app {

namespace {

int reportOutcome(const Outcome& outcome, CommandContext& c) {
    if (!outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    if (!outcome.message.empty()) c.out << outcome.message << "\n";
    return kExitOk;
}

int add(CommandContext& c) {
    std::string period;
    for (const auto& given : c.given.options) period = given.value; // --period
    const std::vector<std::string>& numbers = c.given.operands;
    if (numbers.size() != 5) throw UsageError{"add 要正好五个号码"};
    // Whole numbers only: "1e1" or "1.9" are no draw numbers (their leading digit is not meant).
    for (const auto& n : numbers)
        if (n.empty() || n.size() > 2 || n.find_first_not_of("0123456789") != std::string::npos)
            throw UsageError{"add 的五个号码要写成01到11的整数，不是“" + n + "”"};
    Workspace& w = c.workspace;
    if (!period.empty() && !w.rows().empty() && period != w.nextPeriodText()) {
        c.err << "历史号码不为空，下一期是 " << w.nextPeriodText()
              << "；--period 只用于空历史的第一期。\n";
        return kExitRefused;
    }
    return reportOutcome(
        w.addDraw({numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]}, period), c);
}

int next(CommandContext& c) {
    if (c.workspace.rows().empty()) {
        c.err << "历史号码为空，没有下一期：请用 add --period 期号 加五个号码输入第一期。\n";
        return kExitRefused;
    }
    if (c.workspace.nextPeriodText().empty()) {
        c.err << "最新一期之后已没有期号：期号最大为2099123199。\n";
        return kExitRefused;
    }
    c.out << c.workspace.nextPeriodText() << "\n";
    return kExitOk;
}

int history(CommandContext& c) {
    for (size_t row = 0; row < c.workspace.rows().size(); ++row)
        c.out << c.workspace.historyLine(row) << "\n";
    return kExitOk;
}

int get(CommandContext& c) {
    const auto& operands = c.given.operands;
    if (operands.size() != 1) throw UsageError{"get 后面要跟一个设置项"};
    const auto text = c.workspace.settingText(operands[0]);
    if (!text) {
        c.err << "没有这个设置项：" << operands[0] << "\n";
        return kExitRefused;
    }
    if (const auto damaged = c.workspace.settingsFile().damagedValue(c.args[0]))
        c.err << *damaged << "\n";
    c.out << *text << "\n";
    return kExitOk;
}

int set(CommandContext& c) {
    const auto& operands = c.given.operands;
    if (operands.size() != 2) throw UsageError{"set 后面要跟设置项和值"};
    return reportOutcome(c.workspace.setSetting(operands[0], operands[1]), c);
}

} // namespace

void addHistoryCommands(std::vector<CommandSpec>& table) {
    table.push_back({"add",
                     {.options = {{"--period", "ID", "空历史第一期的十位期号", std::nullopt, false,
                                   "--period 后面要跟十位期号"}},
                      .tail = "A B C D E",
                      .operands = true},
                     true,
                     add});
    table.push_back({"next", {.stray = "next 不带参数"}, true, next});
    table.push_back({"history", {.stray = "history 不带参数"}, true, history});
    table.push_back({"get", {.tail = "KEY", .operands = true}, false, get});
    table.push_back({"set", {.tail = "KEY VALUE", .operands = true}, false, set});
}

} // namespace app
