#pragma once
// The command-line interface:
// `kelvora11s5 [--data-dir DIR] [--settings FILE] [--game CODE] [COMMAND ...]`.
// Results go to stdout, problems to stderr; exit 0 on success, 1 when an operation is refused or
// the input is bad, 2 on a usage error.

#include "cli/options.h"
#include "history/game_catalog.h"
#include "workspace/number_text.h"
#include "workspace/search_service.h"
#include "workspace/workspace.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct CommandLine {
    std::optional<std::string> dataDir;
    std::optional<std::string> settingsFile;
    std::string command;           // empty: open the window
    std::vector<std::string> args; // the command's own arguments
    std::string error;             // a usage error found while parsing
    bool help = false;             // --help or -h
    bool commandHelp = false;      // COMMAND --help: that command's usage
    bool version = false;          // --version
    // --game: another game's history for this run, as given (a code, a name or an alias) and
    // the game it names (resolveGame).
    std::optional<std::string> gameText;
    std::optional<history::Game> game;
};

CommandLine parseCommandLine(int argc, char* argv[]);
CommandLine parseCommandLine(const std::vector<std::string>& arguments);
std::string usageText();

// Answers what needs no workspace: a usage error (status 2), --help and --version (status 0).
// Nothing when the command line opens the window or runs a command.
std::optional<int> answerWithoutWorkspace(const CommandLine& line, std::ostream& out,
                                          std::ostream& err);

// Finds the game --game names among the games known (the shipped table and the player's own);
// for a text that names none, says so on err with the closest games and gives status 2.
std::optional<int> resolveGame(CommandLine& line, std::ostream& err);
// "没有彩种“X”。最接近的是：……": for a game text that names no game.
std::string unknownGameText(const history::GameCatalog& catalog, const std::string& text);

// The workspace options a command line asks for (default data folder when none is given).
WorkspaceOptions workspaceOptions(const CommandLine& line);

// Runs a command on a workspace opened as the command line says.
int runCommand(const CommandLine& line, std::ostream& out, std::ostream& err);
// Runs a command on a given workspace (tests).
int runCommand(Workspace& workspace, const std::string& command,
               const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// ---- command table ----
enum ExitCode { kExitOk = 0, kExitRefused = 1, kExitUsage = 2 };

// Flushes out; when what was printed did not all reach it (a full disk, a pipe whose reader is
// gone, a closed standard output), says so on err and turns a success into kExitRefused.
// Returns status otherwise. runCommand does this after every command.
int outputChecked(int status, std::ostream& out, std::ostream& err);

// Thrown by a command for a usage error; the message goes to stderr and the exit status is 2.
struct UsageError {
    std::string message;
};

struct CommandContext {
    Workspace& workspace;
    const std::vector<std::string>& args; // as given
    const ParsedArguments& given;         // parsed by the command's declaration
    std::ostream& out;
    std::ostream& err;
};

struct CommandSpec {
    std::string name;
    CommandSyntax syntax; // its options, and the words of its usage line
    bool needsDatabase;   // refuse when the database could not be opened
    std::function<int(CommandContext&)> run;
};

// Each group of commands lives in its own file and registers here.
void addHistoryCommands(std::vector<CommandSpec>& table);
void addSearchCommands(std::vector<CommandSpec>& table);
void addMaintenanceCommands(std::vector<CommandSpec>& table);
void addExportCommands(std::vector<CommandSpec>& table);
void addOmissionCommands(std::vector<CommandSpec>& table);
void addBacktestCommands(std::vector<CommandSpec>& table);
void addGamesCommands(std::vector<CommandSpec>& table);
void addPlayCommands(std::vector<CommandSpec>& table);
void addPlanCommands(std::vector<CommandSpec>& table);
void addShrinkCommands(std::vector<CommandSpec>& table);
void addLiveCommands(std::vector<CommandSpec>& table);
void addTicketCommands(std::vector<CommandSpec>& table);

// ---- shared by the commands ----
// A kind given as 0..5 or number, zodiac, head, tail, sum, segment; throws UsageError otherwise.
history::Kind parseKind(const std::string& text);
// The whole number an option was given, low..high; throws UsageError naming the range otherwise.
std::uint64_t wholeOptionValue(const std::string& option, const std::string& text,
                               std::uint64_t low, std::uint64_t high);

// ---- shared by the commands that run a search ----
// Which search the options ask for: the pattern search, the combination search, or the
// combination search when --size is given and the pattern search otherwise.
enum class SearchChoice { Pattern, Combination, BySize };
// Which search the options chose: the combination search, or the pattern search over positions.
struct SearchShape {
    bool combination = false;
    std::array<bool, 5> positions{true, true, true, true, true};
};
// The options of `search` (the pattern search) or `combo` (the combination search), --json
// included; BySize: those of both, each with no part of the usage line (a command that runs
// either search names them in its own words).
std::vector<OptionSpec> searchOptions(SearchChoice choice);
// True for an option of searchOptions(BySize) other than --json.
bool isSearchOption(const std::string& name);
// Applies the search options given to the workspace for this run only. --json is taken only when
// json is given (and sets it). Returns kExitOk, or kExitRefused with the message on c.err; throws
// UsageError for a bad value.
int applySearchOptions(CommandContext& c, const GivenOptions& given, SearchChoice choice,
                       SearchShape& shape, bool* json = nullptr);
// Applies the search options given to the workspace for this run only and runs that search into
// result. --json is taken only when json is given (and sets it). Returns kExitOk, or
// kExitRefused with the message on c.err; throws UsageError for a bad value. Without storeState
// the search is computed in memory only and the history file is left as it was.
int searchWithOptions(CommandContext& c, const GivenOptions& given, SearchChoice choice,
                      SearchResult& result, bool* json = nullptr, bool storeState = true);

} // namespace app
