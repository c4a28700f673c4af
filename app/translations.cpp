#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace {

std::unique_ptr<QTranslator> programTexts;
std::unique_ptr<QTranslator> qtTexts;

std::unique_ptr<QTranslator> Load(const QString& file, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(file, folder)) return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

}  // namespace

bool SpeaksJapanese(const QLocale& locale) {
    return locale.language() == QLocale::Japanese || locale.language() == QLocale::C;
}

void InstallTranslations(const QLocale& locale) {
    // Destroying a translator takes it out of the application.
    programTexts.reset();
    qtTexts.reset();
    if (SpeaksJapanese(locale)) {
        // Missing when Debian's Qt translations are not installed: Qt's own
        // dialogs then stay in English.
        qtTexts =
            Load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    } else {
        programTexts = Load(QStringLiteral("thumbrix_en"), QStringLiteral(":/i18n"));
    }
}
