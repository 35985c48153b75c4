// The draws: one typed in, the refusal of damaged rows, and what follows a change of the history.

#include "workspace/workspace.h"

#include "history/draw_appender.h"
#include "history/period.h"

namespace app {

namespace {

// The number formed by the leading digits of a box ("05" and "5_" give 5); empty when the box
// starts with anything else.
std::optional<int> leadingNumber(const std::string& text) {
    int value = 0;
    size_t digits = 0;
    while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9')
        value = value * 10 + (text[digits++] - '0');
    if (digits == 0) return std::nullopt;
    return value;
}

// The newest draw is the last period there can be.
constexpr const char* kNoPeriodLeft =
    "最新一期之后已没有期号：期号最大为2099123199，无法再输入下一期。";

std::string position(int index) {
    return "第" + std::to_string(index + 1) + "个号码";
}

} // namespace

Outcome Workspace::checkDraws() const {
    if (history_.damaged().empty()) return Outcome::success();
    return Outcome::failure(
        "历史号码中有损坏的行：" + history::describeDamagedRows(history_.damaged()) +
        "。损坏的行不是开奖号码，一期存了两次时不知哪一行是对的，次序错乱的期算出的上期不是它"
        "真正的上一期，这样的历史号码不能用来分析；请先用“历史管理”菜单中的“修复损坏的历史号码”"
        "（命令repair）修复：损坏的行和重复存入的行另存到历史号码文件夹并从历史中删除，其余各期"
        "按期号顺序重新计算。");
}

Outcome Workspace::addDraw(const std::array<std::string, 5>& boxes,
                           const std::string& firstPeriod) {
    if (auto open = requireDatabase(); !open.ok) return open;

    history::Numbers numbers{};
    for (int i = 0; i < 5; ++i) {
        const auto n = leadingNumber(boxes[i]);
        if (!n) return Outcome::failure(position(i) + "没有填写：请输入01到11之间的号码。");
        if (*n < 1 || *n > 11)
            return Outcome::failure(position(i) + "“" + boxes[i].substr(0, 2) +
                                    "”不在01到11之间，请改正。");
        for (int j = 0; j < i; ++j) {
            if (numbers[j] == *n)
                return Outcome::failure(position(i) + "“" + history::format00(*n) + "”与" +
                                        position(j) + "重复，同一期的五个号码不能相同。");
        }
        numbers[i] = *n;
    }

    // The period follows the history as it is once no other process can change it.
    WriteLock lock;
    if (auto locked = lockForWriting(lock); !locked.ok) return locked;
    int period = 0;
    // A draw stored after damaged rows would be derived from them.
    if (auto sound = checkDraws(); !sound.ok) return sound;
    if (history_.empty()) {
        const auto parsed = history::parseTenDigitPeriod(firstPeriod);
        if (firstPeriod.empty())
            return Outcome::failure("历史号码为空：请先在期号框输入第一期的十位期号"
                                    "（例如2016090801），再输入五个号码。");
        if (!parsed)
            return Outcome::failure("期号“" + firstPeriod +
                                    "”无效：请输入十位数字的期号（年月日加当天期数，例如"
                                    "2016090801）。");
        // Draw numbers of an older, longer schedule still count.
        const int most = history::largestDrawNumber(settings().game);
        if (*parsed % 100 > most)
            return Outcome::failure("期号“" + firstPeriod + "”无效：这个彩种每天最多" +
                                    std::to_string(most) + "期，当天期数须在01到" +
                                    std::to_string(most) + "之间。");
        period = *parsed;
    } else if (nextPeriodText_.empty()) {
        return Outcome::failure(kNoPeriodLeft);
    } else {
        period = history::lastEightAsNumber(nextPeriodText_).value_or(history_.newest().period + 1);
    }

    const bool spanFollows = spanEnd_ == followingSpanEnd();
    try {
        history_.insert(history::storeDraw(db_, zodiac_, settings().segmentBase, period, numbers));
    } catch (const history::PeriodTaken&) {
        // Never reached while the lock is honoured; if it is not, nothing is stored twice.
        reloadHistory();
        afterHistoryChange();
        return Outcome::failure("第" + history::tenDigit(period) +
                                "期或更新的一期已经存入历史号码（另一个窗口或命令行刚存入），"
                                "这注号码没有存入。请看一下最新一期后重新输入。");
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("保存号码失败：") + e.what() +
                                "。历史号码没有改变，请检查磁盘空间和数据文件夹后重试。");
    }
    if (spanFollows) spanEnd_.clear();
    afterHistoryChange();
    return Outcome::success(history::tenDigit(period));
}

void Workspace::afterHistoryChange() {
    reloadTargets();
    refreshNextPeriod();
    updateSpan();
}

void Workspace::historyChanged(bool resetSpan) {
    reloadHistory();
    if (resetSpan) {
        spanStart_.clear();
        spanEnd_.clear();
    }
    afterHistoryChange();
}

void Workspace::historyChanged(std::vector<history::HistoryRow> rows, bool resetSpan) {
    history_.replace(std::move(rows));
    if (resetSpan) {
        spanStart_.clear();
        spanEnd_.clear();
    }
    afterHistoryChange();
}

void Workspace::reloadHistory() {
    if (!db_.isOpen()) return;
    try {
        // The version read with the rows takes in what others stored meanwhile, now in memory.
        loadHistory(database());
    } catch (const std::exception&) {
        // The rows in memory stay as they were.
    }
}

void Workspace::refreshNextPeriod() {
    if (history_.empty()) {
        newestNextPeriod_ = 0;
        nextPeriodText_.clear();
        return;
    }
    const auto& newest = history_.newest();
    newestNextPeriod_ = newest.nextPeriod;
    nextPeriodText_ = history::nextPeriodText(newest.period, drawsPerDay_);
}

} // namespace app
