#include "workspace/settings.h"

#include "history/page_address.h"
#include "platform/page_fetch.h"
#include "workspace/omission_alerts.h"
#include "workspace/settings_games.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <deque>
#include <functional>
#include <sstream>

namespace app {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<int> parseInt(const std::string& raw) {
    const std::string text = trimmed(raw);
    if (text.empty()) return std::nullopt;
    const char* begin = text.data();
    if (*begin == '+') ++begin;
    int value = 0;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// One stored key: how its value reads from and writes to Settings as an integer (Booleans as 0
// and 1), which values the store may hold and which the menus and boxes offer.
struct Key {
    const char* name;
    bool isBool = false;
    std::function<int(const Settings&)> get;
    std::function<void(Settings&, int)> put;
    // Values accepted from the store (anything else gives the default).
    std::function<bool(int)> readable;
    // Values the menus and boxes can set; `set` accepts only these.
    std::function<bool(int)> offered;
    const char* offeredText = "True 或 False";
    // A key held as text instead of an integer: its value, and taking a new one (an error text
    // when it is not one the program accepts).
    std::function<std::string(const Settings&)> getText;
    std::function<std::optional<std::string>(Settings&, const std::string&)> putText;
    // Copies the key's value from one set of values to another.
    std::function<void(Settings&, const Settings&)> copy;
    // How a text key's stored text is taken, when not as putText takes a new one.
    std::function<void(Settings&, const std::string&)> loadText;
};

// The results site's address: a base address, or a full address with placeholders.
std::optional<std::string> putSite(Settings& s, const std::string& raw) {
    if (auto problem = history::siteAddressProblem(raw)) return problem;
    const std::string site = history::normalisedSiteAddress(raw);
    // A day's page address as the update will ask for it: one that cannot be parsed (a bad port,
    // a character no address may hold) would fail every day, and the watch would wait on it.
    using namespace std::chrono;
    if (!site.empty() && !platform::isFetchableAddress(history::dayPageAddress(
                             site, 22, year_month_day{year{2016}, month{9}, day{8}})))
        return "无法识别网址“" + site + "”：请检查主机名、端口和其中的字符，例如 " +
               "http://127.0.0.1:8080";
    s.updateSite = site;
    return std::nullopt;
}

// Each play's prize: "r2=6,r3=19"; a play left out keeps its default.
std::optional<std::string> putPrizes(Settings& s, const std::string& text) {
    auto parsed = play::parsePrizes(text);
    if (!parsed.prizes) return parsed.error;
    s.prizes = *parsed.prizes;
    return std::nullopt;
}

// The omission alerts. An item that cannot be read may stay as it is stored (the user did not
// write it now, and it is not lost unasked); no new one is taken.
std::optional<std::string> putAlertRules(Settings& s, const std::string& text) {
    const auto kept = alertRuleItems(s.alertRules);
    const auto items = alertRuleItems(text);
    for (const auto& item : items) {
        if (item.rule) continue;
        const bool stored = std::any_of(kept.begin(), kept.end(), [&](const AlertRuleItem& k) {
            return !k.rule && k.text == item.text;
        });
        if (!stored) return item.damaged ? "提醒规则中有不是文字的字节" : item.error;
    }
    s.alertRules = alertItemsText(items);
    return std::nullopt;
}

// DrawFirst<code> and DrawEvery<code> of the four first games: a time "HH:MM" or whole minutes,
// in a schedule that can be (the day's last draw at 06:00 after midnight at the latest).
std::optional<std::string> readDrawTime(bool first, const std::string& raw, int& value,
                                        const std::string& name) {
    if (first) {
        const auto minute = history::parseClockTime(raw);
        if (!minute) return name + " 的值必须是 00:00 到 23:59 之间的时间（HH:MM）";
        value = *minute;
        return std::nullopt;
    }
    int minutes = 0;
    const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), minutes);
    if (raw.empty() || error != std::errc() || end != raw.data() + raw.size() || minutes < 1 ||
        minutes > history::kMostMinutesBetween)
        return name + " 的值必须是 1 到 " + std::to_string(history::kMostMinutesBetween) +
               " 之间的整分钟数";
    value = minutes;
    return std::nullopt;
}

