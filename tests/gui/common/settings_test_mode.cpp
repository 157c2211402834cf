// Every window test of this program runs with Qt's test locations, so that settings written
// by the code under test (QSettings("Vornak", "QX_CHN"), ApplicationLook, per-user folders) go
// to ~/.qttest and never touch the user's own. Set before any QSettings object exists.
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

class QtTestLocations : public ::testing::Environment {
  public:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
};

[[maybe_unused]] ::testing::Environment* const g_testLocations =
    ::testing::AddGlobalTestEnvironment(new QtTestLocations);

}  // namespace
