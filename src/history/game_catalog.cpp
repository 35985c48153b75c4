#include "history/game_catalog.h"

#include <algorithm>
#include <charconv>
#include <mutex>

namespace history {

namespace {

constexpr int kLargestCode = 32767;
constexpr std::string_view kKindSuffix = "11选5";

std::vector<std::string_view> fields(std::string_view line, std::string_view separators) {
    std::vector<std::string_view> parts;
    size_t at = 0;
    while (at < line.size()) {
        const size_t start = line.find_first_not_of(separators, at);
        if (start == std::string_view::npos) break;
        const size_t end = std::min(line.find_first_of(separators, start), line.size());
        parts.push_back(line.substr(start, end - start));
        at = end;
    }
    return parts;
}

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool validUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
        i += length;
    }
    return true;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The code points of a UTF-8 text (bytes that are no text count one each).
std::vector<std::u32string::value_type> codePoints(std::string_view text) {
    std::vector<char32_t> points;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        char32_t point = 0;
        for (size_t k = 0; k < length && i + k < text.size(); ++k)
            point = point * 256 + static_cast<unsigned char>(text[i + k]);
        points.push_back(point);
        i += length;
    }
    return points;
}

size_t editDistance(std::string_view a, std::string_view b) {
    const auto x = codePoints(lowered(a));
    const auto y = codePoints(lowered(b));
    std::vector<size_t> row(y.size() + 1);
    for (size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= x.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= y.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] != y[j - 1])});
            diagonal = above;
        }
    }
    return row[y.size()];
}

// The name without "11选5" ("山东"), or the name itself.
std::string_view shortName(std::string_view name) {
    if (name.size() > kKindSuffix.size() && name.ends_with(kKindSuffix))
        return name.substr(0, name.size() - kKindSuffix.size());
    return name;
}

// Every text a game answers to, but its code.
std::vector<std::string> namesOf(const GameInfo& game) {
    std::vector<std::string> names{game.key, game.name};
    names.insert(names.end(), game.aliases.begin(), game.aliases.end());
    return names;
}

// Why a name or alias cannot be one; nothing when it can.
std::optional<std::string> nameProblem(const std::string& name) {
    if (name.empty()) return "名称不能为空";
    if (allDigits(name)) return "名称“" + name + "”全是数字，会和彩种编号混淆";
    if (!validUtf8(name)) return "名称中有不是文字的字节";
    if (name.find_first_of(" \t,;|=\r\n") != std::string::npos)
        return "名称“" + name + "”中不能有空格、逗号、分号、竖线或等号";
    return std::nullopt;
}

std::optional<std::string> keyProblem(const std::string& key) {
    if (key.empty() || key.size() > 16 ||
        !std::all_of(key.begin(), key.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }) ||
        allDigits(key))
        return "简称“" + key + "”须是1到16个小写字母或数字（不能全是数字）";
    return std::nullopt;
}

std::mutex inForceMutex;
std::shared_ptr<const GameCatalog>& inForce() {
    static std::shared_ptr<const GameCatalog> catalog =
        std::make_shared<const GameCatalog>(builtInGames());
    return catalog;
}

} // namespace

std::optional<std::string> readGameLine(std::string_view line, GameInfo& game) {
    const auto parts = fields(line, " \t");
    if (parts.size() != 9)
        return "应有9栏（编号 简称 名称 别名 期号位数 首期 间隔 每天期数 最多期数），这一行有" +
               std::to_string(parts.size()) + "栏";
    const auto code = wholeNumber(parts[0]);
    if (!code || *code < 1 || *code > kLargestCode)
        return "编号“" + std::string(parts[0]) + "”须是1到32767之间的整数";
    game.game = Game{*code};
    game.key = std::string(parts[1]);
    if (auto problem = keyProblem(game.key)) return problem;
    game.name = std::string(parts[2]);
    if (auto problem = nameProblem(game.name)) return problem;
    game.aliases.clear();
    if (parts[3] != "-")
        for (auto alias : fields(parts[3], ",")) {
            game.aliases.emplace_back(alias);
            if (auto problem = nameProblem(game.aliases.back())) return problem;
        }
    if (parts[4] == "10")
        game.idForm = IdForm::TenDigit;
    else if (parts[4] == "8")
        game.idForm = IdForm::EightDigit;
    else
        return "期号位数须是10或8，不是“" + std::string(parts[4]) + "”";
    const auto first = parseClockTime(parts[5]);
    if (!first) return "首期时间“" + std::string(parts[5]) + "”须是 00:00 到 23:59 之间的 HH:MM";
    const auto every = wholeNumber(parts[6]);
    const auto draws = wholeNumber(parts[7]);
    if (!every || !draws) return "间隔和每天期数须是整数";
    game.schedule = {*first, *every, *draws};
    if (auto problem = scheduleProblem(game.schedule)) return problem;
    game.largestCount = 0;
    if (parts[8] != "-") {
        const auto most = wholeNumber(parts[8]);
        if (!most || *most < 1 || *most > kMostDrawsPerDay)
            return "最多期数“" + std::string(parts[8]) + "”须是1到99之间的整数，或 -";
        game.largestCount = *most;
    }
    return std::nullopt;
}

