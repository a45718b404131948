#include "hostlanguage.h"
#include "hostcontract.h"
#include "liblist.h"

#include <QCoreApplication>
#include <QTranslator>

namespace {

const char russian[] = "ru";
const char english[] = "en";

} // namespace

HostLanguage::HostLanguage(const QString &folder)
    : m_folder(folder)
    , m_language(QLatin1String(russian))
{
}

// Translators are not removed by their destructor: one left installed after
// this object would be read by the next tr().
HostLanguage::~HostLanguage()
{
    removeAll();
}

bool HostLanguage::addPart(const QString &base, const QString &sourceLanguage)
{
    m_parts.append({base, sourceLanguage});
    return install(m_parts.constLast());
}

bool HostLanguage::setLanguage(const QString &locale)
{
    const QString code = locale.toLower();
    removeAll();
    m_language = code == QLatin1String(english) ? QLatin1String(english) : QLatin1String(russian);
    setHostLocale(locale);
    bool loaded = true;
    for (const Part &part : qAsConst(m_parts))
        loaded = install(part) && loaded;
    return loaded;
}

bool HostLanguage::install(const Part &part)
{
    if (part.sourceLanguage == m_language)
        return true;
    QTranslator *translator = libList::loadTranslation(part.base, m_language, m_folder);
    if (!translator)
        return false;
    m_installed.emplace_back(translator);
    return QCoreApplication::installTranslator(translator);
}

void HostLanguage::removeAll()
{
    for (const std::unique_ptr<QTranslator> &translator : m_installed)
        QCoreApplication::removeTranslator(translator.get());
    m_installed.clear();
}
