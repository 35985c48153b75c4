#include "cli/commands.h"

#include "workspace/game_service.h"

#include "platform/descriptor_output.h"
#include "platform/file_io.h"
#include "workspace/data_folder.h"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <set>

namespace app {

namespace {

constexpr const char* kUsagePrefix = "用法：kelvora11s5 ";

const std::vector<CommandSpec>& commandTable() {
    static const std::vector<CommandSpec> table = [] {
        std::vector<CommandSpec> t;
        addHistoryCommands(t);
        addSearchCommands(t);
        addMaintenanceCommands(t);
        addExportCommands(t);
        addOmissionCommands(t);
        addBacktestCommands(t);
        addGamesCommands(t);
        addPlayCommands(t);
        addPlanCommands(t);
        addShrinkCommands(t);
        addLiveCommands(t);
        addTicketCommands(t);
        return t;
    }();
    return table;
}

const CommandSpec* findCommand(const std::string& name) {
    for (const auto& entry : commandTable())
        if (entry.name == name) return &entry;
    return nullptr;
}

} // namespace

int outputChecked(int status, std::ostream& out, std::ostream& err) {
    out.flush();
    int error = 0;
    if (const auto* descriptor = dynamic_cast<const platform::DescriptorOutput*>(out.rdbuf()))
        error = descriptor->error();
    if (out && error == 0) return status;
    err << "命令的输出没有全部写出到标准输出："
        << (error != 0 ? platform::systemReason(error) : std::string("无法写入"))
        << "。输出不完整，请检查输出的去处（磁盘空间、管道另一端的程序）后重试。\n";
    return status == kExitOk ? kExitRefused : status;
}

std::uint64_t wholeOptionValue(const std::string& option, const std::string& text,
                               std::uint64_t low, std::uint64_t high) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        throw UsageError{option + " 后面要跟" + std::to_string(low) + "到" + std::to_string(high) +
                         "之间的整数，不是“" + text + "”"};
    return value;
}

history::Kind parseKind(const std::string& text) {
    static const char* names[] = {"number", "zodiac", "head", "tail", "sum", "segment"};
    for (int i = 0; i < history::kKinds; ++i)
        if (text == names[i] || text == std::to_string(i)) return history::Kind(i);
    throw UsageError{"类型是0到5或 number、zodiac、head、tail、sum、segment，不是“" + text + "”"};
}

CommandLine parseCommandLine(int argc, char* argv[]) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return parseCommandLine(arguments);
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--data-dir" || a == "--settings") {
            if (i + 1 >= arguments.size()) {
                line.error = a + " 后面要跟一个值";
                return line;
            }
            (a == "--data-dir" ? line.dataDir : line.settingsFile) = arguments[++i];
        } else if (a == "--game") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                line.error = "--game 后面要跟彩种的编号或名称（例如 22、山东11选5、十一运夺金）";
                return line;
            }
            // Which game it names is known once the player's games are read (resolveGame).
            line.gameText = arguments[++i];
        } else if (a == "--help" || a == "-h") {
            line.help = true;
        } else if (a == "--version") {
            line.version = true;
        } else if (a.rfind("--", 0) == 0) {
            line.error = "没有这个选项：" + a;
            return line;
        } else {
            break;
        }
    }
    if (i < arguments.size()) {
        line.command = arguments[i];
        line.args.assign(arguments.begin() + static_cast<long>(i) + 1, arguments.end());
        if (!findCommand(line.command)) line.error = "没有这个命令：" + line.command;
        line.commandHelp =
            std::find(line.args.begin(), line.args.end(), "--help") != line.args.end() ||
            std::find(line.args.begin(), line.args.end(), "-h") != line.args.end();
    }
    return line;
}

std::string usageText() {
    std::string text = std::string(kUsagePrefix) +
                       "[--data-dir DIR] [--settings FILE] [--game CODE] [COMMAND ...]\n"
                       "      kelvora11s5 --help | --version\n"
                       "不带命令时打开窗口。命令：\n";
    for (const auto& entry : commandTable())
        text += "  " + usageLine(entry.name, entry.syntax) + "\n";
    return text;
}

std::optional<int> answerWithoutWorkspace(const CommandLine& line, std::ostream& out,
                                          std::ostream& err) {
    if (!line.error.empty()) {
        err << line.error << "\n" << usageText();
        return kExitUsage;
    }
    if (line.help) {
        out << usageText();
        return outputChecked(kExitOk, out, err);
    }
    if (line.commandHelp) {
        const CommandSpec& entry = *findCommand(line.command);
        out << kUsagePrefix << usageLine(entry.name, entry.syntax) << "\n"
            << optionHelp(entry.syntax);
        return outputChecked(kExitOk, out, err);
    }
    if (line.version) {
        out << "kelvora11s5 " << K11_VERSION << "\n";
        return outputChecked(kExitOk, out, err);
    }
    return std::nullopt;
}

