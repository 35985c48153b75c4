#pragma once
// The program's settings: typed keys with defaults, read once from the settings store and written
// the moment the user changes a choice. Integers are stored as decimal text, Booleans as the words
// True and False. A stored value that cannot be read or is out of range gives the default.

#include "platform/settings_store.h"

#include <optional>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* kApplicationName = "Vantrel11S5";
inline constexpr const char* kSettingsSection = "IniSetting";

struct Settings {
    int GsZl = 22;         // game code: 22, 23, 562 or 569
    bool bolZyw = true;    // free position (自由位) rather than fixed (固定位)
    bool bolSq = true;     // 上期 rather than 前期
    int intLei = 0;        // search type 0..5
    int intXianshiLei = 0; // result type 0..5
    int intPreQi = 2;      // period distance N of 前期, one digit
    int intZhWSetup = 2;   // combination size
    int SxIni = 1;         // zodiac numbering base 0 or 1
    int DsIni = 1;         // segment numbering base 0 or 1
    bool SxSetup = false;  // zodiac values in animal order (True) or by age (False)
    int IniSerchDay = 6;   // days the online update keeps, 2..16
};

// The game codes of the game menu, in menu order.
inline constexpr int kGameCodes[4] = {22, 23, 562, 569};
// The index of a game code in the menu, -1 for a code the menu does not offer.
int gameMenuIndex(int gameCode);

class SettingsFile {
  public:
    explicit SettingsFile(platform::SettingsStore store);

    const Settings& values() const { return values_; }

    // Every key, in the order of the settings table.
    static const std::vector<std::string>& keys();

    // The text form of a key's current value; empty for an unknown key.
    std::optional<std::string> text(const std::string& key) const;

    // Changes one value as the menus and boxes would, and writes it. Returns an error text when
    // the key is unknown or the value is not one the program offers; nothing changes then.
    std::optional<std::string> set(const std::string& key, const std::string& text);

    // Writes the key's current value to the store (after a member was changed in values()).
    void save(const std::string& key);
    // While not persistent, changes stay in memory (the command line's options for one run).
    void setPersistent(bool persistent) { persistent_ = persistent; }
    // Direct access for the operations that change a choice; call save() afterwards.
    Settings& mutableValues() { return values_; }

    std::string location() const { return store_.location(); }

  private:
    void load();

    platform::SettingsStore store_;
    Settings values_;
    bool persistent_ = true;
};

} // namespace app
