#include "site/results_site.h"

#include "site/layout_pages.h"

#include "history/game_catalog.h"

#include <QAbstractHttpServer>
#include <QDate>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <unicode/ucnv.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <optional>

namespace site {

namespace {

// The games the site knows: the program's built-in game table.
const history::GameInfo* knownGame(int gameCode) {
    return history::builtInGames().find(history::Game{gameCode});
}

// A path segment or query value naming a game: its code, or its key ("/kj/sd/...").
const history::GameInfo* gameNamedBy(const QString& part) {
    if (part.isEmpty()) return nullptr;
    if (part == QString::number(part.toInt())) return knownGame(part.toInt());
    return history::builtInGames().findKey(part.toStdString());
}

// The day a stored period id yymmddNN belongs to; invalid when the id names no real date.
QDate dayOf(int period) {
    return QDate(2000 + period / 1000000, period / 10000 % 100, period / 100 % 100);
}

// A day written exactly as "YYYY-MM-DD".
std::optional<QDate> parseDay(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const QDate day = QDate::fromString(QString::fromStdString(text), u"yyyy-MM-dd");
    if (!day.isValid()) return std::nullopt;
    return day;
}

std::string twoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
           static_cast<char>('0' + value % 10);
}

std::string periodCell(int period, bool tenDigits) {
    std::string eight = std::to_string(period);
    if (eight.size() < 8) eight.insert(0, 8 - eight.size(), '0');
    return tenDigits ? "20" + eight : eight;
}

std::string utf8ToGbk(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_convert("GBK", "UTF-8", nullptr, 0, text.data(),
                                        static_cast<int32_t>(text.size()), &status);
    std::string out(static_cast<size_t>(length), '\0');
    status = U_ZERO_ERROR;
    ucnv_convert("GBK", "UTF-8", out.data(), length, text.data(), static_cast<int32_t>(text.size()),
                 &status);
    return U_SUCCESS(status) ? out : std::string();
}

// A day's page asked for at an address of another form (a site address pattern): the game code
// and the day are the path segments or query values that read as one ("/kj/22/20160908.html",
// "/draws?game=23&day=160908"). Without a code the game is 22.
struct AskedPage {
    int gameCode = 22;
    std::string day; // YYYY-MM-DD
};

std::optional<AskedPage> readAddress(const QUrl& url) {
    QStringList parts = url.path().split(u'/', Qt::SkipEmptyParts);
    for (const auto& item : QUrlQuery(url).queryItems()) parts << item.second;
    AskedPage asked;
    for (QString part : parts) {
        // "20160908.html": the name without its extension.
        if (const auto dot = part.indexOf(u'.'); dot > 0) part.truncate(dot);
        QDate day;
        if (part.size() == 10)
            day = QDate::fromString(part, u"yyyy-MM-dd");
        else if (part.size() == 8)
            day = QDate::fromString(part, u"yyyyMMdd");
        else if (part.size() == 6)
            day = QDate::fromString(QStringLiteral("20") + part, u"yyyyMMdd");
        if (day.isValid())
            asked.day = day.toString(u"yyyy-MM-dd").toStdString();
        else if (const auto* game = gameNamedBy(part))
            asked.gameCode = game->code();
    }
    if (asked.day.empty()) return std::nullopt;
    return asked;
}

// The HTTP side: every request goes to one handler.
class Server : public QAbstractHttpServer {
  public:
    using Handler = std::function<void(const QHttpServerRequest&, QHttpServerResponder&&)>;
    explicit Server(Handler handler) : handler_(std::move(handler)) {}

  protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        handler_(request, makeResponder(request, socket));
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

  private:
    Handler handler_;
};

} // namespace

struct ResultsSite::Impl {
    PageStyle style;
    std::map<QDate, std::vector<SiteDraw>> byDay; // oldest first within a day
    std::set<std::string> missingDays;
    std::map<std::string, std::string> pages; // days answered with a page of their own
    std::atomic<int> requests{0};
    quint16 port = 0;
    std::unique_ptr<Server> server;
    // The gradual reveal of the last day's draws, when on.
    bool revealing = false;
    int revealedAtStart = 0;
    std::chrono::milliseconds revealEvery{0};
    std::chrono::steady_clock::time_point revealStart;
    int revealed() const;

    void answer(const QHttpServerRequest& request, QHttpServerResponder&& responder);
    std::string page(int gameCode, const std::string& day) const;
};

