#pragma once

#include "app/l10n/LanguageInfo.h"
#include "app/l10n/SafeFormat.h"
#include "app/l10n/TextTable.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace app {

// The four kinds of texts that code looks up by number.
enum class TextKind { Messages, Filters, Paths, Strings };

// The texts of the loaded language and the list of installed languages. English lives in
// the code: every lookup carries its English text, which applies when the language lacks
// the key. GUI thread only.
class TdsLocalization {
public:
    // Fills Languages from folder + "Languages.xml"; a missing file or root gives an empty list.
    void LoadLanguageList(const QString& folder);

    // Replaces Texts and Current with the contents of a "Language.xml". A missing file or a
    // file without the root "Localization" changes nothing and gives false; a file that is
    // not well-formed XML throws LanguageFileError and changes nothing either.
    bool LoadLanguage(const QString& file);

    QString GetMessage(int number, const QString& english) const;
    QString GetFilter(int number, const QString& english) const;
    QString GetPath(int number, const QString& english) const;
    QString GetString(int number, const QString& english) const;
    QString Get(TextKind kind, int number, const QString& english) const;

    // The looked-up text with its arguments filled in; a translation whose placeholders do
    // not fit the arguments gives the English text.
    QString Format(TextKind kind, int number, const QString& english,
                   const QList<FormatArg>& args) const;

    // The file a Paths lookup names: in the loaded language's folder when it is there, else
    // fallbackFolder + the English name. Empty when neither exists.
    QString LocalizedFile(int pathNumber, const QString& englishName,
                          const QString& fallbackFolder) const;

    // Back to the state of a fresh engine: no texts, no languages, nothing current.
    void Reset();

    const TextTable& Texts() const { return texts_; }
    const QList<TLanguageInfo>& Languages() const { return languages_; }
    const TLanguageInfo* FindLanguage(const QString& id) const;
    const TLanguageInfo& Current() const { return current_; }
    QStringList Excluded;

    static QString Key(TextKind kind, int number);

private:
    TextTable texts_;
    QList<TLanguageInfo> languages_;
    TLanguageInfo current_;
};

// The one engine of the process, created on first use (before any form exists).
TdsLocalization& Localization();

} // namespace app
