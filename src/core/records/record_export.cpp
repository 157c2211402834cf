#include "record_export.h"

#include "core/model/language.h"
#include "core/model/text_util.h"
#include "record_set.h"
#include "text_export.h"
#include "workbook_export.h"

namespace qx {

ExportFormat ExportFormatForPath(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return ExportFormat::None;
    const std::string_view ext = name.substr(dot + 1);
    if (EqualsIgnoreCase(ext, "xls") || EqualsIgnoreCase(ext, "xlsx")) {
        return ExportFormat::Workbook;
    }
    return ExportFormat::Text;
}

bool ExportSampleTable(const std::string& path, ExportFormat format, const SampleTable& table,
                       std::span<const ParamListRow> params, const RecordStatistics* statistics,
                       std::string* error, int* dataSheets) {
    if (dataSheets) *dataSheets = 1;
    switch (format) {
        case ExportFormat::Workbook:
            return WriteWorkbook(path, table, params, statistics, error, dataSheets);
        case ExportFormat::Text:
            return WriteListText(path, table, params, error);
        case ExportFormat::Csv:
            return WriteCsv(path, table, error);
        case ExportFormat::None:
            break;
    }
    if (error) *error = StrFormat(Tr("没有 %s 的导出格式"), path.c_str());
    return false;
}

bool ExportSampleTable(const std::string& path, ExportFormat format, const TablePieces& pieces,
                       std::span<const ParamListRow> params, const RecordStatistics* statistics,
                       std::string* error, int* dataSheets) {
    if (dataSheets) *dataSheets = 1;
    switch (format) {
        case ExportFormat::Workbook:
            return WriteWorkbook(path, pieces, params, statistics, error, dataSheets);
        case ExportFormat::Text:
            return WriteListText(path, pieces, params, error);
        case ExportFormat::Csv:
            return WriteCsv(path, pieces, error);
        case ExportFormat::None:
            break;
    }
    if (error) *error = StrFormat(Tr("没有 %s 的导出格式"), path.c_str());
    return false;
}

std::string ExportSucceededMessage(const std::string& path) {
    return StrFormat(Tr("文件:%s\n导出成功!"), path.c_str());
}

std::string ExportSucceededMessage(const std::string& path, const char* sheetName, int dataSheets) {
    std::string message = ExportSucceededMessage(path);
    if (const std::string note = DataSheetsNote(sheetName, dataSheets); !note.empty()) {
        message += '\n';
        message += note;
    }
    return message;
}

std::string ExportFailedMessage(const std::string& path) {
    return StrFormat(Tr("文件:%s\n导出失败!"), path.c_str());
}

std::string ProposedExportPath(const std::string& dataFolder, const std::string& recordPath) {
    const size_t slash = recordPath.rfind('/');
    std::string base = slash == std::string::npos ? recordPath : recordPath.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.resize(dot);
    return StrFormat("%s/%s.%s", dataFolder.c_str(), base.c_str(), "xlsx");
}

std::vector<ParamListRow> RecordParamRows(const RecordSet& set) {
    const ParamBlock params = set.Params();
    const ParamTexts texts = MakeParamTexts(params, set.type);
    return ParamListRows(set.type, &texts);
}

}  // namespace qx
