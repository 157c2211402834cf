// The texts of the statistics of a query as tables, for the record browser's statistics panel
// and the statistics report alike: numbers in the decimals of their series (figures derived
// from values two more, limits up to three more without trailing zeros), times in the sample
// list's form "%y-%m-%d %H:%M:%S", "-" where a figure does not exist.
#pragma once

#include <QString>
#include <QStringList>
#include <ctime>
#include <optional>
#include <vector>

namespace qx {

struct RecordStatistics;

struct StatisticsTable {
    QString caption;
    QStringList titles;
    std::vector<QStringList> rows;
};

// Three tables, always in this order: 统计值 (a row per series), 限值 (a row per series with
// limits: 通道, 下限, 上限, 限值来源, 低于下限, 高于上限, 超限次数, 最长超限) and 超限记录 (a row
// per excursion, series by series in list order, each in time order).
std::vector<StatisticsTable> StatisticsTables(const RecordStatistics& statistics);

// The rules the figures follow, a sentence each: a value at a limit, the time of an
// excursion, missing values, the MKT. The statistics report prints them below its tables.
QStringList StatisticsRules();

// Figures as the tables show them: never "-0.000".
QString FixedText(double value, int decimals);
QString TimeText(std::time_t t);
QString LimitText(const std::optional<double>& value, int decimals);

}  // namespace qx
