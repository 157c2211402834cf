#include "statistics_tables.h"

#include <QCoreApplication>
#include <initializer_list>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/records/number_text.h"
#include "core/records/record_statistics.h"
#include "gui/common/qt_text.h"

namespace qx {

QString FixedText(double value, int decimals) {
    return ToQString(FigureText(value, decimals));
}

QString TimeText(std::time_t t) {
    return ToQString(FormatLocalTime(static_cast<int64_t>(t), "%y-%m-%d %H:%M:%S"));
}

QString LimitText(const std::optional<double>& value, int decimals) {
    if (!value) return QStringLiteral("-");
    return ToQString(LimitFigureText(*value, decimals));
}

QStringList StatisticsRules() {
    return {QCoreApplication::translate(
                "qx::StatisticsTables",
                "注:等于限值的数值在限值之内;数值与记录的限值按列表显示的位数比较,"
                "摄氏与华氏记录的超限相同。"),
            QCoreApplication::translate(
                "qx::StatisticsTables",
                "超限时间 = 样本数 × 记录间隔:一个样本的超限为一个间隔,间隔 300 秒时显示为 "
                "16:20–16:25 的超限为 600 秒;缺失的数值结束超限,不计时间。"),
            QCoreApplication::translate("qx::StatisticsTables",
                                        "平均动力学温度只对测得的温度计算,不对露点计算。")};
}

std::vector<StatisticsTable> StatisticsTables(const RecordStatistics& rs) {
    // The column titles are those of the statistics sheet of an export.
    const auto titles = [](std::initializer_list<const char*> texts) {
        QStringList list;
        for (const char* text : texts)
            list << QString::fromUtf8(Tr(text));
        return list;
    };
    StatisticsTable figures{
        QCoreApplication::translate("qx::StatisticsTables", "统计值"),
        titles({TrNoop("通道"), TrNoop("样本数"), TrNoop("缺失"), TrNoop("最小值"),
                TrNoop("最小值时间"), TrNoop("最大值"), TrNoop("最大值时间"), TrNoop("平均值"),
                TrNoop("标准差"), TrNoop("平均动力学温度")}),
        {}};
    StatisticsTable limits{QCoreApplication::translate("qx::StatisticsTables", "限值"),
                           titles({TrNoop("通道"), TrNoop("下限"), TrNoop("上限"),
                                   TrNoop("限值来源"), LimitSideText(LimitSide::Below),
                                   LimitSideText(LimitSide::Above), TrNoop("超限次数")}),
                           {}};
    limits.titles << QCoreApplication::translate("qx::StatisticsTables", "最长超限");
    StatisticsTable excursions{
        QCoreApplication::translate("qx::StatisticsTables", "超限记录"),
        titles({TrNoop("通道"), TrNoop("超限"), TrNoop("开始时间"), TrNoop("结束时间"),
                TrNoop("样本数"), TrNoop("时间(秒)"), TrNoop("峰值"), TrNoop("峰值时间")}),
        {}};
    // A time outside limits with its length beside the seconds.
    const auto side = [](const SideTotal& t) {
        if (t.seconds <= 0)
            return QCoreApplication::translate("qx::StatisticsTables", "%1 (%2秒)")
                .arg(t.samples)
                .arg(t.seconds);
        return QCoreApplication::translate("qx::StatisticsTables", "%1 (%2秒, %3)")
            .arg(t.samples)
            .arg(t.seconds)
            .arg(ToQString(DurationText(static_cast<uint64_t>(t.seconds))));
    };
    for (const SeriesStatistics& s : rs.series) {
        QStringList row = {ToQString(s.title), QString::number(s.count),
                           QString::number(s.missing)};
        if (s.count > 0) {
            const int d = s.decimals + 2;
            row << FixedText(s.min, s.decimals) << TimeText(s.minTime)
                << FixedText(s.max, s.decimals) << TimeText(s.maxTime) << FixedText(s.mean, d)
                << FixedText(s.stdev, d) << (s.mkt ? FixedText(*s.mkt, d) : QStringLiteral("-"));
        } else {
            for (int i = 0; i < 7; ++i)
                row << QStringLiteral("-");
        }
        figures.rows.push_back(row);
        if (!s.limits) continue;
        const LimitSummary& l = *s.limits;
        limits.rows.push_back(
            {ToQString(s.title), LimitText(l.limits.low, s.decimals),
             LimitText(l.limits.high, s.decimals),
             l.overridden ? QCoreApplication::translate("qx::StatisticsTables", "用户")
                          : QCoreApplication::translate("qx::StatisticsTables", "记录"),
             side(l.below), side(l.above), QString::number(l.excursions.size()),
             l.longest >= 0 ? QCoreApplication::translate("qx::StatisticsTables", "%1秒 (%2)")
                                  .arg(l.excursions[static_cast<size_t>(l.longest)].seconds)
                                  .arg(ToQString(DurationText(static_cast<uint64_t>(
                                      l.excursions[static_cast<size_t>(l.longest)].seconds))))
                            : QStringLiteral("-")});
        for (const Excursion& e : l.excursions) {
            excursions.rows.push_back(
                {ToQString(s.title), QString::fromUtf8(Tr(LimitSideText(e.side))),
                 TimeText(e.start), TimeText(e.end), QString::number(e.samples),
                 ToQString(SecondsWithDuration(e.seconds)), FixedText(e.peak, s.decimals),
                 TimeText(e.peakTime)});
        }
    }
    std::vector<StatisticsTable> tables = {figures, limits, excursions};
    return tables;
}

}  // namespace qx
