#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace ui {

// The two languages of the interface. Russian is the one the texts are written in; English
// comes from the compiled translation.
enum class Language { Russian, English };

// "ru" or "en"; nothing for any other code.
std::optional<Language> languageFromCode(const std::string& code);
QString languageCode(Language language);

// English when the system's first user-interface language is English, Russian otherwise.
Language systemLanguage(const QStringList& uiLanguages);

// The choice made with the switch in the menu band, kept in the user's settings.
std::optional<Language> rememberedLanguage();
void rememberLanguage(Language language);

// The language at start-up: the command line's, else the remembered one, else the system's.
Language startupLanguage(std::optional<Language> commandLine);

// Installs the program's and Qt's own translations for the language. Every window gets a
// LanguageChange event and puts its texts into the new language at once.
void applyLanguage(Language language);
Language currentLanguage();

}  // namespace ui
