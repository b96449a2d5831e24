#include "framework/text.h"

#include "model/cp1250.h"

#include <QFile>

QString FromCp1250(const std::string& text)
{
    std::string utf8;
    if (cp1250::ToUtf8(text, utf8).ok)
        return QString::fromStdString(utf8);
    // Convert byte by byte so one undefined byte does not hide the rest.
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        if (cp1250::ToUtf8(std::string_view(&c, 1), utf8).ok)
            out += QString::fromStdString(utf8);
        else
            out += QChar(QChar::ReplacementCharacter);
    }
    return out;
}

bool ToCp1250(const QString& text, std::string& out, qsizetype* badChar)
{
    out.clear();
    if (!QStringView(text).isValidUtf16()) {
        if (badChar) {
            qsizetype i = 0;
            for (; i < text.size(); ++i) {
                const QChar c = text[i];
                if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                    ++i;
                else if (c.isSurrogate())
                    break;
            }
            *badChar = i;
        }
        return false;
    }
    const cp1250::Result r = cp1250::FromUtf8(text.toStdString(), out);
    if (!r.ok && badChar)
        *badChar = static_cast<qsizetype>(r.badChar);
    return r.ok;
}

std::string Cp1250(const char* utf8)
{
    return cp1250::Literal(utf8);
}

QString FileNameText(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool FileNameBytes(const QString& name, std::string& path)
{
    path.clear();
    // A lone surrogate or a replacement character stands for something the
    // encoding lost: the bytes would name another file.
    if (!QStringView(name).isValidUtf16() || name.contains(QChar(QChar::ReplacementCharacter)))
        return false;
    const QByteArray bytes = QFile::encodeName(name);
    if (QFile::decodeName(bytes) != name)
        return false;
    path = bytes.toStdString();
    return true;
}
