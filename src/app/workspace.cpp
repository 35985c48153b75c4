#include "app/workspace.h"

#include "history/draw_appender.h"
#include "history/period.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace app {

namespace {

platform::SettingsStore openStore(const WorkspaceOptions& options) {
    if (options.settingsFile) return platform::SettingsStore::fromFile(*options.settingsFile);
    return platform::SettingsStore(kApplicationName);
}

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

// Single-digit text of a box such as MaskEdBox2 ("3" or "3_"); empty when it holds no digit.
std::optional<int> singleDigit(const std::string& text) {
    for (char c : text) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c != ' ' && c != '_') return std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> wholeNumber(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    const std::string t = text.substr(first, last - first + 1);
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size()) return std::nullopt;
    long value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        value = value * 10 + (t[i] - '0');
        if (value > 32768) return std::nullopt;
    }
    if (t[0] == '-') value = -value;
    if (value > 32767) return std::nullopt;
    return static_cast<int>(value);
}

std::string position(int index) {
    return "第" + std::to_string(index + 1) + "个号码";
}

} // namespace

Workspace::Workspace(WorkspaceOptions options)
    : options_(std::move(options)), settings_(openStore(options_)) {
    const Settings& s = settings();
    intQiPerDay_ = history::drawsPerDay(s.GsZl);
    openDatabase();
    QihaoXianshi();
    // The zodiac year of the next period, or of today while there is none.
    if (text1_.empty()) {
        const auto d = today();
        zodiac_.setYear(history::Zodiac::yearOfDate(
            static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
            static_cast<int>(static_cast<unsigned>(d.day()))));
    } else {
        zodiac_.setYearOfPeriod(text1_);
    }
    resetSpanStart();
    updateSpan();
    LoadTargets();
    // At start the zodiac values follow the animal order whatever rule is chosen; the by-age rule
    // takes effect when a zodiac base is picked.
    zodiac_.setValueOrder(true, s.SxIni);
    zodiac_.updateYearGroups();
}

Workspace::~Workspace() {
    waitForWrites();
}

void Workspace::setPendingWrite(std::future<std::string> pending) {
    waitForWrites();
    pendingWrite_ = std::move(pending);
}

std::string Workspace::waitForWrites() {
    if (pendingWrite_.valid()) {
        std::string problem = pendingWrite_.get();
        if (!problem.empty()) writeProblem_ = problem;
    }
    return writeProblem_;
}

