#pragma once

#include <QImage>
#include <QString>

namespace orvane::view3d {

// Decodes a texture picture with Qt's image plugins (the file name's extension picks the
// decoder, the content decides when the extension is unknown). On failure returns false,
// leaves `picture` untouched and puts the text to show in `error`: "Could not open file: "
// and the name for a missing file, otherwise "Could not read texture "name": " and the
// decoder's own message.
bool LoadTexturePicture(const QString& fileName, QImage& picture, QString& error);

} // namespace orvane::view3d
