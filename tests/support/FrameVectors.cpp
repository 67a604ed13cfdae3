#include "tests/support/FrameVectors.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const QString& why)
{
    std::fprintf(stderr, "frame vectors %s: %s\n", QUORVEL_FRAME_VECTORS, qPrintable(why));
    std::abort();
}

QByteArray Hex(const QJsonValue& value, const QString& name)
{
    const QByteArray text = value.toString().toLatin1();
    const QByteArray bytes = QByteArray::fromHex(text);
    if (!value.isString() || bytes.toHex().toUpper() != text.toUpper())
        Fail(QStringLiteral("%1: not hex: %2").arg(name, QString::fromLatin1(text)));
    return bytes;
}

QList<FrameVector> Load()
{
    QFile file(QStringLiteral(QUORVEL_FRAME_VECTORS));
    if (!file.open(QIODevice::ReadOnly))
        Fail(file.errorString());
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        Fail(error.errorString());
    QList<FrameVector> vectors;
    for (const QJsonValue& entry : document.object().value(QStringLiteral("frames")).toArray()) {
        const QJsonObject object = entry.toObject();
        FrameVector vector;
        vector.name = object.value(QStringLiteral("name")).toString();
        vector.form = object.value(QStringLiteral("form")).toString();
        vector.bytes = Hex(object.value(QStringLiteral("hex")), vector.name);
        vector.data = Hex(object.value(QStringLiteral("data")), vector.name);
        vector.valid = object.value(QStringLiteral("valid")).toBool();
        vector.reply = object.value(QStringLiteral("reply")).toString();
        vector.delivered = object.value(QStringLiteral("delivered")).toBool();
        const bool known = QStringList{"block", "crc", "station", "monitor"}.contains(vector.form);
        const bool replyKnown = QStringList{"ack", "nak", "none"}.contains(vector.reply);
        if (vector.name.isEmpty() || !known || vector.ToStation() != replyKnown)
            Fail(QStringLiteral("entry %1 (%2) lacks a name, a known form or its reply").arg(vectors.size() + 1)
                     .arg(vector.name));
        vectors.append(vector);
    }
    if (vectors.isEmpty())
        Fail(QStringLiteral("no frames"));
    return vectors;
}

} // namespace

const QList<FrameVector>& FrameVectors::All()
{
    static const QList<FrameVector> vectors = Load();
    return vectors;
}

FrameVector FrameVectors::Named(const QString& name)
{
    for (const FrameVector& vector : All()) {
        if (vector.name == name)
            return vector;
    }
    Fail(QStringLiteral("no frame named \"%1\"").arg(name));
}
