#include "services/PictureFile.h"

#include "base/AppError.h"
#include "base/FileAccess.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QSvgGenerator>

#include <cstdint>

namespace orbiplot {

QString PictureKind(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    return suffix == "png" || suffix == "svg" ? suffix : QString("bmp");
}

namespace {

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A 24-bit bottom-up BMP: the file header, the information header, then the rows from the
// last to the first, blue-green-red, each padded to four bytes.
void WriteBmp(const QImage& image, const PieceWriter& write) {
    const auto width = static_cast<uint32_t>(image.width());
    const auto height = static_cast<uint32_t>(image.height());
    const uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const uint64_t dataBytes = uint64_t{rowBytes} * height;
    if (dataBytes + 54 > UINT32_MAX) RaiseRuntimeError(ErrOverflow);
    std::string header = "BM";
    PutLittleEndian(header, static_cast<uint32_t>(dataBytes + 54), 4);
    PutLittleEndian(header, 0, 4);
    PutLittleEndian(header, 54, 4);
    PutLittleEndian(header, 40, 4);
    PutLittleEndian(header, width, 4);
    PutLittleEndian(header, height, 4);
    PutLittleEndian(header, 1, 2);
    PutLittleEndian(header, 24, 2);
    PutLittleEndian(header, 0, 4);
    PutLittleEndian(header, static_cast<uint32_t>(dataBytes), 4);
    PutLittleEndian(header, static_cast<uint32_t>(image.dotsPerMeterX()), 4);
    PutLittleEndian(header, static_cast<uint32_t>(image.dotsPerMeterY()), 4);
    PutLittleEndian(header, 0, 4);
    PutLittleEndian(header, 0, 4);
    write(header);
    std::string row(rowBytes, '\0');
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (uint32_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<char>(qBlue(pixels[x]));
            row[3 * x + 1] = static_cast<char>(qGreen(pixels[x]));
            row[3 * x + 2] = static_cast<char>(qRed(pixels[x]));
        }
        write(row);
    }
}

// The image in a 32-bit layout the rows can be read from; an image in another layout is
// converted, and a conversion that fails is out of memory.
QImage Readable(const QImage& image) {
    if (image.isNull()) RaiseRuntimeError(ErrOutOfMemory);
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    QImage converted = image.convertToFormat(QImage::Format_RGB32);
    if (converted.isNull()) RaiseRuntimeError(ErrOutOfMemory);
    return converted;
}

std::string EncodePng(const QImage& image) {
    if (image.isNull()) RaiseRuntimeError(ErrOutOfMemory);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG") || bytes.isEmpty()) RaiseRuntimeError(ErrOutOfMemory);
    return bytes.toStdString();
}

} // namespace

std::string EncodeImage(const QImage& image, const QString& kind) {
    if (kind == "png") return EncodePng(image);
    std::string bytes;
    WriteBmp(Readable(image), [&](std::string_view piece) { bytes.append(piece); });
    return bytes;
}

void SaveImage(const std::string& path, const QImage& image, const QString& kind) {
    if (kind == "png") {
        SavePicture(path, EncodePng(image));
        return;
    }
    const QImage readable = Readable(image);
    WriteFileAtomically(path, [&](const PieceWriter& write) { WriteBmp(readable, write); });
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
