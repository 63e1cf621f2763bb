#include "view3d/TextureFile.h"

#include <QFileInfo>
#include <QImageReader>

namespace orvane::view3d {

bool LoadTexturePicture(const QString& fileName, QImage& picture, QString& error) {
    if (!QFileInfo(fileName).isFile()) {
        error = QStringLiteral("Could not open file: %1").arg(fileName);
        return false;
    }
    QImageReader reader(fileName);
    // Photographs carry their orientation in metadata; show them the way they were taken.
    reader.setAutoTransform(true);
    // Camera pictures beyond Qt's default 256 MB decode limit are still sensible textures
    // (the driver's maximum size caps what is uploaded).
    reader.setAllocationLimit(1024);
    QImage decoded = reader.read();
    if (decoded.isNull()) {
        error = QStringLiteral("Could not read texture \"%1\": %2")
                    .arg(QFileInfo(fileName).fileName(), reader.errorString());
        return false;
    }
    picture = std::move(decoded);
    return true;
}

} // namespace orvane::view3d