std::string drawTimeKey(size_t index, bool first) {
    return std::string(first ? "DrawFirst" : "DrawEvery") +
           std::to_string(static_cast<int>(history::kFirstGames[index]));
}

std::optional<std::string> putSchedule(Settings& s, size_t index, bool first,
                                       const std::string& raw) {
    const std::string name = drawTimeKey(index, first);
    int value = 0;
    if (auto problem = readDrawTime(first, raw, value, name)) return problem;
    history::DrawSchedule schedule = history::games()->schedule(history::kFirstGames[index]);
    (first ? schedule.firstMinute : schedule.everyMinutes) = value;
    if (auto problem = history::scheduleProblem(schedule)) return name + "：" + *problem;
    (first ? s.drawTimes[index].first : s.drawTimes[index].every) = value;
    return std::nullopt;
}

bool keptDays(int v) {
    return v == 0 || (v >= 2 && v <= 16);
}

bool in16Bit(int v) {
    return v >= -32768 && v <= 32767;
}
std::function<bool(int)> range(int low, int high) {
    return [=](int v) { return v >= low && v <= high; };
}
bool anyValue(int) {
    return true;
}

// A key of whole numbers (Booleans as 0 and 1) read and written through get and put.
Key numberKey(const char* name, bool isBool, std::function<int(const Settings&)> get,
              std::function<void(Settings&, int)> put, std::function<bool(int)> readable,
              std::function<bool(int)> offered, const char* offeredText) {
    Key key;
    key.name = name;
    key.isBool = isBool;
    key.get = std::move(get);
    key.put = std::move(put);
    key.readable = std::move(readable);
    key.offered = std::move(offered);
    key.offeredText = offeredText;
    key.copy = [get = key.get, put = key.put](Settings& to, const Settings& from) {
        put(to, get(from));
    };
    return key;
}

Key intKey(const char* name, int Settings::*member, std::function<bool(int)> readable,
           std::function<bool(int)> offered, const char* offeredText) {
    return numberKey(
        name, false, [member](const Settings& s) { return s.*member; },
        [member](Settings& s, int v) { s.*member = v; }, std::move(readable), std::move(offered),
        offeredText);
}

Key boolKey(const char* name, bool Settings::*member) {
    return numberKey(
        name, true, [member](const Settings& s) { return s.*member ? 1 : 0; },
        [member](Settings& s, int v) { s.*member = v != 0; }, anyValue, anyValue, "True 或 False");
}

// A choice stored as True or False: True stands for whenTrue.
template <typename E>
Key choiceKey(const char* name, E Settings::*member, E whenTrue, E whenFalse) {
    return numberKey(
        name, true, [member, whenTrue](const Settings& s) { return s.*member == whenTrue ? 1 : 0; },
        [member, whenTrue, whenFalse](Settings& s, int v) { s.*member = v ? whenTrue : whenFalse; },
        anyValue, anyValue, "True 或 False");
}

// A choice stored as its integer code.
template <typename E>
Key codeKey(const char* name, E Settings::*member, std::function<bool(int)> readable,
            std::function<bool(int)> offered, const char* offeredText) {
    return numberKey(
        name, false, [member](const Settings& s) { return static_cast<int>(s.*member); },
        [member](Settings& s, int v) { s.*member = static_cast<E>(v); }, std::move(readable),
        std::move(offered), offeredText);
}

template <typename T>
Key textKey(const char* name, T Settings::*member, std::function<std::string(const Settings&)> get,
            std::function<std::optional<std::string>(Settings&, const std::string&)> put) {
    Key key;
    key.name = name;
    key.getText = std::move(get);
    key.putText = std::move(put);
    key.copy = [member](Settings& to, const Settings& from) { to.*member = from.*member; };
    return key;
}

