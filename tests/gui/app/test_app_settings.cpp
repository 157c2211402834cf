// Settings, recent files and the program and data folders.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "gui/app/app_folders.h"
#include "gui/app/app_settings.h"

namespace qx {
namespace {

class AppSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QStandardPaths::isTestModeEnabled());
        Store().clear();
        Store().sync();
    }
    static QSettings& Store() {
        static QSettings store{QLatin1String(AppSettings::kOrganisation),
                               QLatin1String(AppSettings::kApplication)};
        return store;
    }
};

TEST_F(AppSettingsTest, EmptyStoreGivesTheDefaults) {
    AppSettings s;
    s.cx = 1;
    s.devType = 0;
    s.maxN = 1;
    s.Load();
    EXPECT_EQ(s.cx, 1000);
    EXPECT_EQ(s.cy, 700);
    EXPECT_EQ(s.devType, 6);
    EXPECT_EQ(s.readParamInterval, 1);
    EXPECT_TRUE(s.enAutoReadParam);
    EXPECT_EQ(s.trendPos, 1);
    EXPECT_FALSE(s.showStat);
    EXPECT_EQ(s.maxN, 432000);
    EXPECT_TRUE(s.datRecFile.isEmpty());
    EXPECT_TRUE(s.RecentFiles().isEmpty());
}

TEST_F(AppSettingsTest, SmallMaxNIsRaisedAndWrittenBackRaised) {
    Store().setValue("RECORD/MaxN", 100);
    Store().sync();
    AppSettings s;
    s.Load();
    EXPECT_EQ(s.maxN, 14400);
    s.Save();
    Store().sync();
    EXPECT_EQ(Store().value("RECORD/MaxN").toInt(), 14400);

    Store().setValue("RECORD/MaxN", 14400);
    s.Load();
    EXPECT_EQ(s.maxN, 14400);
    Store().setValue("RECORD/MaxN", 500000);
    s.Load();
    EXPECT_EQ(s.maxN, 500000);
}

TEST_F(AppSettingsTest, AutomaticReadingStartsOnWhateverWasStored) {
    AppSettings s;
    s.Load();
    s.enAutoReadParam = false;
    s.Save();
    Store().sync();
    EXPECT_EQ(Store().value("READPARAM/EnAutoReadParam").toInt(), 0);

    AppSettings next;
    next.enAutoReadParam = false;
    next.Load();
    EXPECT_TRUE(next.enAutoReadParam);
}

TEST_F(AppSettingsTest, PollingIntervalIsKeptWithinTheOfferedSeconds) {
    AppSettings s;
    Store().setValue("READPARAM/ReadParamInterval", 3);
    s.Load();
    EXPECT_EQ(s.readParamInterval, 3);
    Store().setValue("READPARAM/ReadParamInterval", 9);
    s.Load();
    EXPECT_EQ(s.readParamInterval, 5);
    Store().setValue("READPARAM/ReadParamInterval", 0);
    s.Load();
    EXPECT_EQ(s.readParamInterval, 1);
    Store().setValue("READPARAM/ReadParamInterval", "abc");
    s.Load();
    EXPECT_EQ(s.readParamInterval, 1);
}

TEST_F(AppSettingsTest, EveryValueSurvivesARoundTrip) {
    AppSettings s;
    s.cx = 1234;
    s.cy = 567;
    s.devType = 0;  // after a failed connect
    s.readParamInterval = 4;
    s.trendPos = 0;
    s.showStat = true;
    s.maxN = 20000;
    s.datRecFile = QStringLiteral("/home/用户/DAT/仓库1.QXRec");
    s.AddRecentFile(QStringLiteral("/data/a.QXRec"));
    s.AddRecentFile(QStringLiteral("/data/b.QXRec"));
    s.Save();

    AppSettings t;
    t.Load();
    EXPECT_EQ(t.cx, 1234);
    EXPECT_EQ(t.cy, 567);
    EXPECT_EQ(t.devType, 0);
    EXPECT_EQ(t.readParamInterval, 4);
    EXPECT_EQ(t.trendPos, 0);
    EXPECT_TRUE(t.showStat);
    EXPECT_EQ(t.maxN, 20000);
    EXPECT_EQ(t.datRecFile, s.datRecFile);
    EXPECT_EQ(t.RecentFiles(), (QStringList{"/data/b.QXRec", "/data/a.QXRec"}));
    // The sections and names as other tools of the program expect them.
    Store().sync();
    EXPECT_EQ(Store().value("WINSIZE/Cx").toInt(), 1234);
    EXPECT_EQ(Store().value("READPARAM/DevType").toInt(), 0);
    EXPECT_EQ(Store().value("TREND/TrendPos").toInt(), 0);
    EXPECT_EQ(Store().value("RECORD/DatRecFile").toString(), s.datRecFile);
}

