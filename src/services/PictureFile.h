#pragma once

#include <QSize>
#include <QString>

#include <functional>
#include <string>

class QImage;
class QPaintDevice;

namespace orbiplot {

// The kind of picture a path asks for by its ending: "png", "svg" or, for anything else,
// "bmp" (24-bit).
QString PictureKind(const std::string& path);

// A picture encoded in memory. A null image (one that could not be made) raises "out of
// memory", as does a failed encoding.
std::string EncodeImage(const QImage& image, const QString& kind);

// Writes an image as a 24-bit BMP or a PNG, whole or not at all. A BMP is encoded row by
// row straight from the picture, so no second copy of it is ever made.
void SaveImage(const std::string& path, const QImage& image, const QString& kind);
std::string EncodeSvg(QSize size, const QString& title,
                      const std::function<void(QPaintDevice&)>& draw);

// Writes the bytes beside the target and renames them over it only when all is written: a
// failure raises the system error and leaves the old picture and no temporary file.
void SavePicture(const std::string& path, const std::string& bytes);

} // namespace orbiplot