const std::vector<Key>& keyTable() {
    using search::PeriodMode;
    using search::PositionMode;
    static const std::vector<Key> table = {
        codeKey(
            "GsZl", &Settings::game, in16Bit,
            [](int v) { return history::games()->find(history::Game{v}) != nullptr; },
            "已知彩种的编号（全部彩种见 games --all）"),
        choiceKey("bolZyw", &Settings::positionMode, PositionMode::Free, PositionMode::Fixed),
        choiceKey("bolSq", &Settings::periodMode, PeriodMode::Last, PeriodMode::Back),
        codeKey("intLei", &Settings::searchKind, range(0, 5), range(0, 5), "0 到 5"),
        codeKey("intXianshiLei", &Settings::resultKind, range(0, 5), range(0, 5), "0 到 5"),
        intKey("intPreQi", &Settings::backDistance, range(0, 9), range(1, 9), "1 到 9"),
        intKey("intZhWSetup", &Settings::combinationSize, in16Bit, in16Bit,
               "-32768 到 32767 之间的整数"),
        intKey("SxIni", &Settings::zodiacBase, range(0, 1), range(0, 1), "0 或 1"),
        intKey("DsIni", &Settings::segmentBase, range(0, 1), range(0, 1), "0 或 1"),
        boolKey("SxSetup", &Settings::zodiacInAnimalOrder),
        // The days the online update keeps, or 0: every draw is kept.
        intKey("IniSerchDay", &Settings::updateDays, keptDays, keptDays,
               "2 到 16 之间的天数，或 0（保留全部历史号码）"),
        textKey(
            "UpdateSite", &Settings::updateSite, [](const Settings& s) { return s.updateSite; },
            putSite),
        textKey(
            "Prizes", &Settings::prizes,
            [](const Settings& s) { return play::prizesText(s.prizes); }, putPrizes),
        boolKey("AutoUpdate", &Settings::autoUpdate),
        boolKey("AutoSearch", &Settings::autoSearch),
        [] {
            Key key = textKey(
                "AlertRules", &Settings::alertRules, [](const Settings& s) { return s.alertRules; },
                putAlertRules);
            // The rules that can be read are used; the others are kept as they are stored.
            key.loadText = [](Settings& s, const std::string& text) {
                s.alertRules = alertItemsText(alertRuleItems(text));
            };
            return key;
        }(),
    };
    static const std::vector<Key> withSchedules = [] {
        std::vector<Key> all = table;
        // The player's games: read leniently (an item that cannot be read is left out).
        Key followed = textKey(
            "FollowedGames", &Settings::followedGames,
            [](const Settings& s) { return followedText(s.followedGames); }, putFollowed);
        followed.loadText = [](Settings& s, const std::string& text) {
            if (auto games = readFollowed(text); !games.empty()) s.followedGames = std::move(games);
        };
        all.push_back(std::move(followed));
        Key schedules = textKey(
            "GameSchedules", &Settings::gameSchedules,
            [](const Settings& s) { return gameSchedulesText(s.gameSchedules); }, putGameSchedules);
        schedules.loadText = [](Settings& s, const std::string& text) {
            s.gameSchedules = readGameSchedules(text);
        };
        all.push_back(std::move(schedules));
        Key added = textKey(
            "AddedGames", &Settings::addedGames,
            [](const Settings& s) { return addedGamesText(s.addedGames); }, putAddedGames);
        added.loadText = [](Settings& s, const std::string& text) {
            s.addedGames = readAddedGames(text);
        };
        all.push_back(std::move(added));
        for (size_t i = 0; i < 4; ++i) {
            for (const bool first : {true, false}) {
                // The keys' names live as long as the table; a deque never moves them.
                static std::deque<std::string> names;
                names.push_back(drawTimeKey(i, first));
                Key key = textKey(
                    names.back().c_str(), &Settings::drawTimes,
                    [i, first](const Settings& s) {
                        const auto& set = first ? s.drawTimes[i].first : s.drawTimes[i].every;
                        const auto schedule = history::games()->schedule(history::kFirstGames[i]);
                        return first ? history::clockTimeText(set.value_or(schedule.firstMinute))
                                     : std::to_string(set.value_or(schedule.everyMinutes));
                    },
                    [i, first](Settings& s, const std::string& t) {
                        return putSchedule(s, i, first, t);
                    });
                // A stored time is read as a time; whether it fits the schedule is judged when
                // the games are put in force.
                key.loadText = [i, first](Settings& s, const std::string& t) {
                    int value = 0;
                    if (!readDrawTime(first, t, value, {}))
                        (first ? s.drawTimes[i].first : s.drawTimes[i].every) = value;
                };
                // Only a time set is stored: the others follow the game table.
                all.push_back(std::move(key));
            }
        }
        return all;
    }();
    return withSchedules;
}