std::string gameLineText(const GameInfo& game) {
    std::string aliases;
    for (const auto& alias : game.aliases) aliases += (aliases.empty() ? "" : ",") + alias;
    return std::to_string(game.code()) + " " + game.key + " " + game.name + " " +
           (aliases.empty() ? "-" : aliases) + " " +
           (game.idForm == IdForm::EightDigit ? "8" : "10") + " " +
           clockTimeText(game.schedule.firstMinute) + " " +
           std::to_string(game.schedule.everyMinutes) + " " +
           std::to_string(game.schedule.drawsPerDay) + " " +
           (game.largestCount > 0 ? std::to_string(game.largestCount) : "-");
}

int GameInfo::largestDrawNumber() const {
    return std::max(largestCount, schedule.drawsPerDay);
}

std::string CatalogProblem::text() const {
    return file + (line > 0 ? " 第" + std::to_string(line) + "行" : std::string()) + "：" + what;
}

std::optional<GameCatalog> GameCatalog::parse(std::string_view text, const std::string& fileName,
                                              std::vector<CatalogProblem>& problems) {
    const size_t before = problems.size();
    if (!validUtf8(text)) {
        // Name the first line that is not text.
        int line = 1;
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = std::min(text.find('\n', start), text.size());
            if (!validUtf8(text.substr(start, end - start))) break;
            ++line;
            start = end + 1;
        }
        problems.push_back({fileName, line, "有不是UTF-8文字的字节"});
        return std::nullopt;
    }
    GameCatalog catalog;
    int lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.ends_with('\r')) line.remove_suffix(1);
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        GameInfo game;
        if (auto problem = readGameLine(line, game)) {
            problems.push_back({fileName, lineNumber, *problem});
            continue;
        }
        if (auto problem = catalog.problemAdding(game)) {
            problems.push_back({fileName, lineNumber, *problem});
            continue;
        }
        catalog.games_.push_back(std::move(game));
    }
    if (problems.size() == before && catalog.games_.empty())
        problems.push_back({fileName, 0, "没有任何彩种"});
    if (problems.size() > before) return std::nullopt;
    return catalog;
}

const GameInfo* GameCatalog::find(Game game) const {
    for (const auto& g : games_)
        if (g.game == game) return &g;
    return nullptr;
}

const GameInfo* GameCatalog::findKey(std::string_view key) const {
    const std::string wanted = lowered(key);
    for (const auto& g : games_)
        if (g.key == wanted) return &g;
    return nullptr;
}

const GameInfo* GameCatalog::findName(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (const auto& g : games_) {
        if (g.name == name || shortName(g.name) == name) return &g;
        for (const auto& alias : g.aliases)
            if (alias == name) return &g;
    }
    return nullptr;
}

const GameInfo* GameCatalog::lookup(std::string_view text) const {
    if (allDigits(text)) {
        const auto code = wholeNumber(text);
        return code ? find(Game{*code}) : nullptr;
    }
    if (const auto* game = findKey(text)) return game;
    return findName(text);
}