std::string ResultsSite::Impl::page(int askedGame, const std::string& dayText) const {
    if (!knownGame(askedGame) || (style.onlyGame && askedGame != style.onlyGame)) return {};
    if (const auto own = pages.find(dayText); own != pages.end()) return own->second;
    const int gameCode = style.servedGame ? style.servedGame : askedGame;
    const history::GameInfo* game = knownGame(gameCode);
    if (!game || byDay.empty() || missingDays.count(dayText)) return {};
    // The title names the game as the province's lottery does: an alias when it has one.
    const std::string name =
        game->aliases.empty() || !style.aliasTitles ? game->name : game->aliases.front();
    const std::optional<QDate> day = parseDay(dayText);
    const QDate until =
        style.servedUntil.empty()
            ? byDay.rbegin()->first
            : std::max(byDay.rbegin()->first,
                       QDate::fromString(QString::fromStdString(style.servedUntil), u"yyyy-MM-dd"));
    if (!day || *day < byDay.begin()->first || *day > until) return {};
    const bool tenDigits = game->idForm == history::IdForm::TenDigit;

    std::vector<SiteDraw> draws;
    if (auto found = byDay.find(*day); found != byDay.end()) draws = found->second;
    if (revealing && *day == byDay.rbegin()->first)
        draws.resize(std::min(draws.size(), static_cast<size_t>(revealed())));
    // A page of the newest draws only; the others are on pages of their own (下一页).
    const bool morePages = style.newestOnly > 0 && draws.size() > size_t(style.newestOnly);
    if (morePages) draws.erase(draws.begin(), draws.end() - style.newestOnly);
    if (style.newestFirst) std::reverse(draws.begin(), draws.end());

    std::string html = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n";
    html += style.gbk ? "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\n"
                      : "<meta charset=\"utf-8\">\n";
    html += "<title>" + name + " 开奖结果 " + dayText + "</title>\n";
    html += "<style>#draw_list td, #draw_list th { padding: 2px 8px; }</style>\n";
    if (style.hiddenCopies == HiddenCopies::ByClass)
        html += "<style>\n.list .shape, .shape { display: none; }\n/* turned copies */\n"
                "tr.copy { visibility: hidden }\n</style>\n";
    html += "<script>\n"
            "window.addEventListener(\"load\", function () {\n"
            "  var list = document.getElementById(\"draw_list\");\n"
            "  if (list) list.className += \" ready\";\n"
            "});\n"
            "</script>\n</head>\n<body>\n<div class=\"page\">\n";
    html += "<div class=\"header\"><h1>" + name + " 开奖结果</h1><p>开奖日期：" + dayText +
            "</p></div>\n<div class=\"content\">\n";
    if (style.decoyTableInComment)
        html += "<!-- <table id=\"draw_list\"><tr><td>x</td><td>2099010101</td>"
                "<td>01 02 03 04 05</td><td>y</td></tr></table> -->\n";
    if (style.layout != Layout::DrawList) {
        std::vector<ListedEntry> entries;
        for (const SiteDraw& draw : draws) {
            entries.push_back({draw.period, draw.numbers});
            if (style.digitDraws)
                for (int i = 0; i < 5; ++i)
                    (*entries.back().numbers)[i] = (draw.numbers[i] * 3 + i) % 10;
        }
        if (style.placeholders) {
            // The draws still to come today, in the order of the list.
            const int dayBase =
                (day->year() % 100) * 1000000 + day->month() * 10000 + day->day() * 100;
            int last = 0;
            for (const SiteDraw& draw : draws) last = std::max(last, draw.period % 100);
            std::vector<ListedEntry> toCome;
            for (int n = last + 1; n <= game->drawsPerDay(); ++n)
                toCome.push_back({dayBase + n, std::nullopt});
            if (style.newestFirst)
                entries.insert(entries.begin(), toCome.rbegin(), toCome.rend());
            else
                entries.insert(entries.end(), toCome.begin(), toCome.end());
        }
        // The draws of the days before the page's, for a chart whose figures run on from them.
        std::vector<ListedEntry> earlier;
        if (style.carriedOmissions)
            for (auto d = byDay.begin(); d != byDay.end() && d->first < *day; ++d)
                for (const SiteDraw& draw : d->second)
                    earlier.push_back({draw.period, draw.numbers});
        html += layoutList(entries, tenDigits, style, gameCode, earlier);
        if (morePages) html += "<div class=\"pages\"><a href=\"?page=2\">下一页</a></div>\n";
        html += "</div>\n<div class=\"footer\">开奖数据仅供参考</div>\n</div>\n</body>\n"
                "</html>\n";
        return style.gbk ? utf8ToGbk(html) : html;
    }
    html += "<table id=\"draw_list\" class=\"list\">\n";
    const std::string heading =
        "<tr><th>序号</th><th>期号</th><th>开奖号码</th><th>详情</th></tr>\n";
    html += style.withTbody ? "<thead>\n" + heading + "</thead>\n<tbody>\n" : heading;
    int running = 0;
    for (const SiteDraw& draw : draws) {
        std::string numbers;
        for (int number : draw.numbers) {
            if (!numbers.empty()) numbers += style.commaNumbers ? "," : " ";
            numbers += twoDigits(number);
        }
        html += "<tr><td>" + std::to_string(++running) + "</td><td>" +
                periodCell(draw.period, tenDigits) + "</td><td>" + numbers +
                "</td><td><a href=\"#\">详情</a></td></tr>\n";
    }
    if (style.withTbody) html += "</tbody>\n";
    html += "</table>\n</div>\n<div class=\"footer\">开奖数据仅供参考</div>\n</div>\n</body>\n"
            "</html>\n";
    return style.gbk ? utf8ToGbk(html) : html;
}

