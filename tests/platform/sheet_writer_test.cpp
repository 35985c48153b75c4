// The workbook writer, read back from the written file: sheet, cell placement, which texts become
// numbers, the percentage format, and that a failed or cancelled write keeps an earlier file.

#include "platform/file_io.h"
#include "platform/sheet_writer.h"
#include "support/temp_dir.h"
#include "support/workbook_reader.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::readWorkbook;
namespace fs = std::filesystem;

namespace {

platform::SheetGrid gridOf(std::vector<std::vector<std::string>> texts) {
    platform::SheetGrid grid;
    grid.rows = texts.size();
    grid.columns = texts.empty() ? 0 : texts[0].size();
    grid.text = [texts](size_t r, size_t c) { return texts[r][c]; };
    return grid;
}

} // namespace

TEST(SheetWriter, PlacesEveryCellAndWritesNumbersPercentagesAndTexts) {
    testing_support::TempDir dir;
    const std::string path = dir.file("grid.xlsx");
    ASSERT_TRUE(platform::writeSheet(path, gridOf({{"期号", "第1码", "结果", "百分比", "x"},
                                                   {"2016090852", "5", "鼠", "9.072%", ""},
                                                   {"09090852", "-3", "0", "100.000%", "12%"},
                                                   {"007", "-0", "1.5", "09.1%", "3 "}})));

    const auto book = readWorkbook(path);
    EXPECT_EQ(book.sheetNames, std::vector<std::string>{"Sheet1"});
    EXPECT_EQ(book.rowCount(), 4);
    EXPECT_EQ(book.row(1), (std::vector<std::string>{"期号", "第1码", "结果", "百分比", "x"}));
    EXPECT_FALSE(book.at(1, 1).number);

    EXPECT_TRUE(book.at(2, 1).number);
    EXPECT_EQ(book.at(2, 1).value, "2016090852");
    EXPECT_TRUE(book.at(2, 2).number);
    EXPECT_EQ(book.at(2, 2).format, "");
    EXPECT_FALSE(book.at(2, 3).number);
    EXPECT_TRUE(book.at(2, 4).number);
    EXPECT_EQ(book.at(2, 4).value, "0.09072");
    EXPECT_EQ(book.at(2, 4).format, "0.000%");
    EXPECT_EQ(book.cells.count({2, 5}), 0u); // an empty text leaves the cell empty

    // A leading zero keeps the text: the 2009 period id stays as it reads.
    EXPECT_FALSE(book.at(3, 1).number);
    EXPECT_EQ(book.at(3, 1).value, "09090852");
    EXPECT_EQ(book.at(3, 2).value, "-3");
    EXPECT_TRUE(book.at(3, 2).number);
    EXPECT_TRUE(book.at(3, 3).number);
    EXPECT_EQ(book.at(3, 4).value, "1");
    EXPECT_EQ(book.at(3, 4).format, "0.000%");
    EXPECT_EQ(book.at(3, 5).value, "0.12");
    EXPECT_EQ(book.at(3, 5).format, "0%");

    for (int c = 1; c <= 5; ++c) EXPECT_FALSE(book.at(4, c).number) << "column " << c;
    EXPECT_EQ(book.row(4), (std::vector<std::string>{"007", "-0", "1.5", "09.1%", "3 "}));
}

TEST(SheetWriter, AHeaderOnlyGridIsOneRow) {
    testing_support::TempDir dir;
    const std::string path = dir.file("h.xlsx");
    ASSERT_TRUE(platform::writeSheet(path, gridOf({{"序号", "结果", "出现次数", "百分比"}})));
    const auto book = readWorkbook(path);
    EXPECT_EQ(book.rowCount(), 1);
    EXPECT_EQ(book.row(1), (std::vector<std::string>{"序号", "结果", "出现次数", "百分比"}));
}

TEST(SheetWriter, AFailedOrCancelledWriteKeepsTheEarlierFile) {
    testing_support::TempDir dir;
    const std::string path = dir.file("lishi.xlsx");
    ASSERT_TRUE(platform::writeSheet(path, gridOf({{"old"}})));

    // The temporary name is taken by a folder: the write fails, saying where.
    fs::create_directory(platform::pendingName(path));
    try {
        platform::writeSheet(path, gridOf({{"new"}}));
        ADD_FAILURE() << "no error";
    } catch (const platform::FileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_TRUE(fs::is_directory(platform::pendingName(path)));
    fs::remove(platform::pendingName(path));
    EXPECT_EQ(readWorkbook(path).row(1), std::vector<std::string>{"old"});

    // A folder that is a file.
    std::ofstream(dir.file("plain")) << "x";
    EXPECT_THROW(platform::writeSheet(dir.file("plain") + "/a.xlsx", gridOf({{"new"}})),
                 platform::FileError);

    // A cancel at the second report: the earlier file stays and nothing is left beside it.
    platform::SheetGrid many;
    many.rows = 10000;
    many.columns = 2;
    many.text = [](size_t r, size_t) { return std::to_string(r); };
    std::vector<std::pair<size_t, size_t>> reports;
    EXPECT_FALSE(platform::writeSheet(path, many, [&](size_t done, size_t total) {
        reports.emplace_back(done, total);
        return reports.size() < 2;
    }));
    EXPECT_EQ(reports, (std::vector<std::pair<size_t, size_t>>{{0, 10000}, {4096, 10000}}));
    EXPECT_EQ(readWorkbook(path).row(1), std::vector<std::string>{"old"});
    EXPECT_FALSE(fs::exists(platform::pendingName(path)));

    // Written through, the reports end at the total.
    reports.clear();
    EXPECT_TRUE(platform::writeSheet(path, many, [&](size_t done, size_t total) {
        reports.emplace_back(done, total);
        return true;
    }));
    EXPECT_EQ(reports.back(), (std::pair<size_t, size_t>{10000, 10000}));
    const auto book = readWorkbook(path);
    EXPECT_EQ(book.rowCount(), 10000);
    EXPECT_EQ(book.row(10000), (std::vector<std::string>{"9999", "9999"}));
}

// A write error midway (here: the file size limit of the process, hit by the library's temporary
// row file and not by the smaller compressed workbook) is a failed export, and the earlier file
// stays. Run in a child process, whose limit binds nothing else.
TEST(SheetWriter, AWriteErrorInTheTemporaryFilesFailsAndKeepsTheEarlierFile) {
    testing_support::TempDir dir;
    const std::string path = dir.file("lishi.xlsx");
    ASSERT_TRUE(platform::writeSheet(path, gridOf({{"old"}})));

    platform::SheetGrid many;
    many.rows = 40000;
    many.columns = 6;
    many.text = [](size_t r, size_t c) { return std::to_string(r * 7 + c); };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            platform::writeSheet(path, many);
            _exit(0);
        } catch (const platform::FileError&) {
            _exit(1);
        } catch (...) {
            _exit(2);
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "0: reported as written, 2: another error";
    EXPECT_EQ(readWorkbook(path).row(1), std::vector<std::string>{"old"});
    // Nothing is left beside it, the library's temporary files included.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    // Without the limit the same grid is written whole.
    ASSERT_TRUE(platform::writeSheet(path, many));
    EXPECT_EQ(readWorkbook(path).rowCount(), 40000);
}
