// The record browser's export command: the proposed file, the dialog's offer, the route a
// chosen name takes, the files written from what the view shows, the messages, and the export
// path kept per record.
#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <iterator>
#include "gui/common/my_list_ctrl.h"

#include "core/model/text_util.h"
#include "core/records/xlsx_reader.h"
#include "data_view_fixture.h"
#include "gui/browser/query_panel.h"
#include "gui/common/qt_text.h"
#include "gui/common/scripted_prompter.h"

namespace qx {
namespace {

using test::DataViewTest;
using test::TempPath;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::u16string ReadUtf16(const std::string& path) {
    const std::string bytes = ReadAll(path);
    std::u16string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                     (static_cast<uint8_t>(bytes[i + 1]) << 8));
    }
    return out;
}

class ExportTest : public DataViewTest {
  protected:
    void ExportTo(const std::string& path, const QString& filter = QString()) {
        prompts.fileAnswers.push_back(ToQString(path));
        prompts.filterAnswers.push_back(filter);
        view.ExportRecord();
    }
    test::ScriptedPrompter prompts;
};

TEST_F(ExportTest, ProposesTheRecordsNameInTheDataFolder) {
    Load(1, 20);
    view.ExportRecord();  // cancelled
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    const FileDialogRequest& request = prompts.fileRequests[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.initialPath, host.dataFolder + "/现场A.xlsx");
    EXPECT_TRUE(request.filter.contains("Excel 文件(*.xlsx)"));
    EXPECT_TRUE(request.filter.contains("文本文件(*.txt)"));
    EXPECT_EQ(request.defaultSuffix, "xlsx");
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(view.ExportPath(), host.dataFolder + "/现场A.xlsx");
}

TEST_F(ExportTest, WorkbookOfTheShownRows) {
    Load(8, 30);
    view.Query().ModeRadio(QueryMode::LastDays)->click();
    view.RunQuery();  // one day back: 25 hourly samples
    ASSERT_EQ(view.MatchedCount(), 25);

    TempPath file(".XLSX");
    ExportTo("  " + file.str() + " ");
    EXPECT_EQ(prompts.LastMessage(), ToQString("文件:" + file.str() + "\n导出成功!"));
    EXPECT_EQ(prompts.messages.back().icon, PromptIcon::Information);
    EXPECT_EQ(view.ExportPath(), ToQString(file.str()));

    const auto rows = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet1.xml"));
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows[0].at(0).value, "记录");
    EXPECT_EQ(rows[0].at(5).value, "CO2(PPM)");
    EXPECT_EQ(test::SerialDateTimeText(std::stod(rows[25].at(1).value)), "17-05-20 10:00:00");
    EXPECT_EQ(rows[25].at(0).value, "25");
    const auto params = test::SheetCells(test::UnzipPart(file.str(), "xl/worksheets/sheet2.xml"));
    EXPECT_EQ(static_cast<int>(params.size()), view.ParamList()->rowCount() + 1);
    EXPECT_EQ(params[1].at(0).value, "仪器地址");

    // The next export of this record proposes the same file; another record starts afresh.
    view.ExportRecord();
    EXPECT_EQ(prompts.fileRequests.back().initialPath, ToQString(file.str()));
    Load(8, 30);
    EXPECT_TRUE(view.ExportPath().isEmpty());
    view.ExportRecord();
    EXPECT_EQ(prompts.fileRequests.back().initialPath, host.dataFolder + "/现场A.xlsx");
}

TEST_F(ExportTest, TextFileAndCsv) {
    Load(4, 3);
    TempPath file(".txt");
    ExportTo(file.str(), "文本文件(*.txt)");
    EXPECT_EQ(prompts.LastMessage(), ToQString("文件:" + file.str() + "\n导出成功!"));
    const std::u16string text = ReadUtf16(file.str());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text[0], u'\uFEFF');
    EXPECT_EQ(text.find(u"仪器地址,"), 1u);
    EXPECT_NE(text.find(u"\"记录\",\"时间\",\"温度(℃)\"\r\n1,17-05-20 08:00:00,"),
              std::u16string::npos);
    EXPECT_NE(text.find(u"\r\n3,17-05-20 10:00:00,"), std::u16string::npos);

    // Exporting again replaces the file.
    const size_t size = ReadAll(file.str()).size();
    ExportTo(file.str(), "文本文件(*.txt)");
    EXPECT_EQ(ReadAll(file.str()).size(), size);

    // A .csv name takes the CSV writer only when the CSV filter was chosen.
    TempPath csv(".csv");
    ExportTo(csv.str(), "CSV 文件(*.csv)");
    EXPECT_EQ(ReadAll(csv.str()).rfind("记录,时间,温度(℃)\r\n", 0), 0u);
    ExportTo(csv.str(), "文本文件(*.txt)");
    EXPECT_EQ(ReadAll(csv.str()).rfind("\xFF\xFE", 0), 0u);
}

TEST_F(ExportTest, NamesWithoutExtensionAndFailures) {
    Load(1, 5);
    const std::string dir = std::filesystem::temp_directory_path().string();
    ExportTo(dir + "/.hidden");
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir + "/.hidden"));

    const std::string bad = dir + "/no-such-folder-qx/out.txt";
    ExportTo(bad);
    EXPECT_EQ(prompts.LastMessage(),
              ToQString("文件:" + bad + "\n导出失败!\n不能在 " + dir +
                        "/no-such-folder-qx 中建立文件: 没有那个文件或目录"));
    EXPECT_EQ(prompts.messages.back().icon, PromptIcon::Warning);

    // Without a loaded record the command does nothing.
    host.loaded = false;
    view.ExportRecord();
    EXPECT_EQ(prompts.fileRequests.size(), 2u);
}

}  // namespace
}  // namespace qx
