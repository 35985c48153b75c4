#include "app/settings.h"

#include <algorithm>
#include <charconv>
#include <functional>

namespace app {

namespace {

struct Key {
    const char* name;
    int Settings::*intMember = nullptr;
    bool Settings::*boolMember = nullptr;
    // Values accepted from the store (anything else gives the default).
    std::function<bool(int)> readable;
    // Values the menus and boxes can set; `set` accepts only these.
    std::function<bool(int)> offered;
    const char* offeredText = "";
};

bool in16Bit(int v) {
    return v >= -32768 && v <= 32767;
}
std::function<bool(int)> range(int low, int high) {
    return [=](int v) { return v >= low && v <= high; };
}

const std::vector<Key>& keyTable() {
    static const std::vector<Key> table = {
        {"GsZl", &Settings::GsZl, nullptr, in16Bit, [](int v) { return gameMenuIndex(v) >= 0; },
         "22, 23, 562 或 569"},
        {"bolZyw", nullptr, &Settings::bolZyw, {}, {}, "True 或 False"},
        {"bolSq", nullptr, &Settings::bolSq, {}, {}, "True 或 False"},
        {"intLei", &Settings::intLei, nullptr, range(0, 5), range(0, 5), "0 到 5"},
        {"intXianshiLei", &Settings::intXianshiLei, nullptr, range(0, 5), range(0, 5), "0 到 5"},
        {"intPreQi", &Settings::intPreQi, nullptr, range(0, 9), range(0, 9), "0 到 9"},
        {"intZhWSetup", &Settings::intZhWSetup, nullptr, range(1, 5), range(1, 5), "1 到 5"},
        {"SxIni", &Settings::SxIni, nullptr, range(0, 1), range(0, 1), "0 或 1"},
        {"DsIni", &Settings::DsIni, nullptr, range(0, 1), range(0, 1), "0 或 1"},
        {"SxSetup", nullptr, &Settings::SxSetup, {}, {}, "True 或 False"},
        {"IniSerchDay", &Settings::IniSerchDay, nullptr, range(2, 16), range(2, 16), "2 到 16"},
    };
    return table;
}

const Key* findKey(const std::string& name) {
    for (const auto& key : keyTable())
        if (name == key.name) return &key;
    return nullptr;
}

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

std::optional<bool> parseBool(const std::string& raw) {
    std::string text = trimmed(raw);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (text == "true") return true;
    if (text == "false") return false;
    return std::nullopt;
}

} // namespace

int gameMenuIndex(int gameCode) {
    for (int i = 0; i < 4; ++i)
        if (kGameCodes[i] == gameCode) return i;
    return -1;
}

SettingsFile::SettingsFile(platform::SettingsStore store) : store_(std::move(store)) {
    load();
}

const std::vector<std::string>& SettingsFile::keys() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const auto& key : keyTable()) n.emplace_back(key.name);
        return n;
    }();
    return names;
}

void SettingsFile::load() {
    values_ = Settings{};
    for (const auto& key : keyTable()) {
        const auto stored = store_.read(kSettingsSection, key.name);
        if (!stored) continue;
        if (key.boolMember) {
            if (const auto b = parseBool(*stored)) values_.*key.boolMember = *b;
        } else if (const auto v = parseInt(*stored); v && key.readable(*v)) {
            values_.*key.intMember = *v;
        }
    }
}

std::optional<std::string> SettingsFile::text(const std::string& name) const {
    const Key* key = findKey(name);
    if (!key) return std::nullopt;
    if (key->boolMember) return values_.*key->boolMember ? "True" : "False";
    return std::to_string(values_.*key->intMember);
}

std::optional<std::string> SettingsFile::set(const std::string& name, const std::string& text) {
    const Key* key = findKey(name);
    if (!key) return "没有这个设置项：" + name;
    if (key->boolMember) {
        const auto b = parseBool(text);
        if (!b) return name + " 的值必须是 " + key->offeredText;
        values_.*key->boolMember = *b;
    } else {
        const auto v = parseInt(text);
        if (!v || !key->offered(*v)) return name + " 的值必须是 " + key->offeredText;
        values_.*key->intMember = *v;
    }
    save(name);
    return std::nullopt;
}

void SettingsFile::save(const std::string& name) {
    if (!persistent_) return;
    if (const auto value = text(name)) store_.write(kSettingsSection, name, *value);
}

} // namespace app