WorkspaceOptions workspaceOptions(const CommandLine& line) {
    WorkspaceOptions options;
    options.dataDir = line.dataDir ? *line.dataDir : defaultDataFolder();
    options.settingsFile = line.settingsFile;
    options.game = line.game;
    return options;
}

std::optional<int> resolveGame(CommandLine& line, std::ostream& err) {
    if (!line.gameText || line.game) return std::nullopt;
    const SettingsFile settings(line.settingsFile
                                    ? platform::SettingsStore::fromFile(*line.settingsFile)
                                    : platform::SettingsStore(kApplicationName));
    const history::GameCatalog catalog =
        gamesWithChanges(shippedGames().catalog, settings.values());
    if (const auto* game = catalog.lookup(*line.gameText)) {
        line.game = game->game;
        return std::nullopt;
    }
    err << unknownGameText(catalog, *line.gameText) << "\n" << usageText();
    return kExitUsage;
}

std::string unknownGameText(const history::GameCatalog& catalog, const std::string& text) {
    std::string near;
    for (const auto* game : catalog.closest(text, 3))
        near +=
            (near.empty() ? "" : "、") + game->name + "（" + std::to_string(game->code()) + "）";
    return "没有彩种“" + text + "”。最接近的是：" + near + "。全部彩种见 games --all";
}

int runCommand(const CommandLine& given, std::ostream& out, std::ostream& err) {
    CommandLine line = given;
    if (const auto status = resolveGame(line, err)) return *status;
    WorkspaceOptions options = workspaceOptions(line);
    // A command that searches reads the search's text columns while the history loads.
    const auto& c = line.command;
    const bool searchingBet =
        c == "bet" && std::find(line.args.begin(), line.args.end(), "search") != line.args.end();
    if (c == "search" || c == "combo" || c == "backtest" || c == "export-sheet" || searchingBet) {
        options.readSearchColumnsAhead = true;
        const auto type = std::find(line.args.begin(), line.args.end(), "--type");
        if (type != line.args.end() && type + 1 != line.args.end()) {
            try {
                options.searchKindAhead = parseKind(*(type + 1));
            } catch (const UsageError&) {
                // The command says so itself.
            }
        }
    }
    // A command that reads no draw opens the history without reading them: it takes the same
    // few milliseconds at any history size.
    static const std::set<std::string> withoutDraws = {"get", "set", "clock", "games"};
    options.readDraws = !withoutDraws.count(c);
    Workspace workspace(options);
    return runCommand(workspace, line.command, line.args, out, err);
}

int runCommand(Workspace& workspace, const std::string& command,
               const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const CommandSpec* entry = findCommand(command);
    if (!entry) {
        err << "没有这个命令：" << command << "\n" << usageText();
        return kExitUsage;
    }
    if (entry->needsDatabase && !workspace.databaseOpen()) {
        err << workspace.databaseProblem() << "\n";
        return kExitRefused;
    }
    if (const std::string notice = workspace.takeDatabaseNotice(); !notice.empty())
        err << notice << "\n";
    // Rows that cannot be a draw are named by every command; only the commands that remove them,
    // replace the history, leave its draws unread or list them as stored (as the window's grid
    // does, so the user can see the rows) run while they are there.
    if (const Outcome sound = workspace.checkDraws(); !sound.ok) {
        static const std::set<std::string> runAnyway = {
            "repair", "import", "clear", "delete-newest", "games", "get", "set", "history", "hall"};
        if (!runAnyway.count(command)) {
            err << sound.message << "\n";
            return kExitRefused;
        }
        if (command != "repair")
            err << "历史号码中有损坏的行：" << history::describeDamagedRows(workspace.damagedRows())
                << "。\n";
    }
    int status = kExitOk;
    try {
        const ParsedArguments given = parseArguments(entry->syntax, args);
        CommandContext context{workspace, args, given, out, err};
        status = entry->run(context);
        // A setting saved over a damaged settings file: where the file's copy is.
        if (const auto notice = workspace.settingsFile().takeNotice()) err << *notice << "\n";
    } catch (const UsageError& e) {
        err << e.message << "\n" << kUsagePrefix << usageLine(entry->name, entry->syntax) << "\n";
        status = kExitUsage;
    }
    // Whatever the command printed must have reached its destination: a full disk or a closed
    // pipe is a failure, never a success with the output cut short.
    return outputChecked(status, out, err);
}

} // namespace app