const Key* findKey(const std::string& name) {
    for (const auto& key : keyTable())
        if (name == key.name) return &key;
    return nullptr;
}

size_t keyIndex(const std::string& name) {
    const auto& table = keyTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (name == table[i].name) return i;
    return table.size();
}

// Keys whose values are checked against each other: a game's first draw time and interval.
bool checkedTogether(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const auto game = [](const std::string& key) -> std::string {
        for (const std::string prefix : {"DrawFirst", "DrawEvery"})
            if (key.rfind(prefix, 0) == 0) return key.substr(prefix.size());
        return {};
    };
    return !game(a).empty() && game(a) == game(b);
}

std::optional<bool> parseBool(const std::string& raw) {
    std::string text = trimmed(raw);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (text == "true") return true;
    if (text == "false") return false;
    return std::nullopt;
}

} // namespace

SettingsFile::SettingsFile(platform::SettingsStore store) : store_(std::move(store)) {
    values_ = load(stored_, damaged_);
}

const std::vector<std::string>& SettingsFile::keys() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const auto& key : keyTable()) n.emplace_back(key.name);
        return n;
    }();
    return names;
}

std::vector<std::string> SettingsFile::reload() {
    if (!persistent_) return {};
    store_.reload();
    std::vector<std::optional<std::string>> stored;
    const Settings fromStore = load(stored, damaged_);
    std::vector<std::string> changed;
    const auto& table = keyTable();
    for (size_t i = 0; i < table.size(); ++i) {
        // A value this run holds but did not store (the command line's --game) stays as it is
        // until the store's value changes.
        if (stored[i] == stored_[i]) continue;
        table[i].copy(values_, fromStore);
        changed.emplace_back(table[i].name);
    }
    stored_ = std::move(stored);
    return changed;
}

void SettingsFile::refresh(const std::string& name) {
    std::vector<std::optional<std::string>> stored;
    std::vector<bool> damaged;
    const Settings fromStore = load(stored, damaged);
    const auto& table = keyTable();
    for (size_t i = 0; i < table.size(); ++i) {
        if (!checkedTogether(table[i].name, name) || stored[i] == stored_[i]) continue;
        table[i].copy(values_, fromStore);
        stored_[i] = stored[i];
        damaged_[i] = damaged[i];
    }
}

Settings SettingsFile::load(std::vector<std::optional<std::string>>& stored,
                            std::vector<bool>& damaged) const {
    Settings values;
    stored.clear();
    damaged.clear();
    for (const auto& key : keyTable()) {
        const auto value = store_.readValue(kSettingsSection, key.name);
        stored.push_back(value ? std::optional<std::string>(value->text) : std::nullopt);
        // A value whose bytes are not text gives the default; the alerts' items are read one by
        // one.
        damaged.push_back(value && value->damaged && !key.loadText);
        if (!value || damaged.back()) continue;
        const std::string& text = value->text;
        if (key.loadText) {
            key.loadText(values, text);
        } else if (key.putText) {
            Settings read = values;
            if (!key.putText(read, text)) values = read;
        } else if (key.isBool) {
            if (const auto b = parseBool(text)) key.put(values, *b ? 1 : 0);
        } else if (const auto v = parseInt(text); v && key.readable(*v)) {
            key.put(values, *v);
        }
    }
    return values;
}

