#pragma once
#include <QString>
#include <QVariant>

namespace orvane::app {

// What the viewer remembers between runs (palette, recent files, last folder, window
// geometry) goes through here. By default nothing is remembered, so that tests, batch tools and
// benchmarks never read or write a user's settings; the viewer itself turns the user's own
// settings on, and a test or orvane-snapshot may give a file of its own instead.

// The user's settings of the viewer (organisation and application "Orvane").
void UseUserSettings();
// An ini file; an empty name: nothing is remembered.
void UseSettingsFile(const QString& iniPath);

// The key of the palette chosen last (its name), which the window starts with.
inline const QString kPaletteSettingKey = QStringLiteral("view/palette");

// The stored value, or `fallback` when there is none or nothing is remembered.
QVariant ReadSetting(const QString& key, const QVariant& fallback = {});
// Stores a value at once (nothing when nothing is remembered).
void WriteSetting(const QString& key, const QVariant& value);

} // namespace orvane::app
