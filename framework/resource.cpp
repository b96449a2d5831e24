#include "framework/resource.h"

#include <QFile>

bool LoadResourceBytes(const char* name, std::string& bytes)
{
    QFile file(QStringLiteral(":/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    if (data.isEmpty())
        return false;
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}