void ResultsSite::Impl::answer(const QHttpServerRequest& request,
                               QHttpServerResponder&& responder) {
    ++requests;
    static const QString prefix = QStringLiteral("/lottery/draw/list/");
    const QString path = request.url().path();
    std::string body;
    if (path.startsWith(prefix)) {
        const QString code = path.mid(prefix.size());
        bool isNumber = code.size() <= 6 && !code.isEmpty();
        for (QChar c : code) isNumber = isNumber && c >= u'0' && c <= u'9';
        const QUrlQuery query(request.url());
        if (isNumber && query.hasQueryItem(QStringLiteral("d")))
            body = page(code.toInt(), query.queryItemValue(QStringLiteral("d")).toStdString());
    } else if (const auto asked = readAddress(request.url())) {
        body = page(asked->gameCode, asked->day);
    }

    const bool found = !body.empty();
    QByteArray bytes = found ? QByteArray::fromStdString(body)
                             : QByteArrayLiteral("<!DOCTYPE html>\n<html><head><meta "
                                                 "charset=\"utf-8\"><title>404</title></head>"
                                                 "<body><p>页面不存在</p></body></html>\n");
    const QByteArray type = found && style.gbk ? QByteArrayLiteral("text/html")
                                               : QByteArrayLiteral("text/html; charset=utf-8");
    const auto status =
        found ? QHttpServerResponder::StatusCode::Ok : QHttpServerResponder::StatusCode::NotFound;
    if (style.delay.count() <= 0) {
        responder.write(bytes, type, status);
        return;
    }
    // The answer waits on a timer, so the server goes on serving meanwhile. A client that gave
    // up before then has closed its socket: nothing is written.
    auto held = std::make_shared<QHttpServerResponder>(std::move(responder));
    QPointer<QTcpSocket> socket = held->socket();
    QTimer::singleShot(style.delay, server.get(), [held, socket, bytes, type, status] {
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            held->write(bytes, type, status);
    });
}

