#include "app/Settings.h"

#include <QSettings>
#include <memory>

namespace orvane::app {

namespace {

enum class Store { None, User, File };

struct Where {
    Store store = Store::None;
    QString path;
};

Where& Current() {
    static Where where;
    return where;
}

std::unique_ptr<QSettings> Open() {
    const Where& where = Current();
    switch (where.store) {
    case Store::User:
        return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Orvane"),
                                           QStringLiteral("Orvane"));
    case Store::File:
        return std::make_unique<QSettings>(where.path, QSettings::IniFormat);
    case Store::None:
        break;
    }
    return nullptr;
}

} // namespace

void UseUserSettings() {
    Current() = {Store::User, QString()};
}

void UseSettingsFile(const QString& iniPath) {
    Current() = iniPath.isEmpty() ? Where{} : Where{Store::File, iniPath};
}

QVariant ReadSetting(const QString& key, const QVariant& fallback) {
    const std::unique_ptr<QSettings> settings = Open();
    return settings ? settings->value(key, fallback) : fallback;
}

void WriteSetting(const QString& key, const QVariant& value) {
    if (const std::unique_ptr<QSettings> settings = Open()) {
        settings->setValue(key, value);
    }
}

} // namespace orvane::app
