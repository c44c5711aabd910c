#include "Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

// Outside any namespace, as Q_INIT_RESOURCE must be.
static void initTranslationResources() {
    Q_INIT_RESOURCE(translations);
}

namespace ui {

namespace {

const char kLanguageKey[] = "language";

Language current = Language::Russian;

// Owned by the application object, so a test that builds a second one starts afresh.
QPointer<QTranslator>& programTranslator() {
    static QPointer<QTranslator> translator;
    return translator;
}
QPointer<QTranslator>& qtTranslator() {
    static QPointer<QTranslator> translator;
    return translator;
}

}  // namespace

std::optional<Language> languageFromCode(const std::string& code) {
    if (code == "ru") return Language::Russian;
    if (code == "en") return Language::English;
    return std::nullopt;
}

QString languageCode(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("ru");
}

Language systemLanguage(const QStringList& uiLanguages) {
    if (uiLanguages.isEmpty()) return Language::Russian;
    const QString first = uiLanguages.first();
    return QLocale(first).language() == QLocale::English ? Language::English : Language::Russian;
}

std::optional<Language> rememberedLanguage() {
    return languageFromCode(QSettings().value(kLanguageKey).toString().toStdString());
}

void rememberLanguage(Language language) {
    QSettings settings;
    settings.setValue(kLanguageKey, languageCode(language));
    settings.sync();
}

Language startupLanguage(std::optional<Language> commandLine) {
    if (commandLine) return *commandLine;
    if (const auto remembered = rememberedLanguage()) return *remembered;
    return systemLanguage(QLocale::system().uiLanguages());
}

void applyLanguage(Language language) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    for (QPointer<QTranslator>* slot : {&programTranslator(), &qtTranslator()}) {
        if (*slot) {
            QCoreApplication::removeTranslator(*slot);
            delete slot->data();
        }
    }
    const QString code = languageCode(language);
    // Qt's own texts (the standard buttons, the file dialog) in the language of the windows.
    auto* qt = new QTranslator(app);
    if (qt->load(QStringLiteral("qtbase_") + code,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    }
    qtTranslator() = qt;
    // English translates the Russian originals; Russian only the few texts written in English.
    static const bool resources = (initTranslationResources(), true);
    (void)resources;
    auto* program = new QTranslator(app);
    if (program->load(QStringLiteral(":/i18n/dut_") + code + QStringLiteral(".qm"))) {
        QCoreApplication::installTranslator(program);
    }
    programTranslator() = program;
    current = language;
}

Language currentLanguage() {
    return current;
}

}  // namespace ui
