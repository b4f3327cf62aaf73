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

// A picture encoded in memory; the file is written from these bytes in one piece.
std::string EncodeImage(const QImage& image, const QString& kind);
std::string EncodeSvg(QSize size, const QString& title,
                      const std::function<void(QPaintDevice&)>& draw);

// Writes the bytes beside the target and renames them over it only when all is written: a
// failure raises the system error and leaves the old picture and no temporary file.
void SavePicture(const std::string& path, const std::string& bytes);

} // namespace orbiplot
