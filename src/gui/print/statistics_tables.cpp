#include "statistics_tables.h"

#include "core/model/local_time.h"
#include "core/records/number_text.h"
#include "core/records/record_statistics.h"
#include "gui/common/qt_text.h"

namespace qx {

QString FixedText(double value, int decimals) {
    std::string text;
    AppendFixed(text, value, decimals);
    return ToQString(text);
}

QString TimeText(std::time_t t) {
    return ToQString(FormatLocalTime(static_cast<int64_t>(t), "%y-%m-%d %H:%M:%S"));
}

QString LimitText(const std::optional<double>& value, int decimals) {
    if (!value) return QStringLiteral("-");
    QString text = FixedText(*value, decimals + 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

std::vector<StatisticsTable> StatisticsTables(const RecordStatistics& rs) {
    StatisticsTable figures{
        QStringLiteral("统计值"),
        {QStringLiteral("通道"), QStringLiteral("样本数"), QStringLiteral("缺失"),
         QStringLiteral("最小值"), QStringLiteral("最小值时间"), QStringLiteral("最大值"),
         QStringLiteral("最大值时间"), QStringLiteral("平均值"), QStringLiteral("标准差"),
         QStringLiteral("平均动力学温度")},
        {}};
    StatisticsTable limits{
        QStringLiteral("限值"),
        {QStringLiteral("通道"), QStringLiteral("下限"), QStringLiteral("上限"),
         QStringLiteral("限值来源"), QStringLiteral("低于下限"), QStringLiteral("高于上限"),
         QStringLiteral("超限次数"), QStringLiteral("最长超限")},
        {}};
    StatisticsTable excursions{
        QStringLiteral("超限记录"),
        {QStringLiteral("通道"), QStringLiteral("超限"), QStringLiteral("开始时间"),
         QStringLiteral("结束时间"), QStringLiteral("样本数"), QStringLiteral("时间(秒)"),
         QStringLiteral("峰值"), QStringLiteral("峰值时间")},
        {}};
    const auto side = [](const SideTotal& t) {
        return QStringLiteral("%1 (%2秒)").arg(t.samples).arg(t.seconds);
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
             l.overridden ? QStringLiteral("用户") : QStringLiteral("记录"), side(l.below),
             side(l.above), QString::number(l.excursions.size()),
             l.longest >= 0
                 ? QStringLiteral("%1秒").arg(l.excursions[static_cast<size_t>(l.longest)].seconds)
                 : QStringLiteral("-")});
        for (const Excursion& e : l.excursions) {
            excursions.rows.push_back({ToQString(s.title), ToQString(LimitSideText(e.side)),
                                       TimeText(e.start), TimeText(e.end),
                                       QString::number(e.samples), QString::number(e.seconds),
                                       FixedText(e.peak, s.decimals), TimeText(e.peakTime)});
        }
    }
    std::vector<StatisticsTable> tables = {figures, limits, excursions};
    return tables;
}

}  // namespace qx