std::vector<const GameInfo*> GameCatalog::closest(std::string_view text, size_t count) const {
    std::vector<std::pair<size_t, const GameInfo*>> ranked;
    for (const auto& g : games_) {
        size_t best = editDistance(text, std::to_string(g.code()));
        for (const auto& name : namesOf(g)) {
            best = std::min(best, editDistance(text, name));
            best = std::min(best, editDistance(text, shortName(name)));
        }
        ranked.emplace_back(best, &g);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const GameInfo*> out;
    for (size_t i = 0; i < ranked.size() && i < count; ++i) out.push_back(ranked[i].second);
    return out;
}

const GameInfo* GameCatalog::namedIn(std::string_view text) const {
    const GameInfo* found = nullptr;
    size_t longest = 0;
    for (const auto& g : games_) {
        std::vector<std::string_view> names{g.name};
        names.insert(names.end(), g.aliases.begin(), g.aliases.end());
        for (auto name : names)
            if (name.size() > longest && text.find(name) != std::string_view::npos) {
                found = &g;
                longest = name.size();
            }
    }
    return found;
}

DrawSchedule GameCatalog::schedule(Game game) const {
    if (const auto* g = find(game)) return g->schedule;
    if (const auto* jiangxi = find(Game::Jiangxi)) return jiangxi->schedule;
    return {};
}

int GameCatalog::largestDrawNumber(Game game) const {
    if (const auto* g = find(game)) return g->largestDrawNumber();
    if (const auto* jiangxi = find(Game::Jiangxi)) return jiangxi->largestDrawNumber();
    return DrawSchedule{}.drawsPerDay;
}

IdForm GameCatalog::idForm(Game game) const {
    const auto* g = find(game);
    return g ? g->idForm : IdForm::TenDigit;
}

std::string GameCatalog::name(Game game) const {
    if (const auto* g = find(game)) return g->name;
    return "彩种" + std::to_string(static_cast<int>(game));
}

std::optional<std::string> GameCatalog::problemAdding(const GameInfo& game,
                                                      std::optional<Game> ignore) const {
    if (game.code() < 1 || game.code() > kLargestCode) return "彩种编号须在1到32767之间";
    if (auto problem = keyProblem(game.key)) return problem;
    for (const auto& name : namesOf(game))
        if (name != game.key)
            if (auto problem = nameProblem(name)) return problem;
    if (auto problem = scheduleProblem(game.schedule)) return problem;
    if (game.largestCount < 0 || game.largestCount > kMostDrawsPerDay)
        return "最多期数须在1到99之间";
    const auto mine = namesOf(game);
    for (size_t i = 0; i < mine.size(); ++i)
        for (size_t k = 0; k < i; ++k)
            if (lowered(mine[i]) == lowered(mine[k]))
                return "“" + mine[i] + "”在这个彩种里写了两次";
    for (const auto& other : games_) {
        if (ignore && other.game == *ignore) continue;
        if (other.game == game.game)
            return "编号" + std::to_string(game.code()) + "已经是" + other.name + "的编号";
        for (const auto& theirs : namesOf(other))
            for (const auto& name : mine)
                if (lowered(theirs) == lowered(name))
                    return "“" + name + "”已经是" + other.name + "的" +
                           (theirs == other.key    ? "简称"
                            : theirs == other.name ? "名称"
                                                   : "别名");
    }
    return std::nullopt;
}

GameCatalog GameCatalog::withGame(GameInfo game) const {
    GameCatalog copy = *this;
    for (auto& g : copy.games_)
        if (g.game == game.game) {
            g = std::move(game);
            return copy;
        }
    copy.games_.push_back(std::move(game));
    return copy;
}

GameCatalog GameCatalog::withSchedule(Game game, const DrawSchedule& schedule) const {
    GameCatalog copy = *this;
    for (auto& g : copy.games_)
        if (g.game == game && g.schedule != schedule) {
            g.schedule = schedule;
            g.scheduleChanged = true;
        }
    return copy;
}

const GameCatalog& builtInGames() {
    static const GameCatalog catalog = [] {
        std::vector<CatalogProblem> problems;
        auto parsed = GameCatalog::parse(builtInGameTableText(), "games.tsv", problems);
        return parsed ? std::move(*parsed) : GameCatalog();
    }();
    return catalog;
}

std::shared_ptr<const GameCatalog> games() {
    std::lock_guard lock(inForceMutex);
    return inForce();
}

void putGamesInForce(std::shared_ptr<const GameCatalog> catalog) {
    if (!catalog) return;
    std::lock_guard lock(inForceMutex);
    inForce() = std::move(catalog);
}

} // namespace history
