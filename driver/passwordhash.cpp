#include "passwordhash.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <argon2.h>

namespace {

// The Argon2id setting OWASP recommends: 19 MiB of memory, two passes, one lane.
const quint32 memoryKiB = 19456;
const quint32 passes = 2;
const quint32 lanes = 1;
const int saltBytes = 16;
const int hashBytes = 32;

// A stored hash may ask for more than the production cost, so that it can be
// raised later, but not without bound: one hostile row must not make a login
// allocate gigabytes or run for minutes.
const quint64 maxCost = 16 * quint64(memoryKiB) * passes;
const quint64 maxMemoryKiB = 1024 * 1024;
const quint64 maxLanes = 16;

bool isAffordable(const QString &stored)
{
    static const QRegularExpression form(QStringLiteral(
            "^\\$argon2id\\$v=19\\$m=(\\d{1,10}),t=(\\d{1,10}),p=(\\d{1,10})\\$[A-Za-z0-9+/]+\\$[A-Za-z0-9+/]+$"));
    const QRegularExpressionMatch match = form.match(stored);
    if (!match.hasMatch())
        return false;
    const quint64 memory = match.captured(1).toULongLong();
    const quint64 time = match.captured(2).toULongLong();
    const quint64 parallel = match.captured(3).toULongLong();
    return memory <= maxMemoryKiB && parallel <= maxLanes && memory * time <= maxCost;
}

bool verifyArgon2(const QString &stored, const QString &password)
{
    if (!isAffordable(stored)) {
        qWarning().noquote() << "A stored password hash asks for an unknown form or an excessive cost; refused.";
        return false;
    }
    const QByteArray encoded = stored.toLatin1();
    const QByteArray secret = password.toUtf8();
    return argon2id_verify(encoded.constData(), secret.constData(), size_t(secret.size())) == ARGON2_OK;
}

bool verifyOldKind(const QString &stored, const QString &salt, const QString &password)
{
    const QByteArray digest = QCryptographicHash::hash((salt + password).toUtf8(), QCryptographicHash::Sha256);
    return digest.toHex() == stored.toLower().toLatin1();
}

bool isOldKind(const QString &stored)
{
    static const QRegularExpression form(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    return form.match(stored).hasMatch();
}

} // namespace

namespace PasswordHash {

QString make(const QString &password)
{
    quint32 salt[saltBytes / sizeof(quint32)];
    QRandomGenerator::system()->fillRange(salt);
    const QByteArray secret = password.toUtf8();
    QByteArray encoded(int(argon2_encodedlen(passes, memoryKiB, lanes, saltBytes, hashBytes, Argon2_id)), '\0');
    const int result = argon2id_hash_encoded(passes, memoryKiB, lanes, secret.constData(), size_t(secret.size()),
                                             salt, saltBytes, hashBytes, encoded.data(), size_t(encoded.size()));
    if (result != ARGON2_OK) {
        qWarning().noquote() << "Cannot hash a password:" << argon2_error_message(result);
        return QString();
    }
    return QString::fromLatin1(encoded.constData());
}

Verdict verify(const QString &stored, const QString &oldSalt, const QString &password)
{
    if (stored.startsWith(QLatin1String("$argon2id$")))
        return verifyArgon2(stored, password) ? Accepted : Refused;
    if (isOldKind(stored))
        return verifyOldKind(stored, oldSalt, password) ? AcceptedOldKind : Refused;
    return Refused;
}

} // namespace PasswordHash