bool Workspace::writePending() const {
    return pendingWrite_.valid() &&
           pendingWrite_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

std::string Workspace::takeWriteProblem() {
    waitForWrites();
    return std::exchange(writeProblem_, std::string());
}

void Workspace::ensureKinds(std::initializer_list<int> kinds) {
    unsigned wanted = 0;
    for (int kind : kinds)
        if (kind >= 0 && kind < history::kKinds) wanted |= 1u << kind;
    wanted &= ~loadedKinds_;
    if (wanted == 0) return;
    if (!db_.isOpen() || rows_.empty()) {
        loadedKinds_ |= wanted;
        return;
    }
    try {
        waitForWrites();
        for (int kind = 0; kind < history::kKinds; ++kind) {
            if (!(wanted & (1u << kind))) continue;
            history::loadKindValues(db_, kind, rows_);
            loadedKinds_ |= 1u << kind;
        }
    } catch (const std::exception&) {
        // The values stay 0; the next use tries again.
    }
}

std::string Workspace::databasePath() const {
    return (std::filesystem::path(options_.dataDir) / "kelvora11S5.db").string();
}

void Workspace::openDatabase() {
    try {
        std::error_code error;
        std::filesystem::create_directories(options_.dataDir, error);
        platform::Database db(databasePath());
        history::createTables(db);
        rows_ = history::loadHistory(db);
        loadedKinds_ = 1u << history::Number;
        db_ = std::move(db);
        databaseProblem_.clear();
    } catch (const std::exception& e) {
        db_.close();
        rows_.clear();
        databaseProblem_ = "无法打开历史数据库 " + databasePath() + "（" + e.what() +
                           "）。请检查数据文件夹是否存在并可写，然后重新启动程序。";
    }
    ++historyVersion_;
    ++historyGeneration_;
}

Outcome Workspace::requireDatabase() {
    waitForWrites();
    if (db_.isOpen()) return Outcome::success();
    return Outcome::failure(databaseProblem_.empty() ? "历史数据库没有打开。" : databaseProblem_);
}

std::chrono::year_month_day Workspace::today() const {
    if (options_.today) return options_.today();
    return std::chrono::year_month_day{
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
}

std::string Workspace::historyPeriodText(size_t row) const {
    return history::gridPeriodText(rows_[row].period, settings().GsZl);
}

std::string Workspace::historyLine(size_t row) const {
    std::string line = historyPeriodText(row) + " ";
    for (int n : rows_[row].numbers()) line += history::format00(n) + " ";
    return line;
}

void Workspace::setSpan(std::string start, std::string end) {
    spanStart_ = std::move(start);
    spanEnd_ = std::move(end);
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

    int period = 0;
    if (rows_.empty()) {
        const auto parsed = history::parseTenDigitPeriod(firstPeriod);
        if (firstPeriod.empty())
            return Outcome::failure("历史号码为空：请先在期号框输入第一期的十位期号"
                                    "（例如2016090801），再输入五个号码。");
        if (!parsed)
            return Outcome::failure("期号“" + firstPeriod +
                                    "”无效：请输入十位数字的期号（年月日加当天期数，例如"
                                    "2016090801）。");
        period = *parsed;
    } else {
        period = history::lastEightAsNumber(text1_).value_or(rows_.back().period + 1);
    }

    const bool spanFollows = spanEnd_ == history::tenDigit(rows_.empty() ? 0 : rows_.back().period);
    try {
        platform::Transaction transaction(db_);
        history::DrawAppender appender(db_, zodiac_, settings().DsIni, false);
        // The previous-draw columns come from the newest stored rows with every kind.
        const auto newest = history::loadNewestRows(db_, 2);
        const size_t n = newest.size();
        appender.seed(n >= 2 ? &newest[n - 2].values : nullptr,
                      n >= 1 ? &newest[n - 1].values : nullptr);
        const history::HistoryRow row = appender.append(period, numbers);
        transaction.commit();
        const auto at =
            std::upper_bound(rows_.begin(), rows_.end(), row, [](const auto& a, const auto& b) {
                return a.period < b.period || (a.period == b.period && a.id < b.id);
            });
        if (at != rows_.end()) ++historyGeneration_; // not after the newest: rows move
        rows_.insert(at, row);
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("保存号码失败：") + e.what() +
                                "。历史号码没有改变，请检查磁盘空间和数据文件夹后重试。");
    }
    if (spanFollows) spanEnd_.clear();
    afterHistoryChange();
    return Outcome::success(history::tenDigit(period));
}

void Workspace::afterHistoryChange() {
    ++historyVersion_;
    LoadTargets();
    QihaoXianshi();
    updateSpan();
}

void Workspace::historyChanged(bool resetSpan) {
    AddHaoma();
    if (resetSpan) {
        spanStart_.clear();
        spanEnd_.clear();
    }
    afterHistoryChange();
}

void Workspace::historyChanged(std::vector<history::HistoryRow> rows, bool resetSpan) {
    rows_ = std::move(rows);
    ++historyGeneration_;
    loadedKinds_ = (1u << history::kKinds) - 1; // freshly stored rows carry every kind
    if (resetSpan) {
        spanStart_.clear();
        spanEnd_.clear();
    }
    afterHistoryChange();
}

void Workspace::AddHaoma() {
    if (!db_.isOpen()) return;
    try {
        waitForWrites();
        rows_ = history::loadHistory(db_);
        loadedKinds_ = 1u << history::Number;
    } catch (const std::exception&) {
        // The rows in memory stay as they were.
    }
    ++historyVersion_;
    ++historyGeneration_;
}

void Workspace::QihaoXianshi() {
    if (rows_.empty()) {
        lngNextQi_ = 0;
        text1_.clear();
        return;
    }
    const auto& newest = rows_.back();
    lngNextQi_ = newest.nextPeriod;
    text1_ = history::nextPeriodText(newest.period, intQiPerDay_);
}

void Workspace::LoadTargets() {
    const Settings& s = settings();
    if (bolManualTab_) {
        for (int k = 0; k < 5; ++k)
            if (const auto v = wholeNumber(typedTargets_[k]))
                intTarget_[k] = static_cast<std::int16_t>(*v);
        return;
    }
    if (rows_.empty()) {
        targetTexts_ = {};
        return;
    }
    ensureKinds({s.intLei});
    const long back = s.bolSq ? 0 : s.intPreQi - 1;
    const long index = static_cast<long>(rows_.size()) - 1 - back;
    if (index < 0 || index >= static_cast<long>(rows_.size())) return;
    const auto& reference = rows_[static_cast<size_t>(index)];
    const bool showNames = s.intLei == history::ZodiacKind;
    for (int k = 0; k < 5; ++k) {
        intTarget_[k] = reference.values[s.intLei][k];
        targetTexts_[k] = showNames ? history::Zodiac::nameOf(intTarget_[k], s.SxIni)
                                    : std::to_string(intTarget_[k]);
    }
}

void Workspace::resetSpanStart() {
    if (rows_.empty()) return;
    const Settings& s = settings();
    const int d = s.bolSq ? 1 : s.intPreQi;
    spanStart_ = history::tenDigit(rows_.front().period + d);
}

void Workspace::updateSpan() {
    // Boxes the user has not set (or that followed the history) take the whole history.
    if (rows_.empty()) {
        spanStart_.clear();
        spanEnd_.clear();
        return;
    }
    if (spanStart_.empty()) resetSpanStart();
    if (spanEnd_.empty()) spanEnd_ = history::tenDigit(rows_.back().period);
}

Outcome Workspace::MaskEdBox2_LostFocus(const std::string& text) {
    const auto digit = singleDigit(text);
    if (!digit) return Outcome::success(); // an empty box keeps the distance
    settings_.mutableValues().intPreQi = *digit;
    settings_.save("intPreQi");
    LoadTargets();
    resetSpanStart();
    return Outcome::success();
}

void Workspace::mnu11S5_Click(int index) {
    if (index < 0 || index > 3) return;
    settings_.mutableValues().GsZl = kGameCodes[index];
    intQiPerDay_ = history::drawsPerDay(kGameCodes[index]);
    settings_.save("GsZl");
}

void Workspace::mnuSxcs_Click(int index) {
    if (index < 0 || index > 1) return;
    settings_.mutableValues().SxIni = index;
    settings_.save("SxIni");
    zodiac_.setValueOrder(settings().SxSetup, index);
}

void Workspace::mnuDscs_Click(int index) {
    if (index < 0 || index > 1) return;
    settings_.mutableValues().DsIni = index;
    settings_.save("DsIni");
}

void Workspace::mnuSxsetup_Click(int index) {
    if (index < 0 || index > 1) return;
    settings_.mutableValues().SxSetup = index == 0;
    settings_.save("SxSetup");
}

void Workspace::Option1_Click(int index) {
    Settings& s = settings_.mutableValues();
    if (index == 0 || index == 1) s.bolZyw = index == 1;
    if (index == 2 || index == 3) s.bolSq = index == 3;
    settings_.save("bolZyw");
    settings_.save("bolSq");
    LoadTargets();
    resetSpanStart();
}

void Workspace::Option3_Click(int index) {
    if (index < 0 || index > 5) return;
    settings_.mutableValues().intLei = index;
    LoadTargets();
    settings_.save("intLei");
}

void Workspace::Option4_Click(int index) {
    if (index < 0 || index > 5) return;
    settings_.mutableValues().intXianshiLei = index;
    settings_.save("intXianshiLei");
}

void Workspace::setTargetTab(bool manualTab, const std::array<std::string, 5>& typed) {
    bolManualTab_ = manualTab;
    typedTargets_ = typed;
    if (manualTab) {
        LoadTargets();
    } else {
        // Back on the first tab the boxes' numbers are the targets; names keep the loaded ones.
        for (int k = 0; k < 5; ++k)
            if (const auto v = wholeNumber(targetTexts_[k]))
                intTarget_[k] = static_cast<std::int16_t>(*v);
    }
}

Outcome Workspace::Combo1_LostFocus(const std::string& text) {
    const auto k = wholeNumber(text);
    if (!k || *k < 1 || *k > 5) {
        return Outcome::failure("组合位数“" + text + "”无效：请输入1到5之间的整数。");
    }
    settings_.mutableValues().intZhWSetup = *k;
    settings_.save("intZhWSetup");
    return Outcome::success();
}

std::optional<std::string> Workspace::settingText(const std::string& key) const {
    return settings_.text(key);
}

Outcome Workspace::setSetting(const std::string& key, const std::string& value) {
    // Keys with a menu or box go through it, so everything that follows a choice follows.
    if (auto error = settings_.set(key, value)) return Outcome::failure(*error);
    const Settings& s = settings();
    if (key == "GsZl") mnu11S5_Click(gameMenuIndex(s.GsZl));
    if (key == "SxIni") mnuSxcs_Click(s.SxIni);
    if (key == "bolSq" || key == "intPreQi") {
        LoadTargets();
        resetSpanStart();
    }
    if (key == "intLei") LoadTargets();
    return Outcome::success();
}

} // namespace app