std::optional<std::string> SettingsFile::text(const std::string& name) const {
    const Key* key = findKey(name);
    if (!key) return std::nullopt;
    if (key->getText) return key->getText(values_);
    if (key->isBool) return key->get(values_) ? "True" : "False";
    return std::to_string(key->get(values_));
}

std::optional<std::string> SettingsFile::assign(const std::string& name, const std::string& text) {
    const Key* key = findKey(name);
    if (!key) return "没有这个设置项：" + name;
    if (key->putText) {
        if (auto error = key->putText(values_, text)) return error;
    } else if (key->isBool) {
        const auto b = parseBool(text);
        if (!b) return name + " 的值必须是 " + key->offeredText;
        key->put(values_, *b ? 1 : 0);
    } else {
        const auto v = parseInt(text);
        if (!v || !key->offered(*v)) return name + " 的值必须是 " + key->offeredText;
        key->put(values_, *v);
    }
    return std::nullopt;
}

std::optional<std::string> SettingsFile::set(const std::string& name, const std::string& text) {
    return change(name, [&text](std::string& value) -> std::optional<std::string> {
        value = text;
        return std::nullopt;
    });
}

std::optional<std::string> SettingsFile::change(const std::string& name, const Edit& edit) {
    if (!findKey(name)) return "没有这个设置项：" + name;
    platform::SettingsStore::Hold held;
    if (persistent_) {
        try {
            held = store_.hold(platform::SettingsStore::kLockWait);
        } catch (const std::exception& e) {
            return "设置 " + name + " 无法保存（" + e.what() +
                   "）：请检查设置文件所在的文件夹是否可写。设置没有改变。";
        }
        if (!held.held())
            return "设置 " + name + " 无法保存：另一个窗口或命令一直在修改设置文件 " +
                   store_.location() + "，请稍后再试。设置没有改变。";
        refresh(name);
    }
    std::string text = *this->text(name);
    if (auto error = edit(text)) return error;
    if (auto error = assign(name, text)) return error;
    return save(name);
}

std::optional<std::string> SettingsFile::damagedValue(const std::string& name) const {
    const size_t i = keyIndex(name);
    if (i >= damaged_.size() || !damaged_[i]) return std::nullopt;
    return "设置 " + name + " 存的值已损坏（含有不是文字的字节），没有使用：现在用的是 " +
           *text(name) + "。";
}

std::optional<std::string> SettingsFile::unreadableLines() const {
    if (!store_.hasUnreadableLines()) return std::nullopt;
    return "设置文件 " + store_.location() +
           " 中有无法读取的行（已损坏），其中的设置没有使用；下次保存设置前会把原文件另存一份。";
}

std::optional<std::string> SettingsFile::save(const std::string& name) {
    if (!persistent_) return std::nullopt;
    const auto value = text(name);
    if (!value) return std::nullopt;
    const auto written = store_.write(kSettingsSection, name, *value);
    if (!written.damagedCopy.empty())
        notice_ = "设置文件 " + store_.location() +
                  " 中有无法读取的内容（已损坏），保存设置时无法保留：原文件已另存为 " +
                  written.damagedCopy + "。";
    if (written.saved) {
        if (const size_t i = keyIndex(name); i < stored_.size()) {
            stored_[i] = *value;
            damaged_[i] = false;
        }
        return std::nullopt;
    }
    saveProblem_ = "设置 " + name + " 无法保存到 " + store_.location() +
                   (written.busy ? "：另一个窗口或命令一直在修改设置，请稍后再试。"
                                 : "：请检查这个文件是否可写。") +
                   "本次运行中仍使用新的设置。";
    return saveProblem_;
}

} // namespace app
