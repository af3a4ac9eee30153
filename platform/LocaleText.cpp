#include "LocaleText.h"

#include "Mbcs.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <langinfo.h>

namespace {

int LocaleCodePage() {
    return CodePageOfCodeset(nl_langinfo(CODESET));
}

bool IsMultiByteCodePage(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 950;
}

} // namespace

QString ToQString(const std::string& text) {
    const int codePage = LocaleCodePage();
    if (codePage == 65001) {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (IsMultiByteCodePage(codePage)) {
        QStringDecoder decoder(nl_langinfo(CODESET));
        if (decoder.isValid()) {
            return decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
        }
    }
    // Single-byte code pages: Latin-1 keeps every byte, the degree sign B0 included.
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQString(const QString& text) {
    const int codePage = LocaleCodePage();
    QByteArray bytes;
    if (codePage == 65001) {
        bytes = text.toUtf8();
    } else if (QStringEncoder encoder(nl_langinfo(CODESET));
               IsMultiByteCodePage(codePage) && encoder.isValid()) {
        bytes = encoder.encode(text);
    } else {
        bytes = text.toLatin1();
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
