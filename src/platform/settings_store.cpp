#include "platform/settings_store.h"

#include <QSettings>
#include <QString>

namespace platform {

SettingsStore::SettingsStore(const std::string& application)
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromStdString(application),
                                            QString::fromStdString(application))) {}

SettingsStore SettingsStore::fromFile(const std::string& path) {
    SettingsStore store;
    store.settings_ =
        std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat);
    return store;
}

SettingsStore::~SettingsStore() = default;
SettingsStore::SettingsStore(SettingsStore&&) noexcept = default;
SettingsStore& SettingsStore::operator=(SettingsStore&&) noexcept = default;

std::optional<std::string> SettingsStore::read(const std::string& section,
                                               const std::string& key) const {
    const QString name = QString::fromStdString(section + "/" + key);
    if (!settings_->contains(name)) return std::nullopt;
    return settings_->value(name).toString().toStdString();
}

bool SettingsStore::write(const std::string& section, const std::string& key,
                          const std::string& value) {
    settings_->setValue(QString::fromStdString(section + "/" + key), QString::fromStdString(value));
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

void SettingsStore::reload() {
    settings_->sync();
}

std::string SettingsStore::location() const {
    return settings_->fileName().toStdString();
}

} // namespace platform
