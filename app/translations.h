#pragma once

class QLocale;

// The windows' texts are written in Japanese; a Japanese or C locale shows
// them as written, with Qt's own dialogs in Japanese too. Every other locale
// gets the English translation and Qt's untranslated (English) texts.
bool SpeaksJapanese(const QLocale& locale);

// Replaces the translators installed by an earlier call. Needs a
// QCoreApplication.
void InstallTranslations(const QLocale& locale);
