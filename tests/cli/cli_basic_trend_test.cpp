// `omission --basic`: the basic trend chart against a direct count over a hand-made history.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

namespace {

using testing_support::CliRun;
using Draw = std::array<int, 5>;

// Twelve draws, 2016090801..2016090812; the span of the checks starts at the third.
const std::vector<Draw> kDraws = {{5, 3, 8, 1, 11},  {1, 2, 3, 4, 5},   {2, 4, 6, 8, 10},
                                  {1, 3, 5, 7, 9},   {11, 10, 9, 8, 7}, {1, 2, 3, 4, 5},
                                  {6, 7, 8, 9, 10},  {3, 6, 9, 11, 1},  {2, 5, 8, 11, 4},
                                  {1, 2, 3, 10, 11}, {4, 5, 6, 7, 8},   {9, 10, 11, 1, 2}};

class BasicTrendCommandTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }
    void addDraws() {
        for (size_t i = 0; i < kDraws.size(); ++i) {
            std::vector<std::string> args{"add"};
            if (i == 0) args.insert(args.end(), {"--period", "2016090801"});
            for (int n : kDraws[i]) args.push_back(std::to_string(n));
            ASSERT_EQ(run(args).status, 0);
        }
    }
    testing_support::TempDir dir;
};

bool drawn(const Draw& d, int n) {
    return std::find(d.begin(), d.end(), n) != d.end();
}

// 冷温热 of a number at any position by its last ten periods: 热 six or more, or five with the
// latest; 冷 three or fewer, or four with the latest two missing; the rest 温.
QString heatOf(long last10, long omission) {
    if (last10 > 5 || (last10 == 5 && omission == 0)) return "热";
    if (last10 < 4 || (last10 == 4 && omission >= 2)) return "冷";
    return "温";
}

