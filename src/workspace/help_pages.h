#pragma once
// The help pages that ship inside the program: an about page, the user guide and short
// walkthroughs. They are written into the folder 帮助 of the data folder, where the system web
// browser can open them, whenever they are missing or were written by another version.

#include <string>

namespace app {

enum class HelpPage { About, Guide, Walkthroughs };

struct HelpPagesResult {
    bool ok = true;
    // The page asked for, as a full path (also when writing failed: where it would be).
    std::string path;
    // Why the pages could not be written; empty when ok.
    std::string message;
};

// The folder the pages are written into: <dataDir>/帮助.
std::string helpFolder(const std::string& dataDir);

// Makes sure the pages of this version are in the data folder and names the page asked for.
// The about page carries the program's version and the data folder. Pages already written by
// this version for this data folder are left as they are.
HelpPagesResult prepareHelpPage(const std::string& dataDir, HelpPage page);

} // namespace app