TEST_F(AppSettingsTest, RecentFilesKeepEightMostRecentFirstWithoutRepeats) {
    AppSettings s;
    for (int i = 1; i <= 10; ++i)
        s.AddRecentFile(QStringLiteral("/data/r%1.QXRec").arg(i));
    ASSERT_EQ(s.RecentFiles().size(), 8);
    EXPECT_EQ(s.RecentFiles().front(), "/data/r10.QXRec");
    EXPECT_EQ(s.RecentFiles().back(), "/data/r3.QXRec");

    // The same file under another spelling moves to the top instead of repeating.
    s.AddRecentFile(QStringLiteral("/data/sub/../r5.QXRec"));
    ASSERT_EQ(s.RecentFiles().size(), 8);
    EXPECT_EQ(s.RecentFiles().front(), "/data/sub/../r5.QXRec");
    EXPECT_EQ(s.RecentFiles().count("/data/r5.QXRec"), 0);
    EXPECT_EQ(s.RecentFiles()[1], "/data/r10.QXRec");

    // A failing entry is removed; removing it again finds nothing.
    EXPECT_TRUE(s.RemoveRecentFile(QStringLiteral("/data/r9.QXRec")));
    EXPECT_FALSE(s.RemoveRecentFile(QStringLiteral("/data/r9.QXRec")));
    EXPECT_EQ(s.RecentFiles().size(), 7);
    s.AddRecentFile(QString());
    EXPECT_EQ(s.RecentFiles().size(), 7);

    // Stored without the removed entry and without a stale eighth one.
    s.Save();
    Store().sync();
    EXPECT_FALSE(Store().contains("Recent File List/File8"));
    AppSettings t;
    t.Load();
    EXPECT_EQ(t.RecentFiles(), s.RecentFiles());
}

TEST_F(AppSettingsTest, RepeatedStoredRecentFilesAreReadOnce) {
    Store().setValue("Recent File List/File1", "/data/x.QXRec");
    Store().setValue("Recent File List/File2", "/data/./x.QXRec");
    Store().setValue("Recent File List/File4", "/data/y.QXRec");
    Store().sync();
    AppSettings s;
    s.Load();
    EXPECT_EQ(s.RecentFiles(), (QStringList{"/data/x.QXRec", "/data/y.QXRec"}));
}

TEST_F(AppSettingsTest, ApplicationLookIsWrittenToTheWorkspaceSection) {
    AppSettings::WriteApplicationLook(216);
    Store().sync();
    EXPECT_EQ(Store().value("Workspace/ApplicationLook").toInt(), 216);
}

TEST(AppFolders, ProgramFolderAndDataFolderOfAPath) {
    EXPECT_EQ(ProgramFolderOf(QStringLiteral("C:\\Tools\\logger.exe")), "C:\\Tools");
    EXPECT_EQ(DataFolderOf(QStringLiteral("C:\\Tools")), "C:\\Tools\\DAT");
    // A drive root keeps its backslash, and the data folder does not double it.
    EXPECT_EQ(ProgramFolderOf(QStringLiteral("C:\\logger.exe")), "C:\\");
    EXPECT_EQ(DataFolderOf(QStringLiteral("C:\\")), "C:\\DAT");
    EXPECT_EQ(ProgramFolderOf(QStringLiteral("/opt/qx/bin/qxlog")), "/opt/qx/bin");
    EXPECT_EQ(DataFolderOf(QStringLiteral("/opt/qx/bin")), "/opt/qx/bin/DAT");
    EXPECT_EQ(ProgramFolderOf(QStringLiteral("/qxlog")), "/");
    EXPECT_EQ(DataFolderOf(QStringLiteral("/")), "/DAT");
    EXPECT_EQ(ProgramFolderOf(QStringLiteral("qxlog")), "");
    EXPECT_EQ(DataFolderOf(QString()), "DAT");
}