std::string three(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

// The omission of number n at history row r, counted back over the whole history: 0 where r
// draws it, else the rows since the last one that did, or since the history's first.
long wholeOmission(size_t r, int n) {
    for (size_t back = 0; back <= r; ++back)
        if (drawn(kDraws[r - back], n)) return static_cast<long>(back);
    return static_cast<long>(r) + 1;
}

TEST_F(BasicTrendCommandTest, RowsAndSummaryAgreeWithADirectCount) {
    addDraws();
    const auto result =
        run({"omission", "--basic", "--from", "2016090803", "--to", "2016090811", "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    // The form of a row, exactly: 07 and 09 were never drawn before, 11 two periods ago.
    EXPECT_NE(result.out.find("{\"period\":\"2016090803\",\"draw\":\"02 04 06 08 10\","
                              "\"cells\":[1,0,1,0,1,0,3,0,3,0,2],\"sum\":30,"
                              "\"span\":8,\"odd\":\"0:5\",\"big\":\"3:2\",\"prime\":"
                              "\"1:4\",\"route\":\"1:2:2\",\"repeat\":2,\"repeats\":[2,4],"
                              "\"consecutive\":[]}"),
              std::string::npos)
        << result.out;
    const QJsonObject doc = QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
    const size_t first = 2, periods = 9;
    ASSERT_EQ(doc["periods"].toInt(), static_cast<int>(periods));
    const QJsonArray rows = doc["rows"].toArray();
    ASSERT_EQ(rows.size(), static_cast<qsizetype>(periods));

    const QJsonObject summary = doc["summary"].toObject();
    for (int n = 1; n <= 11; ++n) {
        SCOPED_TRACE(n);
        const auto k = static_cast<qsizetype>(n - 1);
        // The span's own figures, counted from its first period.
        long omission = 0, count = 0, max = 0, run = 0, maxRun = 0, last10 = 0;
        for (size_t i = 0; i < periods; ++i) {
            const Draw& d = kDraws[first + i];
            omission = drawn(d, n) ? 0 : omission + 1;
            run = drawn(d, n) ? run + 1 : 0;
            count += drawn(d, n);
            if (i + 10 >= periods) last10 += drawn(d, n);
            max = std::max(max, omission);
            maxRun = std::max(maxRun, run);
            // Every shown row carries the omission over from the whole history.
            EXPECT_EQ(rows[static_cast<qsizetype>(i)]["cells"][k].toInt(),
                      wholeOmission(first + i, n))
                << i;
        }
        // The true figures: the longest omission of the history up to the span's last period.
        long wholeMax = 0;
        for (size_t r = 0; r < first + periods; ++r)
            wholeMax = std::max(wholeMax, wholeOmission(r, n));
        const long current = wholeOmission(first + periods - 1, n);
        const double average = double(periods) / double(count + 1);
        EXPECT_EQ(summary["count"][k].toInt(), count);
        EXPECT_EQ(summary["max"][k].toInt(), wholeMax);
        EXPECT_EQ(summary["current"][k].toInt(), current);
        EXPECT_EQ(summary["span_max"][k].toInt(), max);
        EXPECT_EQ(summary["span_current"][k].toInt(), omission);
        EXPECT_EQ(summary["max_run"][k].toInt(), maxRun);
        EXPECT_EQ(summary["last10"][k].toInt(), last10);
        EXPECT_EQ(three(summary["average"][k].toDouble()), three(average));
        EXPECT_EQ(three(summary["expected"][k].toDouble()), three(periods * 5.0 / 11.0));
        EXPECT_EQ(three(summary["ratio"][k].toDouble()), three(current / average));
        // The same ratio under the key that says what it is.
        EXPECT_EQ(summary["omission_ratio"][k].toDouble(), summary["ratio"][k].toDouble());
        EXPECT_TRUE(summary["heat"][k].isNull()); // a span of fewer than ten periods
    }
    // Over the last ten periods the marks go by the whole history's current omission.
    const auto ten = run({"omission", "--basic", "--from", "2016090803", "--json"});
    ASSERT_EQ(ten.status, 0) << ten.err;
    const QJsonObject tenSummary =
        QJsonDocument::fromJson(QByteArray::fromStdString(ten.out)).object()["summary"].toObject();
    for (int n = 1; n <= 11; ++n) {
        long last10 = 0;
        for (size_t r = 2; r < kDraws.size(); ++r) last10 += drawn(kDraws[r], n);
        EXPECT_EQ(tenSummary["heat"][n - 1].toString(),
                  heatOf(last10, wholeOmission(kDraws.size() - 1, n)))
            << n;
    }

    // 11 stays away for the three periods before 2016090805, the span's third: its true
    // longest omission reaches back before the span, which holds only the span's own.
    EXPECT_EQ(summary["max"][10].toInt(), 3);
    EXPECT_EQ(summary["span_max"][10].toInt(), 2);

    // The sums and spans of the span's draws.
    const QJsonObject sum = summary["sum"].toObject();
    const QJsonObject span = summary["span"].toObject();
    int sumLow = 99, sumHigh = 0, total = 0;
    std::map<int, int> spans;
    for (size_t i = 0; i < periods; ++i) {
        const Draw& d = kDraws[first + i];
        const int s = d[0] + d[1] + d[2] + d[3] + d[4];
        sumLow = std::min(sumLow, s), sumHigh = std::max(sumHigh, s), total += s;
        const auto [low, high] = std::minmax_element(d.begin(), d.end());
        ++spans[*high - *low];
    }
    EXPECT_EQ(sum["low"].toInt(), sumLow);
    EXPECT_EQ(sum["high"].toInt(), sumHigh);
    EXPECT_EQ(three(sum["average"].toDouble()), three(double(total) / periods));
    EXPECT_EQ(three(sum["expected"].toDouble()), three(30));
    const QJsonArray spanValues = span["values"].toArray();
    ASSERT_EQ(spanValues.size(), 7);
    double expectedSpans = 0;
    for (qsizetype v = 0; v < spanValues.size(); ++v) {
        EXPECT_EQ(spanValues[v].toInt(), 4 + v);
        EXPECT_EQ(span["count"][v].toInt(), spans[spanValues[v].toInt()]) << v;
        expectedSpans += span["expected"][v].toDouble();
    }
    EXPECT_NEAR(expectedSpans, double(periods), 0.01);

    // The shape columns of every row; the repeat of the span's first period compares with the
    // period before the span.
    for (size_t i = 0; i < periods; ++i) {
        SCOPED_TRACE(i);
        const Draw& d = kDraws[first + i];
        const Draw& before = kDraws[first + i - 1];
        const QJsonObject row = rows[static_cast<qsizetype>(i)].toObject();
        int sum = 0, odd = 0, big = 0, prime = 0, repeat = 0;
        std::array<int, 3> routes{};
        for (int n : d) {
            sum += n;
            odd += n % 2;
            big += n >= 6;
            prime += std::set<int>{1, 2, 3, 5, 7, 11}.count(n) ? 1 : 0;
            ++routes[static_cast<size_t>(n % 3)];
            repeat += drawn(before, n);
        }
        const auto [low, high] = std::minmax_element(d.begin(), d.end());
        EXPECT_EQ(row["sum"].toInt(), sum);
        EXPECT_EQ(row["span"].toInt(), *high - *low);
        EXPECT_EQ(row["odd"].toString().toStdString(),
                  std::to_string(odd) + ":" + std::to_string(5 - odd));
        EXPECT_EQ(row["big"].toString().toStdString(),
                  std::to_string(big) + ":" + std::to_string(5 - big));
        EXPECT_EQ(row["prime"].toString().toStdString(),
                  std::to_string(prime) + ":" + std::to_string(5 - prime));
        EXPECT_EQ(row["route"].toString().toStdString(), std::to_string(routes[0]) + ":" +
                                                             std::to_string(routes[1]) + ":" +
                                                             std::to_string(routes[2]));
        EXPECT_EQ(row["repeat"].toInt(), repeat);
        // 重号 and 连号 by number.
        QJsonArray repeats, consecutive;
        for (int n = 1; n <= 11; ++n) {
            if (drawn(d, n) && drawn(before, n)) repeats.append(n);
            if (drawn(d, n) && (drawn(d, n - 1) || drawn(d, n + 1))) consecutive.append(n);
        }
        EXPECT_EQ(row["repeats"].toArray(), repeats);
        EXPECT_EQ(row["consecutive"].toArray(), consecutive);
    }
}

TEST_F(BasicTrendCommandTest, TheFirstPeriodHasNoRepeatAndTheTextFormIsTabSeparated) {
    addDraws();
    const auto json = run({"omission", "--basic", "--to", "2016090802", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"route\":\"1:1:3\",\"repeat\":null,\"repeats\":[],"
                            "\"consecutive\":[]}"),
              std::string::npos)
        << json.out;

    // One period tells nothing of the last ten: no number is marked, and the rule says why.
    const auto one = run({"omission", "--basic", "--to", "2016090801", "--json"});
    EXPECT_NE(one.out.find("\"heat\":[null,null,null,null,null,null,null,null,null,"
                           "null,null],\"heat_rule\":\"热：近10期开出6次及以上，或5次且最近一期"
                           "开出；冷：近10期开出3次及以下，或4次且当前遗漏至少2；其余为温。"
                           "随机开奖时热约占38.9%，温27.5%，冷33.5%\",\"sum\":"),
              std::string::npos)
        << one.out;
    const auto text = run({"omission", "--basic", "--to", "2016090801"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out,
              "2016090801\t05 03 08 01 11\t0\t1\t0\t1\t0\t1\t1\t0\t1\t1\t0\t28\t10\t4:1\t2:3\t"
              "4:1\t1:1:3\t\n");

    // Refused: an empty span, the single-kind options, an empty history.
    EXPECT_EQ(run({"omission", "--basic", "--from", "2016091001"}).status, 1);
    EXPECT_EQ(run({"omission", "--basic", "--type", "0"}).status, 2);
    EXPECT_EQ(run({"omission", "--basic", "--rows"}).status, 2);
    EXPECT_EQ(run({"clear"}).status, 0);
    EXPECT_EQ(run({"omission", "--basic", "--json"}).status, 1);
}

} // namespace
