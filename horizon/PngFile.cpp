#include "PngFile.h"

#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"

#include <QBuffer>
#include <QByteArray>

std::string PngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        throw Exception("Cannot encode the picture as PNG");
    }
    return bytes.toStdString();
}

void SavePng(const std::string& path, const QImage& image) {
    AtomicFileWriter::WriteFile(path, PngBytes(image));
}