TEST(AppFolders, DataFolderIsCreatedBesideAWritableProgram) {
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    const DataFolderChoice first = ChooseDataFolder(program.path());
    EXPECT_EQ(first.path, program.path() + "/DAT");
    EXPECT_TRUE(first.created);
    EXPECT_TRUE(first.usable);
    EXPECT_FALSE(first.perUser);
    EXPECT_TRUE(QFileInfo(first.path).isDir());

    const DataFolderChoice again = ChooseDataFolder(program.path());
    EXPECT_EQ(again.path, first.path);
    EXPECT_FALSE(again.created);
}

TEST(AppFolders, UnwritableProgramFolderUsesThePerUserFolder) {
    ASSERT_TRUE(QStandardPaths::isTestModeEnabled());
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    // A program folder below a plain file can hold no folder, whoever runs the test.
    QFile blocker(scratch.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString perUserBase = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(perUserBase + "/DAT").removeRecursively();

    const DataFolderChoice choice = ChooseDataFolder(blocker.fileName() + "/bin");
    EXPECT_TRUE(choice.perUser);
    EXPECT_TRUE(choice.usable);
    EXPECT_TRUE(choice.created);
    EXPECT_EQ(choice.path, QDir::cleanPath(perUserBase + "/DAT"));
    EXPECT_TRUE(QFileInfo(choice.path).isDir());
}

TEST(AppFolders, AFileNamedDatIsNotTakenForTheFolder) {
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    QFile dat(program.filePath("DAT"));
    ASSERT_TRUE(dat.open(QIODevice::WriteOnly));
    dat.write("x");
    dat.close();
    const DataFolderChoice choice = ChooseDataFolder(program.path());
    EXPECT_TRUE(choice.perUser);
    EXPECT_TRUE(QFileInfo(dat.fileName()).isFile());  // left alone
}

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(AppFolders, ProgramLayoutFindsTheHelpDocumentBesideOrInstalled) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath("usr/bin");
    QDir().mkpath(bin);

    // Nowhere: the program folder for both, not installed.
    ProgramLayout layout = FindProgramLayout(bin, "../share/qxlog");
    EXPECT_EQ(layout.helpFolder, bin);
    EXPECT_FALSE(layout.installed);

    // Installed below the prefix.
    Touch(root.filePath("usr/share/qxlog/帮助.mht"));
    layout = FindProgramLayout(bin, "../share/qxlog");
    EXPECT_EQ(layout.helpFolder, root.filePath("usr/share/qxlog"));
    EXPECT_TRUE(layout.installed);
    EXPECT_EQ(layout.programFolder, bin);

    // A document beside the program wins (a build folder, a copied folder).
    Touch(root.filePath("usr/bin/帮助.mht"));
    layout = FindProgramLayout(bin, "../share/qxlog");
    EXPECT_EQ(layout.helpFolder, bin);
    EXPECT_FALSE(layout.installed);

    EXPECT_EQ(InstalledDataFolderFromProgram(), "../share/qxlog");
}

TEST(AppFolders, InstalledProgramNeverWritesBesideItself) {
    ASSERT_TRUE(QStandardPaths::isTestModeEnabled());
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    const DataFolderChoice choice = ChooseDataFolder(program.path(), /*installed=*/true);
    EXPECT_TRUE(choice.perUser);
    EXPECT_TRUE(choice.usable);
    EXPECT_FALSE(QFileInfo::exists(program.filePath("DAT")));
}

}  // namespace
}  // namespace qx
