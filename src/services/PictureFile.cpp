#include "services/PictureFile.h"

#include "base/AppError.h"
#include "base/FileAccess.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QSvgGenerator>

namespace orbiplot {

QString PictureKind(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    return suffix == "png" || suffix == "svg" ? suffix : QString("bmp");
}

std::string EncodeImage(const QImage& image, const QString& kind) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool encoded = kind == "png"
                             ? image.save(&buffer, "PNG")
                             : image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    if (!encoded) RaiseRuntimeError(ErrOutOfMemory);
    return bytes.toStdString();
}

std::string EncodeSvg(QSize size, const QString& title,
                      const std::function<void(QPaintDevice&)>& draw) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(title);
        draw(generator);
    }
    return bytes.toStdString();
}

void SavePicture(const std::string& path, const std::string& bytes) {
    WriteFileAtomically(path, bytes);
}

} // namespace orbiplot
