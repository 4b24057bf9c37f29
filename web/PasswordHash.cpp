#include "web/PasswordHash.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QList>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace {

constexpr int kIterations = 100'000;
constexpr int kKeyBytes = 32;
constexpr int kSaltBytes = 16;
constexpr int kMaxIterations = 10'000'000; // a stored text cannot make a login take for ever

QByteArray Derive(std::string_view password, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(
        QCryptographicHash::Sha256,
        QByteArray(password.data(), static_cast<qsizetype>(password.size())), salt, iterations,
        kKeyBytes);
}

} // namespace

std::string HashWebPassword(std::string_view password) {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    const QByteArray key = Derive(password, salt, kIterations);
    return "pbkdf2-sha256$" + std::to_string(kIterations) + "$" + salt.toBase64().toStdString() +
           "$" + key.toBase64().toStdString();
}

bool WebPasswordMatches(std::string_view stored, std::string_view password) {
    const QList<QByteArray> parts =
        QByteArray(stored.data(), static_cast<qsizetype>(stored.size())).split('$');
    if (parts.size() != 4 || parts[0] != "pbkdf2-sha256")
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    const auto decode = [](const QByteArray& text) {
        return QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    };
    const auto salt = decode(parts[2]);
    const auto key = decode(parts[3]);
    if (!ok || iterations < 1 || iterations > kMaxIterations || !salt || !key ||
        key.decoded.size() != kKeyBytes)
        return false;
    const QByteArray derived = Derive(password, salt.decoded, iterations);
    unsigned difference = 0;
    for (int i = 0; i < kKeyBytes; ++i)
        difference |= static_cast<unsigned char>(derived[i] ^ key.decoded[i]);
    return difference == 0;
}