namespace {

struct StyleName {
    const char* name;
    void (*apply)(PageStyle&);
};

const StyleName kStyleNames[] = {
    {"newest-first", [](PageStyle& s) { s.newestFirst = true; }},
    {"no-tbody", [](PageStyle& s) { s.withTbody = false; }},
    {"comma", [](PageStyle& s) { s.commaNumbers = true; }},
    {"gbk", [](PageStyle& s) { s.gbk = true; }},
    {"decoy", [](PageStyle& s) { s.decoyTableInComment = true; }},
    {"numbers-text", [](PageStyle& s) { s.layout = Layout::NumbersText; }},
    {"numbers-em", [](PageStyle& s) { s.layout = Layout::NumbersEm; }},
    {"numbers-split", [](PageStyle& s) { s.layout = Layout::NumbersSplit; }},
    {"numbers-list", [](PageStyle& s) { s.layout = Layout::NumbersList; }},
    {"numbers-cells", [](PageStyle& s) { s.layout = Layout::NumbersCells; }},
    {"numbers-attribute", [](PageStyle& s) { s.layout = Layout::NumbersAttribute; }},
    {"side-by-side", [](PageStyle& s) { s.layout = Layout::SideBySide; }},
    {"tables-side-by-side", [](PageStyle& s) { s.layout = Layout::TablesSideBySide; }},
    {"mixed", [](PageStyle& s) { s.layout = Layout::Mixed; }},
    {"blocks", [](PageStyle& s) { s.layout = Layout::Blocks; }},
    {"short-ids", [](PageStyle& s) { s.ids = IdForm::Short; }},
    {"dash-ids", [](PageStyle& s) { s.ids = IdForm::Dash; }},
    {"three-digit-ids", [](PageStyle& s) { s.ids = IdForm::ThreeDigit; }},
    {"placeholders", [](PageStyle& s) { s.placeholders = true; }},
    {"time-cells", [](PageStyle& s) { s.layout = Layout::TimeCells; }},
    {"time-in-id-cell", [](PageStyle& s) { s.layout = Layout::TimeInIdCell; }},
    {"trend", [](PageStyle& s) { s.layout = Layout::Trend; }},
    {"script-only", [](PageStyle& s) { s.layout = Layout::ScriptOnly; }},
    {"ajax", [](PageStyle& s) { s.layout = Layout::Ajax; }},
    {"all-games", [](PageStyle& s) { s.layout = Layout::AllGames; }},
    {"split-ids", [](PageStyle& s) { s.ids = IdForm::Split; }},
    {"hidden-copies", [](PageStyle& s) { s.hiddenCopies = HiddenCopies::OwnStyle; }},
    {"class-hidden", [](PageStyle& s) { s.hiddenCopies = HiddenCopies::ByClass; }},
    {"newest-20", [](PageStyle& s) { s.newestOnly = 20; }},
    {"bare-holidays", [](PageStyle& s) { s.bareEmpty = true; }},
    {"digit-draws", [](PageStyle& s) { s.digitDraws = true; }},
    {"carried-omissions", [](PageStyle& s) { s.carriedOmissions = true; }},
    {"alias-titles", [](PageStyle& s) { s.aliasTitles = true; }},
};

} // namespace

bool addStyle(const std::string& name, PageStyle& style) {
    for (const auto& known : kStyleNames)
        if (name == known.name) {
            known.apply(style);
            return true;
        }
    return false;
}

std::vector<std::string> layoutNames() {
    return {"numbers-text", "numbers-em",          "numbers-split",
            "numbers-list", "numbers-cells",       "numbers-attribute",
            "side-by-side", "tables-side-by-side", "mixed",
            "blocks",       "time-cells",          "time-in-id-cell",
            "trend"};
}

ResultsSite::ResultsSite(std::vector<SiteDraw> draws, PageStyle style)
    : impl_(std::make_unique<Impl>()) {
    impl_->style = style;
    std::sort(draws.begin(), draws.end(),
              [](const SiteDraw& a, const SiteDraw& b) { return a.period < b.period; });
    for (const SiteDraw& draw : draws) {
        const QDate day = dayOf(draw.period);
        if (day.isValid()) impl_->byDay[day].push_back(draw);
    }
}

ResultsSite::~ResultsSite() = default;

quint16 ResultsSite::listen(quint16 port) {
    if (!impl_->server) {
        Impl* impl = impl_.get();
        impl_->server = std::make_unique<Server>(
            [impl](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                impl->answer(request, std::move(responder));
            });
    }
    impl_->port = impl_->server->listen(QHostAddress::LocalHost, port);
    return impl_->port;
}

std::string ResultsSite::baseUrl() const {
    return "http://127.0.0.1:" + std::to_string(impl_->port);
}

void ResultsSite::setMissingDays(std::set<std::string> days) {
    impl_->missingDays = std::move(days);
}

void ResultsSite::setPage(const std::string& day, std::string html) {
    impl_->pages[day] = std::move(html);
}

int ResultsSite::requests() const {
    return impl_->requests;
}

int ResultsSite::Impl::revealed() const {
    const int all = byDay.empty() ? 0 : static_cast<int>(byDay.rbegin()->second.size());
    if (!revealing) return all;
    long long count = revealedAtStart;
    if (revealEvery.count() > 0)
        count += (std::chrono::steady_clock::now() - revealStart) / revealEvery;
    return static_cast<int>(std::min<long long>(count, all));
}

void ResultsSite::revealGradually(std::chrono::milliseconds every, int shown) {
    impl_->revealing = true;
    impl_->revealedAtStart = std::max(0, shown);
    impl_->revealEvery = every;
    impl_->revealStart = std::chrono::steady_clock::now();
}

int ResultsSite::revealedDraws() const {
    return impl_->revealed();
}

int ResultsSite::lastDayDraws() const {
    return impl_->byDay.empty() ? 0 : static_cast<int>(impl_->byDay.rbegin()->second.size());
}

std::string ResultsSite::page(int gameCode, const std::string& day) const {
    return impl_->page(gameCode, day);
}

} // namespace site
