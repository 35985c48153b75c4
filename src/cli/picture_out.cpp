#include "cli/picture_out.h"

#include "history/game_record.h"
#include "history/period.h"
#include "platform/file_io.h"
#include "render/picture_file.h"
#include "search/basic_trend.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QStandardItemModel>

#include <ostream>

namespace app {

namespace {

// The colours of the window's trend chart: a drawn number's ball (another for a number the period
// before drew too), an omission's text.
const QColor kBall(0xd0, 0x30, 0x30);
const QColor kRepeatBall(0x7b, 0x3f, 0xb0);
const QColor kOmission(0x80, 0x80, 0x80);

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QStandardItem* cell(const QString& value) {
    auto* item = new QStandardItem(value);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

bool isPictureFile(const std::string& path) {
    return render::pictureFormatOf(path).has_value();
}

bool writesPicture(const CommandLine& line) {
    for (size_t i = 0; i < line.args.size(); ++i) {
        const std::string& arg = line.args[i];
        if (arg == "--out" && i + 1 < line.args.size() && isPictureFile(line.args[i + 1]))
            return true;
        if (arg.rfind("--out=", 0) == 0 && isPictureFile(arg.substr(6))) return true;
    }
    return false;
}

std::unique_ptr<QStandardItemModel> textTable(const std::vector<std::string>& heading,
                                              const std::vector<std::vector<std::string>>& rows) {
    auto model = std::make_unique<QStandardItemModel>(static_cast<int>(rows.size()),
                                                      static_cast<int>(heading.size()));
    for (size_t k = 0; k < heading.size(); ++k)
        model->setHeaderData(static_cast<int>(k), Qt::Horizontal, text(heading[k]));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t k = 0; k < rows[r].size() && k < heading.size(); ++k)
            model->setItem(static_cast<int>(r), static_cast<int>(k), cell(text(rows[r][k])));
    return model;
}

int writePictureOut(CommandContext& c, const std::string& what, const std::string& span,
                    const std::vector<const QAbstractItemModel*>& tables, const std::string& path,
                    bool printPath) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        c.err << "无法生成图片：程序没有以图形方式启动。\n";
        return kExitRefused;
    }
    render::PageDocument document(
        render::titleLine(text(history::gameName(c.workspace.settings().game)), text(what),
                          text(span), QDateTime::currentDateTime()),
        QGuiApplication::font());
    for (const QAbstractItemModel* table : tables)
        document.addTable(std::make_unique<render::TablePainter>(*table, document.font()));
    try {
        render::writePicture(document, path);
    } catch (const platform::FileError& e) {
        c.err << e.what() << "。文件没有保存。\n";
        return kExitRefused;
    }
    if (printPath) c.out << path << '\n';
    return kExitOk;
}

int writeBasicTrendPicture(CommandContext& c, const search::BasicTrend& trend,
                           const std::string& path) {
    const Workspace& w = c.workspace;
    const search::OmissionTable& numbers = trend.numbers();
    const int values = static_cast<int>(numbers.values().size());
    const int shapes = static_cast<int>(search::kBasicShapes.size());
    const int periods = static_cast<int>(trend.periods());
    // The window's summary rows: the omissions carried over from the whole history, then the
    // span's own where they differ.
    static const char* const kSummary[] = {"出现次数", "平均遗漏", "最大遗漏", "本段最大",
                                           "当前遗漏", "本段当前", "最大连出", "近10期出现",
                                           "理论次数", "欲出几率", "冷温热"};
    constexpr int kSummaryRows = static_cast<int>(std::size(kSummary));
    QStandardItemModel model(periods + kSummaryRows, 2 + values + shapes);
    model.setHeaderData(0, Qt::Horizontal, QStringLiteral("期号"));
    model.setHeaderData(1, Qt::Horizontal, QStringLiteral("开奖号码"));
    for (int v = 0; v < values; ++v)
        model.setHeaderData(2 + v, Qt::Horizontal, text(history::format00(v + 1)));
    for (int k = 0; k < shapes; ++k)
        model.setHeaderData(2 + values + k, Qt::Horizontal,
                            QString::fromUtf8(search::shapeCaption(search::kBasicShapes[k])));
    for (int i = 0; i < periods; ++i) {
        const size_t row = trend.firstRow() + static_cast<size_t>(i);
        model.setItem(i, 0, cell(text(w.historyPeriodText(row))));
        QStringList draw;
        for (const int n : w.rows()[row].numbers()) draw << text(history::format00(n));
        model.setItem(i, 1, cell(draw.join(QLatin1Char(' '))));
        for (int v = 0; v < values; ++v) {
            const bool carries = numbers.carries(static_cast<size_t>(i), static_cast<size_t>(v));
            auto* item = cell(carries ? text(history::format00(v + 1))
                                      : QString::number(numbers.omission(static_cast<size_t>(i),
                                                                         static_cast<size_t>(v))));
            const bool repeat = carries && trend.repeats(static_cast<size_t>(i), v + 1);
            item->setBackground(carries ? QBrush(repeat ? kRepeatBall : kBall) : QBrush());
            item->setForeground(carries ? QBrush(Qt::white) : QBrush(kOmission));
            model.setItem(i, 2 + v, item);
        }
        for (int k = 0; k < shapes; ++k) {
            const auto value = trend.shape(static_cast<size_t>(i), static_cast<size_t>(k));
            model.setItem(i, 2 + values + k,
                          cell(value ? text(search::shapeLabel(search::kBasicShapes[k], *value))
                                     : QString()));
        }
    }
    const auto& f = trend.figures();
    for (int s = 0; s < kSummaryRows; ++s) {
        model.setItem(periods + s, 0, cell(QString::fromUtf8(kSummary[s])));
        for (int v = 0; v < values; ++v) {
            const search::NumberFigures& n = f[static_cast<size_t>(v)];
            const search::ValueOmission& o = n.omission;
            const auto own = [](std::int64_t span, std::int64_t whole) {
                return span == whole ? QString() : QString::number(span);
            };
            const QString figure = s == 0   ? QString::number(o.count)
                                   : s == 1 ? QString::number(o.average, 'f', 1)
                                   : s == 2 ? QString::number(o.carriedMax)
                                   : s == 3 ? own(o.max, o.carriedMax)
                                   : s == 4 ? QString::number(o.carriedCurrent)
                                   : s == 5 ? own(o.current, o.carriedCurrent)
                                   : s == 6 ? QString::number(o.maxRun)
                                   : s == 7 ? QString::number(n.last10)
                                   : s == 8 ? QString::number(o.expected, 'f', 1)
                                   : s == 9 ? QString::number(n.ratio, 'f', 2)
                                   : n.heat ? QString::fromUtf8(search::heatCaption(*n.heat))
                                            : QStringLiteral("—");
            model.setItem(periods + s, 2 + v, cell(figure));
        }
    }
    const std::string span = w.historyPeriodText(trend.firstRow()) + "至" +
                             w.historyPeriodText(trend.firstRow() + trend.periods() - 1) + "（" +
                             std::to_string(periods) + "期）";
    return writePictureOut(c, "基本走势图", span, {&model}, path, true);
}

} // namespace app
