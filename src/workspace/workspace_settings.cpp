// The choices: the settings, and what follows them (the game and its history, the search targets,
// the span searched).

#include "workspace/workspace.h"

#include "history/period.h"
#include "workspace/game_service.h"

#include <algorithm>

namespace app {

namespace {

// Single-digit text of a one-digit box ("3" or "3_"); empty when it holds no digit.
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

} // namespace

void Workspace::putGamesInForce() {
    const auto& shipped = shippedGames(options_.gameTable.value_or(""));
    history::putGamesInForce(std::make_shared<const history::GameCatalog>(
        gamesWithChanges(shipped.catalog, settings())));
    drawsPerDay_ = history::drawsPerDay(settings().game);
}

void Workspace::gamesChanged() {
    putGamesInForce();
    refreshNextPeriod();
}

bool Workspace::rereadSettings() {
    const history::Game shown = settings().game;
    const auto changed = settings_.reload();
    if (changed.empty()) return false;
    const auto has = [&](const char* key) {
        return std::find(changed.begin(), changed.end(), key) != changed.end();
    };
    if (has("GsZl")) {
        const history::Game chosen = settings().game;
        settings_.mutableValues().game = shown;
        // A game chosen elsewhere is switched to as the menu does (the history with it); a run
        // given its game on the command line keeps it.
        if (!options_.game && (chosen != shown || !db_.isOpen())) switchGame(chosen, false);
    }
    const Settings& s = settings();
    putGamesInForce();
    zodiac_.setValueOrder(s.zodiacInAnimalOrder, s.zodiacBase);
    refreshNextPeriod();
    reloadTargets();
    if (has("bolSq") || has("intPreQi")) resetSpanStart();
    return true;
}

void Workspace::setSpan(std::string start, std::string end) {
    spanStart_ = std::move(start);
    spanEnd_ = std::move(end);
}

void Workspace::reloadTargets() {
    const Settings& s = settings();
    if (targetSource_ == TargetSource::Typed) {
        for (int k = 0; k < 5; ++k)
            if (const auto v = wholeNumber(typedTargets_[k]))
                targets_[k] = static_cast<std::int16_t>(*v);
        return;
    }
    if (history_.empty()) {
        targetTexts_ = {};
        return;
    }
    ensureKinds({s.searchKind});
    const long back = s.periodMode == search::PeriodMode::Last ? 0 : s.backDistance - 1;
    const long index = static_cast<long>(history_.size()) - 1 - back;
    if (index < 0 || index >= static_cast<long>(history_.size())) return;
    const auto& reference = rows()[static_cast<size_t>(index)];
    const bool showNames = s.searchKind == history::ZodiacKind;
    for (int k = 0; k < 5; ++k) {
        targets_[k] = reference.values[s.searchKind][k];
        targetTexts_[k] = showNames ? history::Zodiac::nameOf(targets_[k], s.zodiacBase)
                                    : std::to_string(targets_[k]);
    }
}

void Workspace::resetSpanStart() {
    if (history_.empty()) return;
    const Settings& s = settings();
    const int d = s.periodMode == search::PeriodMode::Last ? 1 : s.backDistance;
    // A history of d draws or fewer has none with a draw d back before it: the span is the newest
    // draw alone, never one that ends before it starts.
    if (history_.size() <= static_cast<size_t>(d)) {
        spanStart_ = history::tenDigit(history_.newest().period);
        return;
    }
    spanStart_ = history::tenDigit(rows().front().period + d);
}

void Workspace::updateSpan() {
    // Boxes the user has not set (or that followed the history) take the whole history.
    if (history_.empty()) {
        spanStart_.clear();
        spanEnd_.clear();
        return;
    }
    // A start before the first stored draw or after the newest names a draw no longer there
    // (removed by a pruning update or a cut-back, here or in another process): it moves to the
    // start a history begins with.
    if (const auto start = history::lastEightAsNumber(spanStart_);
        start && (*start < rows().front().period || *start > history_.newest().period))
        spanStart_.clear();
    // While the history is that short, the start follows it until it reaches its usual place.
    const Settings& s = settings();
    const int d = s.periodMode == search::PeriodMode::Last ? 1 : s.backDistance;
    if (spanStart_.empty() || history_.size() <= static_cast<size_t>(d) + 1) resetSpanStart();
    if (spanEnd_.empty()) spanEnd_ = history::tenDigit(history_.newest().period);
}

Outcome Workspace::setBackDistance(const std::string& text) {
    // Nothing changes until the box holds a distance a search can use.
    const auto digit = singleDigit(text);
    if (!digit || *digit == 0)
        return Outcome::failure(std::string(digit ? "前期的期数不能是0" : "前期的期数没有填写") +
                                "：请输入1到9之间的数字。");
    settings_.mutableValues().backDistance = *digit;
    settings_.save("intPreQi");
    reloadTargets();
    resetSpanStart();
    return Outcome::success();
}

Outcome Workspace::setGame(history::Game game) {
    if (!history::games()->find(game)) return Outcome::success();
    return switchGame(game, true);
}

Outcome Workspace::switchGame(history::Game game, bool store) {
    const bool same = game == settings().game;
    settings_.mutableValues().game = game;
    drawsPerDay_ = history::drawsPerDay(game);
    // Each game has its own history: the other game's is shown at once. The choice is stored
    // only once that history is open, so that the next run does not start on a game whose file
    // could not be opened (or made).
    if (!same || !db_.isOpen()) {
        switchHistory();
        if (!db_.isOpen()) return Outcome::failure(databaseProblem_);
    }
    if (store) settings_.save("GsZl");
    return Outcome::success();
}

void Workspace::setZodiacBase(int base) {
    if (base < 0 || base > 1) return;
    settings_.mutableValues().zodiacBase = base;
    settings_.save("SxIni");
    zodiac_.setValueOrder(settings().zodiacInAnimalOrder, base);
}

void Workspace::setSegmentBase(int base) {
    if (base < 0 || base > 1) return;
    settings_.mutableValues().segmentBase = base;
    settings_.save("DsIni");
}

void Workspace::setZodiacOrder(bool animalOrder) {
    settings_.mutableValues().zodiacInAnimalOrder = animalOrder;
    settings_.save("SxSetup");
    zodiac_.setValueOrder(animalOrder, settings().zodiacBase);
}

void Workspace::setPositionMode(search::PositionMode mode) {
    settings_.mutableValues().positionMode = mode;
    modeChanged();
}

void Workspace::setPeriodMode(search::PeriodMode mode) {
    settings_.mutableValues().periodMode = mode;
    modeChanged();
}

void Workspace::modeChanged() {
    // The four mode buttons are one group: both choices are saved on every click.
    settings_.save("bolZyw");
    settings_.save("bolSq");
    reloadTargets();
    resetSpanStart();
}

void Workspace::setSearchKind(history::Kind kind) {
    if (kind < 0 || kind >= history::kKinds) return;
    settings_.mutableValues().searchKind = kind;
    reloadTargets();
    settings_.save("intLei");
}

void Workspace::setResultKind(history::Kind kind) {
    if (kind < 0 || kind >= history::kKinds) return;
    settings_.mutableValues().resultKind = kind;
    settings_.save("intXianshiLei");
}

void Workspace::setTargetSource(TargetSource source, const std::array<std::string, 5>& typed) {
    targetSource_ = source;
    typedTargets_ = typed;
    if (source == TargetSource::Typed) {
        reloadTargets();
    } else {
        // Back on the first tab the boxes' numbers are the targets; names keep the loaded ones.
        for (int k = 0; k < 5; ++k)
            if (const auto v = wholeNumber(targetTexts_[k]))
                targets_[k] = static_cast<std::int16_t>(*v);
    }
}

Outcome Workspace::setCombinationSize(const std::string& text) {
    // Any whole number is taken; a search with a size outside 1..5 finds no hit.
    const auto k = wholeNumber(text);
    if (!k) return Outcome::failure("组合位数“" + text + "”无效：请输入1到5之间的整数。");
    settings_.mutableValues().combinationSize = *k;
    settings_.save("intZhWSetup");
    return Outcome::success();
}

bool Workspace::changesDerivedValues(const std::string& key) {
    return key == "SxIni" || key == "DsIni" || key == "SxSetup";
}

std::optional<std::string> Workspace::settingText(const std::string& key) const {
    return settings_.text(key);
}

Outcome Workspace::setSetting(const std::string& key, const std::string& value) {
    // Keys with a menu or box go through it, so everything that follows a choice follows.
    const auto before = settings_.text(key);
    if (key == "GsZl") {
        // Stored by setGame once the game's history is open.
        const history::Game shown = settings().game;
        if (auto error = settings_.assign(key, value)) return Outcome::failure(*error);
        const history::Game game = settings().game;
        settings_.mutableValues().game = shown;
        return setGame(game);
    }
    if (auto error = settings_.set(key, value)) return Outcome::failure(*error);
    const Settings& s = settings();
    if (key == "GameSchedules" || key == "AddedGames" || key.rfind("DrawFirst", 0) == 0 ||
        key.rfind("DrawEvery", 0) == 0)
        gamesChanged();
    if (key == "SxIni") setZodiacBase(s.zodiacBase);
    if (key == "SxSetup") setZodiacOrder(s.zodiacInAnimalOrder);
    if (key == "bolSq" || key == "intPreQi") {
        reloadTargets();
        resetSpanStart();
    }
    if (key == "intLei") reloadTargets();
    if (changesDerivedValues(key) && settings_.text(key) != before && newestStoredPeriod() != 0)
        return Outcome::success("已保存。已存的历史号码仍是按原来的设置计算的，"
                                "运行 rebuild 按新的设置重新计算。");
    return Outcome::success();
}

} // namespace app
