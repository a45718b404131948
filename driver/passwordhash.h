#pragma once

#include <QString>

// Stored password hashes. The current kind is an Argon2id string that names
// its own parameters and salt ("$argon2id$v=19$m=...,t=...,p=...$salt$hash"),
// so each stored hash keeps the cost it was made with. The old kind, 64 hex
// digits of one salted SHA-256 with the salt in its own column, is still
// accepted so that existing databases keep working until it is replaced.
namespace PasswordHash {

enum Verdict { Refused, Accepted, AcceptedOldKind };

// A new hash of the password with the production cost and a random salt;
// empty when it cannot be made.
QString make(const QString &password);

// Whether the stored hash (with the salt column the old kind needs) belongs
// to the password. Refused for anything malformed or too costly to check.
Verdict verify(const QString &stored, const QString &oldSalt, const QString &password);

} // namespace PasswordHash
