#include "app_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

namespace qx {
namespace {

constexpr const char* kRecentSection = "Recent File List";

int ReadInt(QSettings& store, const char* key, int fallback) {
    bool ok = false;
    const int value = store.value(QLatin1String(key), fallback).toInt(&ok);
    return ok ? value : fallback;
}

QString NormalisedPath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

void AppSettings::Load() {
    QSettings store{QLatin1String(kOrganisation), QLatin1String(kApplication)};
    Load(store);
}

void AppSettings::Save() const {
    QSettings store{QLatin1String(kOrganisation), QLatin1String(kApplication)};
    Save(store);
}

void AppSettings::Load(QSettings& store) {
    cx = ReadInt(store, "WINSIZE/Cx", 1000);
    cy = ReadInt(store, "WINSIZE/Cy", 700);
    devType = ReadInt(store, "READPARAM/DevType", 6);
    // The device panel offers 1..5 s; a value outside that would leave its list without a
    // choice, so it is brought into the range.
    readParamInterval = std::clamp(ReadInt(store, "READPARAM/ReadParamInterval", 1), 1, 5);
    enAutoReadParam = true;
    trendPos = ReadInt(store, "TREND/TrendPos", 1);
    showStat = ReadInt(store, "TREND/ShowStat", 0) != 0;
    statShare = ReadInt(store, "TREND/StatShare", kAutoStatisticsShare);
    if (statShare < 0 || statShare > kMaxStatisticsShare) statShare = kAutoStatisticsShare;
    maxN = std::max(ReadInt(store, "RECORD/MaxN", 432000), kMinMaxN);
    datRecFile = store.value(QStringLiteral("RECORD/DatRecFile"), QString()).toString();

    recent_.clear();
    store.beginGroup(QLatin1String(kRecentSection));
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString path = store.value(QStringLiteral("File%1").arg(i)).toString();
        if (path.isEmpty()) continue;
        const bool known = std::any_of(recent_.begin(), recent_.end(),
                                       [&](const QString& p) { return SamePath(p, path); });
        if (!known) recent_.append(path);
    }
    store.endGroup();
}

void AppSettings::Save(QSettings& store) const {
    store.setValue(QStringLiteral("WINSIZE/Cx"), cx);
    store.setValue(QStringLiteral("WINSIZE/Cy"), cy);
    store.setValue(QStringLiteral("READPARAM/DevType"), devType);
    store.setValue(QStringLiteral("READPARAM/ReadParamInterval"), readParamInterval);
    store.setValue(QStringLiteral("READPARAM/EnAutoReadParam"), enAutoReadParam ? 1 : 0);
    store.setValue(QStringLiteral("RECORD/MaxN"), std::max(maxN, kMinMaxN));
    store.setValue(QStringLiteral("RECORD/DatRecFile"), datRecFile);
    store.setValue(QStringLiteral("TREND/TrendPos"), trendPos);
    store.setValue(QStringLiteral("TREND/ShowStat"), showStat ? 1 : 0);
    store.setValue(QStringLiteral("TREND/StatShare"), statShare);
    SaveRecentFiles(store);
}

void AppSettings::SaveRecentFiles() const {
    QSettings store{QLatin1String(kOrganisation), QLatin1String(kApplication)};
    SaveRecentFiles(store);
}

void AppSettings::SaveRecentFiles(QSettings& store) const {
    store.beginGroup(QLatin1String(kRecentSection));
    store.remove(QString());  // the whole group: entries beyond the list's length go too
    for (int i = 0; i < recent_.size(); ++i)
        store.setValue(QStringLiteral("File%1").arg(i + 1), recent_[i]);
    store.endGroup();
    store.sync();
}

void AppSettings::AddRecentFile(const QString& path) {
    if (path.isEmpty()) return;
    RemoveRecentFile(path);
    recent_.prepend(path);
    while (recent_.size() > kRecentFileCount)
        recent_.removeLast();
}

bool AppSettings::RemoveRecentFile(const QString& path) {
    const auto it = std::find_if(recent_.begin(), recent_.end(),
                                 [&](const QString& p) { return SamePath(p, path); });
    if (it == recent_.end()) return false;
    recent_.erase(it);
    return true;
}

void AppSettings::WriteApplicationLook(int look) {
    QSettings store{QLatin1String(kOrganisation), QLatin1String(kApplication)};
    WriteApplicationLook(store, look);
}

void AppSettings::WriteApplicationLook(QSettings& store, int look) {
    store.setValue(QStringLiteral("Workspace/ApplicationLook"), look);
    store.sync();
}

LanguageChoice AppSettings::ReadLanguage() {
    QSettings store{QLatin1String(kOrganisation), QLatin1String(kApplication)};
    return ReadLanguage(store);
}

LanguageChoice AppSettings::ReadLanguage(QSettings& store) {
    const QString value = store.value(QStringLiteral("Workspace/Language")).toString();
    return ParseLanguageChoice(value.toStdString()).value_or(LanguageChoice::kAuto);
}

void AppSettings::WriteLanguage(LanguageChoice choice) {
    QSettings store{QLatin1String(kOrganisation), QLatin1String(kApplication)};
    WriteLanguage(store, choice);
}

void AppSettings::WriteLanguage(QSettings& store, LanguageChoice choice) {
    store.setValue(QStringLiteral("Workspace/Language"), QLatin1String(LanguageChoiceName(choice)));
    store.sync();
}

bool AppSettings::SamePath(const QString& a, const QString& b) {
    return NormalisedPath(a) == NormalisedPath(b);
}

}  // namespace qx
