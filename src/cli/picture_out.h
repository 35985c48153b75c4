#pragma once
// Commands that write a picture or a PDF with --out FILE.png|.svg|.pdf: the tables they print,
// painted with the window's page painter and written as every export is.

#include "cli/commands.h"

#include <memory>
#include <string>
#include <vector>

class QAbstractItemModel;
class QStandardItemModel;

namespace search {
class BasicTrend;
}

namespace app {

// Whether a file named for --out is a picture or a PDF (by its extension).
bool isPictureFile(const std::string& path);
// Whether the command line writes one: then it needs the painting of QtGui (main() makes the
// application object for it).
bool writesPicture(const CommandLine& line);

// A table of texts with a heading row.
std::unique_ptr<QStandardItemModel> textTable(const std::vector<std::string>& heading,
                                              const std::vector<std::vector<std::string>>& rows);

// Writes the tables under a title line naming the game, what they show and their span, to path.
// Prints the path written when printPath; kExitRefused with the reason on c.err when nothing
// was written.
int writePictureOut(CommandContext& c, const std::string& what, const std::string& span,
                    const std::vector<const QAbstractItemModel*>& tables, const std::string& path,
                    bool printPath);

// The basic trend chart: each period's draw, each number's omission or the number itself on a
// ball's colour where it was drawn, the shapes of the draw, then the summary rows.
int writeBasicTrendPicture(CommandContext& c, const search::BasicTrend& trend,
                           const std::string& path);

} // namespace app
