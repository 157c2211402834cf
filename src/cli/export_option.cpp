#include "export_option.h"

#include <string_view>

#include "core/model/language.h"
#include "core/model/text_util.h"

namespace qx::cli {

ExportFormat ChosenExportFormat(const std::string& path, const std::string& formatName,
                                std::string* problem) {
    if (!formatName.empty()) {
        if (formatName == "xlsx") return ExportFormat::Workbook;
        if (formatName == "text") return ExportFormat::Text;
        if (formatName == "csv") return ExportFormat::Csv;
        *problem = Tr("--format 是 xlsx, text 或 csv");
        return ExportFormat::None;
    }
    if (ExportFormatForPath(path) == ExportFormat::None) {
        *problem =
            StrFormat(Tr("文件名 %s 没有扩展名, 不能据此选择格式; 请加 --format"), path.c_str());
        return ExportFormat::None;
    }
    const std::string_view ext = std::string_view(path).substr(path.rfind('.') + 1);
    if (EqualsIgnoreCase(ext, "xlsx") || EqualsIgnoreCase(ext, "xls"))
        return ExportFormat::Workbook;
    if (EqualsIgnoreCase(ext, "txt")) return ExportFormat::Text;
    if (EqualsIgnoreCase(ext, "csv")) return ExportFormat::Csv;
    *problem = StrFormat(Tr("文件名 %s 的扩展名不是导出的格式 (.xlsx, .xls, .txt, .csv); "
                            "请用其中之一或加 --format"),
                         path.c_str());
    return ExportFormat::None;
}

}  // namespace qx::cli
