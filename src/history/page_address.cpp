#include "history/page_address.h"

#include "history/game_catalog.h"

#include <array>
#include <cstdio>

namespace history {

namespace {

constexpr std::array<const char*, 5> kPlaceholders = {"{code}", "{key}", "{date}", "{yyyymmdd}",
                                                      "{yymmdd}"};

std::string trimmedBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isPattern(const std::string& site) {
    return site.find('{') != std::string::npos || site.find('}') != std::string::npos;
}

std::string fill(std::string text, const std::string& placeholder, const std::string& value) {
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
}

} // namespace

std::string normalisedSiteAddress(const std::string& site) {
    std::string text = trimmedBlanks(site);
    if (!isPattern(text))
        while (!text.empty() && text.back() == '/') text.pop_back();
    return text;
}

std::optional<std::string> siteAddressProblem(const std::string& raw) {
    const std::string site = normalisedSiteAddress(raw);
    if (site.empty()) return std::nullopt;
    const bool web = site.rfind("http://", 0) == 0 || site.rfind("https://", 0) == 0;
    const size_t host = site.find("//") + 2;
    if (!web || site.find_first_of(" \t\r\n") != std::string::npos || site.size() <= host ||
        site[host] == '/' || site[host] == '{')
        return std::string(
            "UpdateSite 的值必须是网址，例如 http://127.0.0.1:8080，"
            "或带占位符的完整网址，例如 http://127.0.0.1:8080/kj/{code}/{date}.html");
    if (!isPattern(site)) return std::nullopt;
    bool day = false;
    for (size_t at = 0; at < site.size(); ++at) {
        if (site[at] == '}') return std::string("网址中的“}”前面少了“{”");
        if (site[at] != '{') continue;
        const size_t end = site.find('}', at);
        if (end == std::string::npos) return std::string("网址中的“{”后面少了“}”");
        const std::string name = site.substr(at, end - at + 1);
        bool known = false;
        for (const char* placeholder : kPlaceholders) known = known || name == placeholder;
        if (!known)
            return "网址中的" + name +
                   "无法识别：可用的占位符是{code}、{key}、{date}、{yyyymmdd}、{yymmdd}";
        day = day || (name != "{code}" && name != "{key}");
        at = end;
    }
    if (!day)
        return std::string("网址中没有日期：请用{date}、{yyyymmdd}或{yymmdd}写出日期的位置，"
                           "否则每一天读到的都是同一个网页");
    return std::nullopt;
}

std::string dayPageAddress(const std::string& raw, int gameCode, Date day) {
    const std::string site = normalisedSiteAddress(raw);
    const std::string iso = isoDay(day);
    if (!isPattern(site))
        return site + "/lottery/draw/list/" + std::to_string(gameCode) + "?d=" + iso;
    const std::string yyyymmdd = iso.substr(0, 4) + iso.substr(5, 2) + iso.substr(8, 2);
    const auto* game = games()->find(Game{gameCode});
    std::string address = fill(site, "{code}", std::to_string(gameCode));
    address = fill(address, "{key}", game ? game->key : std::to_string(gameCode));
    address = fill(address, "{date}", iso);
    address = fill(address, "{yyyymmdd}", yyyymmdd);
    return fill(address, "{yymmdd}", yyyymmdd.substr(2));
}

} // namespace history
