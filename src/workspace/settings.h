#pragma once
// The program's settings: typed keys with defaults, read once from the settings store and written
// the moment the user changes a choice. Integers are stored as decimal text, Booleans as the words
// True and False. A stored value that cannot be read or is out of range gives the default.

#include "history/attributes.h"
#include "history/draw_schedule.h"
#include "history/game_catalog.h"
#include "history/period.h"
#include "platform/settings_store.h"
#include "play/plays.h"
#include "search/search_request.h"

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

inline constexpr const char* kApplicationName = "Vantrel11S5";
inline constexpr const char* kSettingsSection = "IniSetting";

// Each value with the key it is stored under.
struct Settings {
    history::Game game = history::Game::Jiangxi;                    // GsZl
    search::PositionMode positionMode = search::PositionMode::Free; // bolZyw (True: free)
    search::PeriodMode periodMode = search::PeriodMode::Last;       // bolSq (True: 上期)
    history::Kind searchKind = history::Number;                     // intLei
    history::Kind resultKind = history::Number;                     // intXianshiLei
    int backDistance = 2;            // intPreQi: N of 前期, one digit
    int combinationSize = 2;         // intZhWSetup
    int zodiacBase = 1;              // SxIni: zodiac values start at 0 or 1
    int segmentBase = 1;             // DsIni: segment values start at 0 or 1
    bool zodiacInAnimalOrder = true; // SxSetup: zodiac values in animal order, else by age
    int updateDays = 6;              // IniSerchDay: days the online update keeps, 2..16; 0: all
    std::string updateSite;          // UpdateSite: the site's base address or address pattern
    play::Prizes prizes;             // Prizes: each play's prize, "q1=13,r2=6,..."
    // The games followed (the game menu), in the player's order: FollowedGames "22,23,562,569".
    std::vector<history::Game> followedGames{std::begin(history::kFirstGames),
                                             std::end(history::kFirstGames)};
    // The player's schedules, by game code: GameSchedules "1037=09:00/20/43;22=09:30/20/42".
    std::map<int, history::DrawSchedule> gameSchedules;
    // The games the player added: AddedGames, a line of the game table each, separated by ";".
    std::vector<history::GameInfo> addedGames;
    // The draw times of the four first games the player set, in kFirstGames order, when set:
    // DrawFirst<code> "HH:MM", DrawEvery<code> minutes. They go over GameSchedules.
    struct DrawTimes {
        std::optional<int> first;
        std::optional<int> every;
        bool operator==(const DrawTimes&) const = default;
    };
    std::array<DrawTimes, 4> drawTimes{};
    bool autoUpdate = false; // AutoUpdate: the online update runs by itself after each draw
    bool autoSearch = true;  // AutoSearch: the last search runs again after a new draw
    std::string alertRules;  // AlertRules: the omission alerts, "q1 any current>=30;..."

    // The schedule of a game in force (history::games(): the shipped table with the changes
    // above); a code the table does not hold has 江西's.
    history::DrawSchedule schedule(history::Game game) const {
        return history::games()->schedule(game);
    }
};

// The text forms of the game keys (GameSchedules, AddedGames), read leniently: items that cannot
// be read are left out.
std::map<int, history::DrawSchedule> readGameSchedules(const std::string& text);
std::string gameSchedulesText(const std::map<int, history::DrawSchedule>& schedules);
std::vector<history::GameInfo> readAddedGames(const std::string& text);
std::string addedGamesText(const std::vector<history::GameInfo>& games);
// "09:30/20/42" (and back): a schedule as GameSchedules holds it.
std::string scheduleItemText(const history::DrawSchedule& schedule);
std::optional<history::DrawSchedule> readScheduleItem(const std::string& text);

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
    // Changes one value from what the store holds now: under the store's change lock the key is
    // read again (another process may have changed it), edit turns its text into the new one (or
    // refuses with an error text), and the new text is taken as set() takes it and written before
    // the lock is let go. A run that is not persistent edits its own value.
    using Edit = std::function<std::optional<std::string>(std::string& text)>;
    std::optional<std::string> change(const std::string& key, const Edit& edit);
    // The same without writing it: the caller saves it once what goes with it has been done.
    std::optional<std::string> assign(const std::string& key, const std::string& text);

    // Writes the key's current value to the store (after a member was changed in values()).
    // Returns why it could not be saved; the value in memory stays changed for this run.
    std::optional<std::string> save(const std::string& key);
    // The last failure to save any key, until taken.
    std::optional<std::string> takeSaveProblem() { return std::exchange(saveProblem_, {}); }
    // What a save that succeeded has to tell (the damaged file it kept a copy of), until taken.
    std::optional<std::string> takeNotice() { return std::exchange(notice_, {}); }
    // Why the key's stored value was not used: its bytes are not text. Empty when it was read.
    std::optional<std::string> damagedValue(const std::string& key) const;
    // The settings file holds lines that are neither a section nor a key and its value.
    std::optional<std::string> unreadableLines() const;
    // While not persistent, changes stay in memory (the command line's options for one run).
    void setPersistent(bool persistent) { persistent_ = persistent; }
    // Direct access for the operations that change a choice; call save() afterwards.
    Settings& mutableValues() { return values_; }

    std::string location() const { return store_.location(); }
    // The store itself, for what the window keeps of its layout in sections of its own.
    platform::SettingsStore& store() { return store_; }
    // Reads every key from the store again (another process may have changed them) and takes the
    // values whose stored text changed since this run last read or wrote them; returns those
    // keys. A run that is not persistent keeps its own values.
    std::vector<std::string> reload();

  private:
    // The values the store holds, and each key's stored text (in the order of keys()).
    Settings load(std::vector<std::optional<std::string>>& stored,
                  std::vector<bool>& damaged) const;
    // Takes the stored values of the key and of the keys checked with it, when they changed.
    void refresh(const std::string& key);

    platform::SettingsStore store_;
    Settings values_;
    std::vector<std::optional<std::string>> stored_;
    std::vector<bool> damaged_;
    bool persistent_ = true;
    std::optional<std::string> saveProblem_;
    std::optional<std::string> notice_;
};

} // namespace app
