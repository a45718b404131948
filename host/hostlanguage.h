#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class QTranslator;

// The language of the running program. Each part of it (the host, the
// module) is written in one language and translated into the other; the
// translations are found as the library loader finds a library's
// ("folder/base_locale"). Changing the language swaps the translators, and
// Qt then tells every open window to retranslate itself.
class HostLanguage
{
public:
    explicit HostLanguage(const QString &folder);
    ~HostLanguage();

    // Adds a part by the base name of its translations and the language its
    // texts are written in, translated at once for the language set; false
    // when its translation did not load (the part keeps its own texts).
    bool addPart(const QString &base, const QString &sourceLanguage);
    // "ru" or "en"; anything else, "DEFAULT" included, is the module's own
    // Russian. The translations of the language before go; the code is
    // published as "Locale", for the libraries loaded from now on. False
    // when a translation did not load.
    bool setLanguage(const QString &locale);
    // "ru" or "en".
    QString language() const { return m_language; }

private:
    struct Part
    {
        QString base;
        QString sourceLanguage;
    };

    bool install(const Part &part);
    void removeAll();

    QString m_folder;
    QString m_language;
    QList<Part> m_parts;
    std::vector<std::unique_ptr<QTranslator>> m_installed;
};
