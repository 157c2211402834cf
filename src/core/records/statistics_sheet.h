// The workbook sheet "统计" with the figures of a record query (records/record_statistics.h):
//   a header block of label and value rows: 文件, 型号, 编号, 测量名, 查询条件, 记录间隔(秒),
//   开始时间, 结束时间, 记录数, 活化能(kJ/mol);
//   one row per series: 通道, 样本数, 缺失, 最小值, 最小值时间, 最大值, 最大值时间, 平均值,
//   标准差, 平均动力学温度;
//   one row per series with limits: 通道, 下限, 上限, 限值来源 (记录 or 用户), 低于下限样本数,
//   低于下限时间(秒), 高于上限样本数, 高于上限时间(秒), 超限次数, 最长超限(秒);
//   one row per excursion: 通道, 超限, 开始时间, 结束时间, 样本数, 时间(秒), 峰值, 峰值时间.
// Blocks are separated by an empty row. Figures are numeric cells; times are date-time cells
// that show the sample list's form (xlsx_time_cell.h); a figure that does not exist stays blank.
#pragma once

#include <xlsxwriter.h>

#include "core/model/language.h"

namespace qx {

struct RecordStatistics;

// Untranslated; the workbook carries it in the current language.
inline constexpr const char* kStatisticsSheetName = TrNoop("统计");

// Adds the sheet to book (constant-memory mode: after the sheets before it are complete).
bool WriteStatisticsSheet(lxw_workbook* book, const RecordStatistics& statistics);

}  // namespace qx
