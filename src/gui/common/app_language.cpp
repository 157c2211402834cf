#include "app_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qx {
namespace {

bool Install(const QString& name, const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(name, folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

}  // namespace

bool InstallLanguage(Language language) {
    SetLanguage(language);
    if (language == Language::kEnglish) {
        return Install(QStringLiteral("qxlog_en"), QStringLiteral(":/translations"));
    }
    return Install(QStringLiteral("qtbase_zh_CN"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace qx
